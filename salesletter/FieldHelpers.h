// Text rules behind the wizard's pickers, address fields and welcome page.
#pragma once

#include <cstdint>
#include <string>

// A colour in the layout the colour dialog returns (red in the lowest byte,
// then green, then blue) as six upper-case hexadecimal digits, red first.
std::string ColorToHex(std::uint32_t color);

// "http://" + text unless the text already begins with "http://" in any letter case.
std::string CompleteWebAddress(const std::string& text);

// One double quote removed at the start, if there is one, then one at the end.
std::string UnquoteName(const std::string& text);
// The path between double quotes when it contains a blank.
std::string QuoteIfBlank(const std::string& path);

// Where the welcome page saves: the text itself when it has a folder part,
// otherwise initialFolder + separator + text.
std::string WelcomeSavePath(const std::string& text, const std::string& initialFolder);
