// Text rules of the INI engine: how names compare, upper case for messages,
// and how a value reads as an integer.
//
// Comparison rule. Section names and keys compare equal when their folded
// forms have the same bytes. A name that is valid UTF-8 (every name of a
// loaded file is, see BigIniFile.h) folds A-Z to a-z and the capitals of the
// Western European letters to their small letter: U+00C0-U+00DE (except
// U+00D7, the multiplication sign) to U+00E0-U+00FE, and S/s with caron,
// OE/oe, Z/z with caron and Y/y with diaeresis, the same pairs the 8-bit
// Western code page (Windows-1252) knows. A name that is not valid UTF-8 is
// taken as Windows-1252 bytes and folds with that code page's table: A-Z,
// 0xC0-0xDE (except 0xD7) to 0xE0-0xFE, and 0x8A/0x9A, 0x8C/0x9C, 0x8E/0x9E,
// 0x9F/0xFF. Every other byte, blanks and punctuation included, compares as
// itself. Folding never changes a name's length, and it does not depend on
// the machine's locale settings, so a file gives the same sections on every
// machine; the same rule serves every comparison: section and key lookups and
// the dropping of duplicate sections after a load.
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

// True when `name` is plain ASCII or well-formed UTF-8.
bool isUtf8Name(std::string_view name);

// The folded byte at `i` of a UTF-8 name of `n` bytes. The changed letters
// are two-byte sequences (lead byte 0xC3 or 0xC5), so a byte is folded by
// looking at its neighbours only.
inline unsigned char foldUtf8At(const unsigned char* s, std::size_t n, std::size_t i) {
    const unsigned char c = s[i];
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
    if (c == 0xC5 && i + 1 < n && s[i + 1] == 0xB8)
        return 0xC3; // U+0178 Y with diaeresis -> U+00FF (C3 BF)
    if (i > 0 && (c & 0xC0) == 0x80) {
        const unsigned char lead = s[i - 1];
        if (lead == 0xC3 && c <= 0x9E && c != 0x97)
            return static_cast<unsigned char>(c + 0x20);
        if (lead == 0xC5) {
            if (c == 0x92 || c == 0xA0 || c == 0xBD)
                return static_cast<unsigned char>(c + 1); // OE, S caron, Z caron
            if (c == 0xB8)
                return 0xBF;
        }
    }
    return c;
}

// Calls `put` with each folded byte of `name`.
template <class Put> inline void foldName(std::string_view name, Put put) {
    const auto* s = reinterpret_cast<const unsigned char*>(name.data());
    const std::size_t n = name.size();
    if (isUtf8Name(name)) {
        for (std::size_t i = 0; i < n; ++i)
            put(foldUtf8At(s, n, i));
    } else {
        for (std::size_t i = 0; i < n; ++i)
            put(kFold[s[i]]);
    }
}

// The comparison for names that hold bytes beyond ASCII (IniText.cpp).
bool sameNameBeyondAscii(std::string_view a, std::string_view b);

inline bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    const auto* x = reinterpret_cast<const unsigned char*>(a.data());
    const auto* y = reinterpret_cast<const unsigned char*>(b.data());
    // Names are nearly always ASCII, where folding is A-Z to a-z byte by
    // byte. An ASCII byte folds to an ASCII byte and any other byte to one
    // that is not, so different folds of a pair with an ASCII byte decide;
    // only names beyond ASCII need the whole rule.
    unsigned char high = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const unsigned char cx = x[i], cy = y[i];
        high |= cx | cy;
        if (cx != cy && kFold[cx] != kFold[cy]) {
            if (cx < 0x80 || cy < 0x80)
                return false;
            return sameNameBeyondAscii(a, b);
        }
    }
    return high < 0x80 || sameNameBeyondAscii(a, b);
}

// A hash of the folded name: names that compare equal hash equal.
inline std::uint32_t nameHash(std::string_view name) {
    std::uint32_t h = 2166136261u;
    bool ascii = true;
    for (char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80) {
            ascii = false;
            break;
        }
        h = (h ^ kFold[b]) * 16777619u;
    }
    if (!ascii) {
        h = 2166136261u;
        foldName(name, [&h](unsigned char c) { h = (h ^ c) * 16777619u; });
    }
    return h ^ (h >> 15);
}

// Capital letters for messages, by the same pairs as the comparison rule:
// UTF-8 text by the Unicode letters, other text by the Windows-1252 table.
std::string upperCase(std::string_view text);

// Reads an integer: leading blanks, an optional sign, then decimal digits or
// hexadecimal digits after "$", "x", "X", "0x" or "0X". Anything else, an
// empty text or a number outside the 32-bit signed range fails.
bool parseInteger(std::string_view text, std::int32_t& result);

} // namespace initext
