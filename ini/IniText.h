// Text rules of the INI engine: how names compare, upper case for messages,
// and how a value reads as an integer.
//
// Comparison rule. Section names and keys compare equal when they have the
// same bytes after case folding with one fixed table for the 8-bit Western
// code page (Windows-1252, a superset of Latin-1 for letters): A-Z fold to
// a-z, the accented capitals 0xC0-0xDE (except 0xD7, the multiplication
// sign) fold to 0xE0-0xFE, and the code page's extra pairs S/s with caron
// (0x8A/0x9A), OE/oe (0x8C/0x9C), Z/z with caron (0x8E/0x9E) and Y/y with
// diaeresis (0x9F/0xFF) fold to their small letter. Every other byte, blanks
// and punctuation included, compares as itself. The table does not depend on
// the machine's locale settings, so a file gives the same sections on every
// machine, and the same table serves every comparison: section and key
// lookups and the dropping of duplicate sections after a load.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace initext {

using ByteTable = std::array<unsigned char, 256>;

// Builds the folding table (upper = false: each byte's small-letter form) or
// its inverse (upper = true: each byte's capital form; small letters without
// a capital, such as sharp s, stay as they are).
constexpr ByteTable makeCaseTable(bool upper) {
    ByteTable t{};
    for (int c = 0; c < 256; ++c)
        t[c] = static_cast<unsigned char>(c);
    auto pair = [&t, upper](int capital, int small) {
        if (upper)
            t[small] = static_cast<unsigned char>(capital);
        else
            t[capital] = static_cast<unsigned char>(small);
    };
    for (int c = 'A'; c <= 'Z'; ++c)
        pair(c, c + 32);
    for (int c = 0xC0; c <= 0xDE; ++c)
        if (c != 0xD7)
            pair(c, c + 32);
    pair(0x8A, 0x9A);
    pair(0x8C, 0x9C);
    pair(0x8E, 0x9E);
    pair(0x9F, 0xFF);
    return t;
}

inline constexpr ByteTable kFold = makeCaseTable(false);
inline constexpr ByteTable kUpper = makeCaseTable(true);

inline bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    const auto* x = reinterpret_cast<const unsigned char*>(a.data());
    const auto* y = reinterpret_cast<const unsigned char*>(b.data());
    for (std::size_t i = 0; i < a.size(); ++i)
        if (x[i] != y[i] && kFold[x[i]] != kFold[y[i]])
            return false;
    return true;
}

// A hash of the folded name: names that compare equal hash equal.
inline std::uint32_t nameHash(std::string_view name) {
    std::uint32_t h = 2166136261u;
    for (unsigned char c : name)
        h = (h ^ kFold[c]) * 16777619u;
    return h ^ (h >> 15);
}

std::string upperCase(std::string_view text);

// Reads an integer: leading blanks, an optional sign, then decimal digits or
// hexadecimal digits after "$", "x", "X", "0x" or "0X". Anything else, an
// empty text or a number outside the 32-bit signed range fails.
bool parseInteger(std::string_view text, std::int32_t& result);

} // namespace initext
