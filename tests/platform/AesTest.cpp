#include "platform/Aes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string hex(const unsigned char* bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < platform::kAesBlockSize; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

void unhex(const char* text, unsigned char* bytes) {
    auto value = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
    for (std::size_t i = 0; i < platform::kAesBlockSize; ++i)
        bytes[i] = static_cast<unsigned char>(value(text[2 * i]) << 4 | value(text[2 * i + 1]));
}

} // namespace

// The vectors of FIPS-197 (appendix B and appendix C.1), both directions and
// in place: the same on Windows (CNG) and elsewhere (libcrypto).
TEST(Aes128Block, MatchesTheStandardsVectors) {
    struct Vector {
        const char* key;
        const char* plain;
        const char* cipher;
    } vectors[] = {
        {"2b7e151628aed2a6abf7158809cf4f3c", "3243f6a8885a308d313198a2e0370734",
         "3925841d02dc09fbdc118597196a0b32"},
        {"000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff",
         "69c4e0d86a7b0430d8cdb78070b4c55a"},
    };
    for (const Vector& v : vectors) {
        unsigned char key[16], plain[16], out[16];
        unhex(v.key, key);
        unhex(v.plain, plain);
        platform::aes128Block(key, plain, out, true);
        EXPECT_EQ(hex(out), v.cipher);
        platform::aes128Block(key, out, out, false);
        EXPECT_EQ(hex(out), v.plain);
    }
}
