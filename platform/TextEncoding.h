// Text rules shared by every subsystem, free of windows: files and records
// hold UTF-8; older copies of the program wrote Windows-1252, and multi-line
// fields hold CR LF line breaks.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF). Plain ASCII is valid UTF-8.
bool isValidUtf8(std::string_view text);

// `text` read as Windows-1252 and written as UTF-8. The five bytes the code
// page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control
// characters of the same number, as Windows maps them.
std::string windows1252ToUtf8(std::string_view text);

// `text` with every well-formed UTF-8 sequence kept and each byte that starts
// none read as Windows-1252: how a value from a file of an older copy (or one
// that mixes both) is taken in. Valid UTF-8 comes back unchanged.
std::string utf8FromLegacy(std::string_view text);

// True when every byte of `text` is below 0x80. Looks at a machine word at a
// time.
bool isAscii(std::string_view text);

// The UTF-8 byte-order mark, which text editors may put at the start of a file.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The length in bytes of the first `limit` characters of `text` (all of it
// when it is shorter): a cut there never splits a UTF-8 character. A byte
// that starts no well-formed sequence counts as one character.
std::size_t utf8CutPoint(std::string_view text, std::size_t limit);

// Every CR LF, lone CR and lone LF becomes CR LF.
std::string toCrLf(std::string_view text);
// CR LF and lone CR become LF.
std::string toLf(std::string_view text);

} // namespace platform
