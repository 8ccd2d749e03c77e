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

std::string CompleteWebAddress(const std::string& text) {
    static const char kScheme[] = "HTTP://";
    bool has = text.size() >= 7;
    for (std::size_t i = 0; has && i < 7; ++i)
        has = std::toupper(static_cast<unsigned char>(text[i])) == kScheme[i];
    return has ? text : "http://" + text;
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
