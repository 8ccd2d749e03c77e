#include "platform/KeyStore.h"

namespace platform {

std::optional<std::string> MemoryKeyStore::read(const std::string& service,
                                                const std::string& account) {
    const auto it = secrets.find({service, account});
    if (it == secrets.end())
        return std::nullopt;
    return it->second;
}

bool MemoryKeyStore::write(const std::string& service, const std::string& account,
                           const std::string& secret) {
    secrets[{service, account}] = secret;
    return true;
}

bool MemoryKeyStore::remove(const std::string& service, const std::string& account) {
    secrets.erase({service, account});
    return true;
}

namespace {

KeyStore* installed = nullptr;

KeyStore& fallback() {
    static MemoryKeyStore store;
    return store;
}

} // namespace

KeyStore& keyStore() {
    return installed ? *installed : fallback();
}

KeyStore* setKeyStore(KeyStore* store) {
    KeyStore* previous = installed;
    installed = store;
    return previous;
}

} // namespace platform
