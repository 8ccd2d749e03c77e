// The brand file: the reseller's affiliate name, enciphered, beside the program.
//
// The file's first line is the Base64 text of the brand enciphered with AES-128
// in CBC mode, a short final block being closed with residual block
// termination. The program only reads brand files; EncodeBrandLine exists for
// the reseller's writer tool and for tests.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

enum class BrandReadStatus {
    Ok,         // `line` holds the first line
    Unreadable, // no such file, no access, read error: the copy is not branded
    NoLine      // the file has no line at all (empty, or a NUL byte first)
};

struct BrandFileLine {
    BrandReadStatus status;
    std::string line;
};

// The first line of the file, exactly as stored (nothing trimmed). A line ends
// at CR, LF or CR LF; a NUL byte ends the whole text.
BrandFileLine ReadBrandFileLine(const std::string& path);

inline constexpr const char* kBrandFileName = "Quillmere.dat";

// Where the brand file is looked for, in this order: beside the executable (a
// reseller ships it with the program), then in the per-user data folder (a
// user drops a bought brand there when the program folder belongs to the
// system).
std::vector<std::string> BrandFileLocations();

// The warning of a copy without a readable brand file. Beyond Windows it also
// says where a brand file goes and which command makes one.
std::string NotBrandedText();

// The brand file of this copy: the first of BrandFileLocations() that exists,
// or the one beside the executable when none does.
std::string BrandFilePath();

// `text` extended with NUL bytes to the next multiple of `blockLength`; an
// empty text becomes one block of NULs, a non-empty multiple stays as it is.
std::string PadWithZeros(const std::string& text, int blockLength);

// Lenient Base64: groups of four characters, leftover characters ignored,
// characters outside the alphabet keeping the previous group's value at their
// position, "=" being a pad mark wherever it stands.
std::string DecodeBase64Text(const std::string& text);

// The brand held by a brand file's first line: deciphered and stripped of the
// bytes 0x00 to 0x20 at both ends. Never fails; a damaged line gives some other text.
std::string DecodeBrand(const std::string& line);

// The first line of a brand file that decodes to `brand` (canonical Base64).
std::string EncodeBrandLine(const std::string& brand);

// The longest brand NAME, in characters: an affiliate name, which goes into
// page addresses and the main menu.
inline constexpr std::size_t kBrandMaxLength = 64;

// Why `name` cannot be a brand, or empty when it can: a brand is 1 to
// kBrandMaxLength characters of UTF-8 text without control characters (tabs
// and line breaks included).
std::string BrandNameProblem(const std::string& name);

// The rule above as one sentence, for messages and help.
std::string BrandNameRule();

// Whether a decoded brand is printable text (non-empty, UTF-8, no control
// characters): what a brand file gives, and a file that is none almost never does.
bool IsPrintableBrand(const std::string& brand);
