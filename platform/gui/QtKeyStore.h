// The desktop's key store through Qt Keychain (Secret Service / KWallet on
// Linux, the credential store on Windows, Keychain on macOS). Each call
// waits for its job in a local event loop.
#pragma once

#include "platform/KeyStore.h"

namespace platform {

class QtKeyStore : public KeyStore {
public:
    std::optional<std::string> read(const std::string& service,
                                    const std::string& account) override;
    bool write(const std::string& service, const std::string& account,
               const std::string& secret) override;
    bool remove(const std::string& service, const std::string& account) override;
};

} // namespace platform
