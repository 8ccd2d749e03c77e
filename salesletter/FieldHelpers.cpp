#include "FieldHelpers.h"

#include "platform/PathParts.h"

#include <cctype>
#include <cstdio>

std::string ColorToHex(std::uint32_t color) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%06X", static_cast<unsigned>(color));
    std::string s = digits;
    // The value is written blue, green, red; the text is red, green, blue.
    return s.substr(4, 2) + s.substr(2, 2) + s.substr(0, 2);
}

namespace {

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool sameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != b[i])
            return false;
    return true;
}

} // namespace

std::size_t SchemeLength(std::string_view text) {
    if (text.empty() || !isLetter(text[0]))
        return 0;
    std::size_t i = 1;
    while (i < text.size() && (isLetter(text[i]) || (text[i] >= '0' && text[i] <= '9') ||
                               text[i] == '+' || text[i] == '-' || text[i] == '.'))
        ++i;
    if (i >= text.size() || text[i] != ':')
        return 0;
    const std::string_view scheme = text.substr(0, i);
    if (text.substr(i + 1, 2) == "//")
        return i + 3;
    for (std::string_view known : {"mailto", "tel", "sms", "news", "urn", "data"})
        if (sameLetters(scheme, known))
            return i + 1;
    return 0;
}

bool IsBareScheme(std::string_view text) {
    const std::string_view t = trimmed(text);
    const std::size_t n = SchemeLength(t);
    return n > 0 && n == t.size();
}

std::string CompleteWebAddress(const std::string& text) {
    const std::string_view t = trimmed(text);
    if (t.empty() || SchemeLength(t) > 0)
        return std::string(t);
    return "http://" + std::string(t);
}

std::string UnquoteName(const std::string& text) {
    std::string s = text;
    if (!s.empty() && s.front() == '"')
        s.erase(0, 1);
    if (!s.empty() && s.back() == '"')
        s.pop_back();
    return s;
}

std::string QuoteIfBlank(const std::string& path) {
    return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

std::string WelcomeSavePath(const std::string& text, const std::string& initialFolder) {
    for (char c : text)
        if (platform::isPathDelimiter(c))
            return text;
    return initialFolder + platform::kPathSeparator + text;
}
