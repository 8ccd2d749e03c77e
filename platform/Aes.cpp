#include "Aes.h"

#include <stdexcept>

#ifdef _WIN32
// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on
#else
#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <memory>
#endif

namespace platform {

#ifdef _WIN32

namespace {

bool succeeded(NTSTATUS status) {
    return status >= 0;
}

// The AES provider in ECB mode, opened once; CNG handles may be shared by threads.
BCRYPT_ALG_HANDLE aesProvider() {
    static const BCRYPT_ALG_HANDLE provider = [] {
        BCRYPT_ALG_HANDLE h = nullptr;
        if (!succeeded(BCryptOpenAlgorithmProvider(&h, BCRYPT_AES_ALGORITHM, nullptr, 0)))
            return BCRYPT_ALG_HANDLE(nullptr);
        if (!succeeded(BCryptSetProperty(
                h, BCRYPT_CHAINING_MODE,
                reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_ECB)),
                sizeof(BCRYPT_CHAIN_MODE_ECB), 0))) {
            BCryptCloseAlgorithmProvider(h, 0);
            return BCRYPT_ALG_HANDLE(nullptr);
        }
        return h;
    }();
    return provider;
}

} // namespace

void aes128Block(const unsigned char* key, const unsigned char* in, unsigned char* out,
                 bool encrypt) {
    BCRYPT_ALG_HANDLE provider = aesProvider();
    if (!provider)
        throw std::runtime_error("AES cipher unavailable");
    // CNG keeps the key schedule in memory of its own and wipes it when the
    // key is destroyed.
    BCRYPT_KEY_HANDLE handle = nullptr;
    if (!succeeded(BCryptGenerateSymmetricKey(provider, &handle, nullptr, 0,
                                              const_cast<PUCHAR>(key), kAesBlockSize, 0)))
        throw std::runtime_error("AES cipher unavailable");
    unsigned char block[kAesBlockSize];
    for (std::size_t i = 0; i < kAesBlockSize; ++i)
        block[i] = in[i];
    ULONG done = 0;
    NTSTATUS status = encrypt ? BCryptEncrypt(handle, block, kAesBlockSize, nullptr, nullptr, 0,
                                              out, kAesBlockSize, &done, 0)
                              : BCryptDecrypt(handle, block, kAesBlockSize, nullptr, nullptr, 0,
                                              out, kAesBlockSize, &done, 0);
    BCryptDestroyKey(handle);
    SecureZeroMemory(block, sizeof block);
    if (!succeeded(status) || done != kAesBlockSize)
        throw std::runtime_error("AES block operation failed");
}

void wipeSecret(void* data, std::size_t size) {
    SecureZeroMemory(data, size);
}

#else

void aes128Block(const unsigned char* key, const unsigned char* in, unsigned char* out,
                 bool encrypt) {
    // Freeing the context cleanses its key schedule.
    struct Free {
        void operator()(EVP_CIPHER_CTX* c) const { EVP_CIPHER_CTX_free(c); }
    };
    std::unique_ptr<EVP_CIPHER_CTX, Free> ctx(EVP_CIPHER_CTX_new());
    if (!ctx ||
        EVP_CipherInit_ex(ctx.get(), EVP_aes_128_ecb(), nullptr, key, nullptr, encrypt ? 1 : 0) !=
            1 ||
        EVP_CIPHER_CTX_set_padding(ctx.get(), 0) != 1)
        throw std::runtime_error("AES cipher unavailable");
    int n = 0;
    if (EVP_CipherUpdate(ctx.get(), out, &n, in, static_cast<int>(kAesBlockSize)) != 1 ||
        n != static_cast<int>(kAesBlockSize))
        throw std::runtime_error("AES block operation failed");
}

void wipeSecret(void* data, std::size_t size) {
    OPENSSL_cleanse(data, size);
}

#endif

} // namespace platform
