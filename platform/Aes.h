// One AES-128 block through the system's own cipher: Windows CNG (bcrypt) on
// Windows, libcrypto elsewhere. Chaining and padding are the caller's.
#pragma once

#include <cstddef>

namespace platform {

inline constexpr std::size_t kAesBlockSize = 16;

// Enciphers (`encrypt`) or deciphers one 16-byte block `in` into `out` with
// the 16-byte `key`; `in` and `out` may be the same buffer. Throws
// std::runtime_error when the system's cipher cannot be used.
void aes128Block(const unsigned char* key, const unsigned char* in, unsigned char* out,
                 bool encrypt);

// Overwrites key material with zeros in a way the compiler does not drop
// (SecureZeroMemory on Windows, OPENSSL_cleanse elsewhere).
void wipeSecret(void* data, std::size_t size);

} // namespace platform
