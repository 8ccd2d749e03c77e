#include "PageMarkup.h"

#include "FieldHelpers.h"

#include <cstring>

namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool startsNoCase(std::string_view text, std::size_t pos, std::string_view prefix) {
    if (pos > text.size() || text.size() - pos < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (lowerAscii(text[pos + i]) != lowerAscii(prefix[i]))
            return false;
    return true;
}
// A "<" that opens a tag: followed by a letter, "/" or "!".
bool opensTag(std::string_view text, std::size_t i) {
    return text[i] == '<' && i + 1 < text.size() &&
           (isLetter(text[i + 1]) || text[i + 1] == '/' || text[i + 1] == '!');
}

} // namespace

MarkupSpot SpotAt(std::string_view page, std::size_t pos) {
    std::size_t i = pos;
    while (i > 0) {
        --i;
        if (page[i] == '>')
            break;
        if (opensTag(page, i)) {
            if (startsNoCase(page, i, "<!--"))
                return MarkupSpot::Content;
            // Inside a tag: the attribute whose quoted value holds pos.
            char quote = 0;
            std::size_t valueStart = 0;
            for (std::size_t j = i; j < pos; ++j) {
                if (quote) {
                    if (page[j] == quote)
                        quote = 0;
                } else if (page[j] == '"' || page[j] == '\'') {
                    quote = page[j];
                    valueStart = j;
                }
            }
            if (!quote)
                return MarkupSpot::Attribute;
            std::size_t k = valueStart;
            while (k > i && (page[k - 1] == ' ' || page[k - 1] == '='))
                --k;
            std::size_t nameStart = k;
            while (nameStart > i && (isLetter(page[nameStart - 1]) || page[nameStart - 1] == '-'))
                --nameStart;
            const std::string_view name = page.substr(nameStart, k - nameStart);
            for (const char* address : {"href", "src", "action"})
                if (name.size() == std::strlen(address) && startsNoCase(name, 0, address))
                    return MarkupSpot::Address;
            return MarkupSpot::Attribute;
        }
    }
    // Element content: of <title> when that is the last tag opened before.
    for (std::size_t j = pos; j > 0; --j)
        if (opensTag(page, j - 1))
            return startsNoCase(page, j - 1, "<title") ? MarkupSpot::Title : MarkupSpot::Content;
    return MarkupSpot::Content;
}

