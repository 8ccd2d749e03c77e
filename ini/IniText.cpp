#include "IniText.h"

#include "platform/TextEncoding.h"

namespace initext {
namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

bool isUtf8Name(std::string_view name) {
    for (char c : name)
        if (static_cast<unsigned char>(c) >= 0x80)
            return platform::isValidUtf8(name);
    return true;
}

bool sameNameBeyondAscii(std::string_view a, std::string_view b) {
    if (a == b)
        return true;
    const bool utf8A = isUtf8Name(a), utf8B = isUtf8Name(b);
    const auto* x = reinterpret_cast<const unsigned char*>(a.data());
    const auto* y = reinterpret_cast<const unsigned char*>(b.data());
    const std::size_t n = a.size();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char fx = utf8A ? foldUtf8At(x, n, i) : kFold[x[i]];
        const unsigned char fy = utf8B ? foldUtf8At(y, n, i) : kFold[y[i]];
        if (fx != fy)
            return false;
    }
    return true;
}

std::string upperCase(std::string_view text) {
    std::string out(text);
    if (!isUtf8Name(text)) {
        for (char& c : out)
            c = static_cast<char>(kUpper[static_cast<unsigned char>(c)]);
        return out;
    }
    auto* s = reinterpret_cast<unsigned char*>(out.data());
    const std::size_t n = out.size();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            if (c >= 'a' && c <= 'z')
                s[i] = static_cast<unsigned char>(c - 32);
        } else if (c == 0xC3 && i + 1 < n) {
            const unsigned char d = s[i + 1];
            if (d == 0xBF) { // y with diaeresis -> U+0178 (C5 B8)
                s[i] = 0xC5;
                s[i + 1] = 0xB8;
            } else if (d >= 0xA0 && d <= 0xBE && d != 0xB7) {
                s[i + 1] = static_cast<unsigned char>(d - 0x20);
            }
            ++i;
        } else if (c == 0xC5 && i + 1 < n) {
            const unsigned char d = s[i + 1];
            if (d == 0x93 || d == 0xA1 || d == 0xBE)
                s[i + 1] = static_cast<unsigned char>(d - 1);
            ++i;
        }
    }
    return out;
}

bool parseInteger(std::string_view text, std::int32_t& result) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return false;
    // The magnitude may reach 2^31 for the most negative number.
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        int d = base == 16 ? hexDigit(text[i])
                           : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (d < 0)
            return false;
        value = value * base + d;
        if (value > limit)
            return false;
    }
    result = static_cast<std::int32_t>(negative ? -value : value);
    return true;
}

} // namespace initext
