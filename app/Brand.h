// The brand file: the reseller's affiliate name, enciphered, beside the program.
//
// The file's first line is the Base64 text of the brand enciphered with AES-128
// in CBC mode, a short final block being closed with residual block
// termination. The program only reads brand files; EncodeBrandLine exists for
// the reseller's writer tool and for tests.
#pragma once

#include <string>

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

// The brand file of this copy: program folder + "Quillmere.dat".
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
