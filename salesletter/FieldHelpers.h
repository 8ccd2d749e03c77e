// Text rules behind the wizard's pickers, address fields and welcome page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A colour in the layout the colour dialog returns (red in the lowest byte,
// then green, then blue) as six upper-case hexadecimal digits, red first.
std::string ColorToHex(std::uint32_t color);

// The length of the scheme at the start of `text` with its ":" and any "//"
// after it ("https://", "mailto:", "ftp://", any letter case), 0 when the
// text starts with none. A scheme is a letter followed by letters, digits,
// "+", "-" or "."; it counts only when "//" follows its ":" or it is one of
// the schemes written without them (mailto, tel, sms, news, urn, data), so
// "localhost:8080" is no scheme.
std::size_t SchemeLength(std::string_view text);

// True when `text`, blanks around it aside, is a scheme and nothing else
// ("http://"): older copies left that in every web-address field the user
// left empty, and it is empty for the page.
bool IsBareScheme(std::string_view text);

// A web-address field as it is left: blanks around the text are dropped; an
// empty text stays empty, a text that starts with a scheme stays as typed,
// and only a bare address ("www.example.com") gets "http://" in front.
std::string CompleteWebAddress(const std::string& text);

// One double quote removed at the start, if there is one, then one at the end.
std::string UnquoteName(const std::string& text);
// The path between double quotes when it contains a blank.
std::string QuoteIfBlank(const std::string& path);

// Where the welcome page saves: the text itself when it has a folder part,
// otherwise initialFolder + separator + text.
std::string WelcomeSavePath(const std::string& text, const std::string& initialFolder);
