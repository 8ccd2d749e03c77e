// Secrets (publish passwords) kept by the desktop's key store, never in a
// file of the program. The program installs the Qt Keychain one
// (platform/gui/QtKeyStore.h: the Secret Service, Keychain or the Windows
// credential store); tests install MemoryKeyStore. When nothing is
// installed, secrets live in memory for the run only.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace platform {

class KeyStore {
public:
    virtual ~KeyStore() = default;
    // The secret of `account` under `service`; nothing when none is kept
    // (or the store cannot be reached).
    virtual std::optional<std::string> read(const std::string& service,
                                            const std::string& account) = 0;
    // Keeps the secret; false when the store refused.
    virtual bool write(const std::string& service, const std::string& account,
                       const std::string& secret) = 0;
    virtual bool remove(const std::string& service, const std::string& account) = 0;
};

class MemoryKeyStore : public KeyStore {
public:
    std::optional<std::string> read(const std::string& service,
                                    const std::string& account) override;
    bool write(const std::string& service, const std::string& account,
               const std::string& secret) override;
    bool remove(const std::string& service, const std::string& account) override;

    std::map<std::pair<std::string, std::string>, std::string> secrets;
};

// The installed key store; never null.
KeyStore& keyStore();
// Installs `store` (not owned); returns the previous one; nullptr: the in-memory default.
KeyStore* setKeyStore(KeyStore* store);

} // namespace platform