std::string EscapeAttribute(std::string_view value) {
    std::string out;
    out.reserve(value.size() + 16);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '\r':
            if (i + 1 < value.size() && value[i + 1] == '\n')
                ++i;
            out += ' ';
            break;
        case '\n':
            out += ' ';
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string EncodeAddress(std::string_view value) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(value.size() + 16);
    for (char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '&') {
            out += "&amp;";
        } else if (c <= 0x20 || c >= 0x7F || std::strchr("\"<>^`{|}'", ch)) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

std::string LinkTarget(std::string_view value) {
    while (!value.empty() && isBlank(value.front()))
        value.remove_prefix(1);
    while (!value.empty() && isBlank(value.back()))
        value.remove_suffix(1);
    if (value.empty() || IsBareScheme(value))
        return {};
    for (const char* scheme : {"http://", "https://", "ftp://", "mailto:", "tel:"})
        if (startsNoCase(value, 0, scheme))
            return std::string(value);
    if (SchemeLength(value) > 0 || value.find(':') != std::string_view::npos)
        return {}; // javascript:, data:, file: and the like are no link for a buyer
    // A bare host name: letters, digits, "-" and at least one inner ".".
    const std::size_t end = value.find_first_of("/?#");
    const std::string_view host = value.substr(0, end);
    const std::size_t dot = host.find('.');
    if (dot == std::string_view::npos || dot == 0 || host.back() == '.')
        return {};
    for (char c : host)
        if (!(isLetter(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'))
            return {};
    return "http://" + std::string(value);
}

std::string LinesAsBreaks(std::string_view value) {
    std::string out;
    out.reserve(value.size() + 32);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const bool crlf = value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n';
        if (!crlf && value[i] != '\n' && value[i] != '\r') {
            out += value[i];
            continue;
        }
        const std::size_t after = i + (crlf ? 2 : 1);
        std::size_t b = out.size();
        while (b > 0 && (out[b - 1] == ' ' || out[b - 1] == '\t'))
            --b;
        std::size_t n = after;
        while (n < value.size() && (value[n] == ' ' || value[n] == '\t'))
            ++n;
        const bool markupAround = b == 0 || out[b - 1] == '>' || out[b - 1] == '\n' ||
                                  n >= value.size() || value[n] == '<' || value[n] == '\r' ||
                                  value[n] == '\n';
        if (!markupAround)
            out += "<br>";
        out += "\r\n";
        i = after - 1;
    }
    return out;
}

std::string PlainText(std::string_view value) {
    std::string out;
    bool inTag = false;
    for (std::size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (c == '<' && opensTag(value, i))
            inTag = true;
        else if (c == '>')
            inTag = false;
        else if (!inTag) {
            if (isBlank(c))
                c = ' ';
            if (c == ' ' && (out.empty() || out.back() == ' '))
                continue;
            out += c;
        }
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

std::string LanguageCode(std::string_view language) {
    std::string name;
    for (char c : language)
        if (!isBlank(c))
            name += lowerAscii(c);
    static const struct {
        const char* name;
        const char* code;
    } kNames[] = {{"english", "en"},
                  {"german", "de"},
                  {"deutsch", "de"},
                  {"french", "fr"},
                  {"francais", "fr"},
                  {"fran\xc3\xa7"
                   "ais",
                   "fr"},
                  {"spanish", "es"},
                  {"espanol", "es"},
                  {"espa\xc3\xb1ol", "es"},
                  {"italian", "it"},
                  {"italiano", "it"},
                  {"portuguese", "pt"},
                  {"portugues", "pt"},
                  {"dutch", "nl"},
                  {"nederlands", "nl"},
                  {"swedish", "sv"},
                  {"svenska", "sv"},
                  {"danish", "da"},
                  {"dansk", "da"},
                  {"norwegian", "no"},
                  {"norsk", "no"},
                  {"finnish", "fi"},
                  {"suomi", "fi"},
                  {"polish", "pl"},
                  {"polski", "pl"},
                  {"czech", "cs"},
                  {"russian", "ru"},
                  {"greek", "el"},
                  {"turkish", "tr"},
                  {"japanese", "ja"},
                  {"chinese", "zh"},
                  {"korean", "ko"},
                  {"arabic", "ar"},
                  {"hebrew", "he"},
                  {"hindi", "hi"},
                  {"hungarian", "hu"},
                  {"romanian", "ro"},
                  {"latin", "la"},
                  {"irish", "ga"},
                  {"welsh", "cy"},
                  {"ukrainian", "uk"},
                  {"catalan", "ca"}};
    for (const auto& entry : kNames)
        if (name == entry.name)
            return entry.code;
    // A code typed as such: two or three letters, then "-" and letters or digits.
    std::size_t letters = 0;
    while (letters < name.size() && isLetter(name[letters]))
        ++letters;
    if (letters >= 2 && letters <= 3) {
        bool ok = letters == name.size() || name[letters] == '-' || name[letters] == '_';
        for (std::size_t i = letters + 1; ok && i < name.size(); ++i)
            ok = isLetter(name[i]) || (name[i] >= '0' && name[i] <= '9');
        if (ok && (letters == name.size() || name.size() > letters + 1)) {
            std::string code(language.substr(language.find_first_not_of(" \t")));
            while (!code.empty() && isBlank(code.back()))
                code.pop_back();
            for (std::size_t i = 0; i < code.size(); ++i)
                code[i] = i < letters ? lowerAscii(code[i]) : (code[i] == '_' ? '-' : code[i]);
            return code;
        }
    }
    return "en";
}

namespace {

// The end (one past ">") of the tag that starts at `start`, or npos.
std::size_t tagEnd(std::string_view page, std::size_t start) {
    char quote = 0;
    for (std::size_t i = start + 1; i < page.size(); ++i) {
        if (quote) {
            if (page[i] == quote)
                quote = 0;
        } else if (page[i] == '"' || page[i] == '\'') {
            quote = page[i];
        } else if (page[i] == '>') {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

std::string tagName(std::string_view page, std::size_t start) {
    std::string name;
    for (std::size_t i = start + 1;
         i < page.size() && (isLetter(page[i]) || (page[i] >= '0' && page[i] <= '9')); ++i)
        name += lowerAscii(page[i]);
    return name;
}

bool emptyAddress(std::string_view tag) {
    for (const char* empty : {"href=\"\"", "href=\"mailto:\"", "href=\"mailto:?"})
        if (tag.find(empty) != std::string_view::npos)
            return true;
    return false;
}

// Links without an address: the element around a link that is all it holds
// goes with it; otherwise only the link's tags go and its text stays.
bool dropDeadLinks(std::string& page) {
    bool changed = false;
    for (std::size_t a = page.find("<a "); a != std::string::npos; a = page.find("<a ", a + 1)) {
        const std::size_t open = tagEnd(page, a);
        if (open == std::string::npos || !emptyAddress(std::string_view(page).substr(a, open - a)))
            continue;
        const std::size_t close = page.find("</a>", open);
        if (close == std::string::npos)
            continue;
        const std::size_t closeEnd = close + 4;
        // Is the link all its parent holds?
        std::size_t before = a;
        while (before > 0 && isBlank(page[before - 1]))
            --before;
        std::size_t after = closeEnd;
        while (after < page.size() && isBlank(page[after]))
            ++after;
        if (before > 0 && page[before - 1] == '>' && after + 1 < page.size() &&
            page.compare(after, 2, "</") == 0) {
            const std::size_t parentStart = page.rfind('<', before - 1);
            const std::string name = tagName(page, parentStart);
            const std::size_t parentEnd = page.find('>', after);
            if (parentStart != std::string::npos && !name.empty() &&
                tagName(page, after + 1) == name && parentEnd != std::string::npos) {
                page.erase(parentStart, parentEnd + 1 - parentStart);
                a = parentStart == 0 ? 0 : parentStart - 1;
                changed = true;
                continue;
            }
        }
        page.erase(close, 4);
        page.erase(a, open - a);
        changed = true;
    }
    return changed;
}

// A picture without a file shows as a broken picture: it goes.
void dropEmptyPictures(std::string& page) {
    for (std::size_t m = page.find("<img "); m != std::string::npos; m = page.find("<img ", m)) {
        const std::size_t end = tagEnd(page, m);
        if (end == std::string::npos)
            return;
        if (std::string_view(page).substr(m, end - m).find(" src=\"\"") != std::string_view::npos)
            page.erase(m, end - m);
        else
            m = end;
    }
}

void dropEmptyMeta(std::string& page) {
    for (std::size_t m = page.find("<meta "); m != std::string::npos; m = page.find("<meta ", m)) {
        const std::size_t end = tagEnd(page, m);
        if (end == std::string::npos)
            return;
        const std::string_view tag = std::string_view(page).substr(m, end - m);
        if (tag.find("content=\"\"") != std::string_view::npos ||
            tag.find("content=\" \"") != std::string_view::npos)
            page.erase(m, end - m);
        else
            m = end;
    }
}

// Elements that say nothing when they hold only blanks.
bool removable(const std::string& name) {
    static const char* const kNames[] = {
        "p",     "div",     "span",  "h1",         "h2",    "h3",     "li",     "ul",
        "ol",    "strong",  "em",    "b",          "i",     "td",     "tr",     "table",
        "tbody", "section", "aside", "blockquote", "small", "header", "figure", "nav"};
    for (const char* n : kNames)
        if (name == n)
            return true;
    return false;
}

bool dropEmptyElements(std::string& page) {
    bool changed = false;
    std::string out;
    out.reserve(page.size());
    std::size_t i = 0;
    while (i < page.size()) {
        if (page[i] == '<' && i + 1 < page.size() && isLetter(page[i + 1])) {
            const std::string name = tagName(page, i);
            const std::size_t end = tagEnd(page, i);
            if (end != std::string::npos && removable(name)) {
                std::size_t j = end;
                while (j < page.size() && isBlank(page[j]))
                    ++j;
                const std::string close = "</" + name + ">";
                if (startsNoCase(page, j, close)) {
                    i = j + close.size();
                    changed = true;
                    continue;
                }
            }
        }
        out += page[i++];
    }
    page.swap(out);
    return changed;
}

void dropBlankLines(std::string& page) {
    std::string out;
    out.reserve(page.size());
    std::size_t i = 0;
    while (i < page.size()) {
        std::size_t end = page.find("\r\n", i);
        end = end == std::string::npos ? page.size() : end + 2;
        const std::string_view line = std::string_view(page).substr(i, end - i);
        bool blank = true;
        for (char c : line)
            blank = blank && isBlank(c);
        if (!blank)
            out.append(line);
        i = end;
    }
    page.swap(out);
}

} // namespace

void TidyPage(std::string& page) {
    dropEmptyMeta(page);
    dropEmptyPictures(page);
    for (int round = 0; round < 16; ++round) {
        const bool links = dropDeadLinks(page);
        const bool elements = dropEmptyElements(page);
        if (!links && !elements)
            break;
    }
    dropBlankLines(page);
}
