// Fuzz target: the brand file's decoding. Any first line decodes without
// reading or writing out of bounds; the lenient Base64 decoder agrees with a
// plain reading of its rules; a brand written by EncodeBrandLine reads back;
// the first line of any file is taken as the reader's rules say.
#include "FuzzSupport.h"

#include "app/Brand.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

// The decoding rules, one group at a time, written as plainly as possible.
std::string referenceBase64(const std::string& text) {
    auto valueOf = [](unsigned char c) -> int {
        const std::string alphabet =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        if (c == '=')
            return 255;
        auto pos = alphabet.find(static_cast<char>(c));
        return pos == std::string::npos ? -1 : static_cast<int>(pos);
    };
    std::string out;
    int w[4] = {0, 0, 0, 0};
    std::size_t groups = text.size() / 4;
    for (std::size_t g = 0; g < groups; ++g) {
        for (int i = 0; i < 4; ++i) {
            int v = valueOf(static_cast<unsigned char>(text[g * 4 + i]));
            if (v >= 0)
                w[i] = v;
        }
        out.push_back(static_cast<char>((w[0] << 2 | w[1] >> 4) & 0xFF));
        if (w[2] == 255)
            continue;
        out.push_back(static_cast<char>((w[1] << 4 | w[2] >> 2) & 0xFF));
        if (w[3] == 255)
            continue;
        out.push_back(static_cast<char>((w[2] << 6 | w[3]) & 0xFF));
    }
    return out;
}

std::string stripped(const std::string& s) {
    std::size_t a = 0, b = s.size();
    while (a < b && static_cast<unsigned char>(s[a]) <= 0x20)
        ++a;
    while (b > a && static_cast<unsigned char>(s[b - 1]) <= 0x20)
        --b;
    return s.substr(a, b - a);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzzsupport::check;
    fuzzsupport::quietServices();
    const std::string text(reinterpret_cast<const char*>(data), size);

    const std::string decoded = DecodeBase64Text(text);
    check(decoded == referenceBase64(text), "DecodeBase64Text follows the group rules");
    check(decoded.size() <= text.size() / 4 * 3, "at most three bytes per group");

    const std::string brand = DecodeBrand(text);
    check(brand.size() <= decoded.size(), "the brand is no longer than its bytes");
    check(brand == stripped(brand), "the brand has no blanks or control bytes at its ends");

    // Any text as a brand: written and read back, only the ends are stripped.
    const std::string line = EncodeBrandLine(text);
    check(line.find_first_of("\r\n") == std::string::npos, "a written brand line is one line");
    check(DecodeBase64Text(line).size() == text.size(), "canonical Base64 keeps the length");
    check(DecodeBrand(line) == stripped(text), "a written brand reads back");

    // The same bytes as a whole brand file.
    const std::string path = fuzzsupport::scratch().file("Quillmere.dat");
    fuzzsupport::writeBytes(path, text);
    const BrandFileLine read = ReadBrandFileLine(path);
    std::string expected = text.substr(0, text.find('\0'));
    if (expected.empty()) {
        check(read.status == BrandReadStatus::NoLine, "a file without a line has no line");
    } else {
        check(read.status == BrandReadStatus::Ok, "a file with a line is read");
        check(read.line == expected.substr(0, expected.find_first_of("\r\n")),
              "the first line ends at CR or LF");
    }

    for (int block : {1, 3, 16, 32}) {
        std::string padded = PadWithZeros(text, block);
        check(padded.size() % block == 0 && padded.size() >= text.size() &&
                  padded.size() < text.size() + block + (text.empty() ? 1 : 0) &&
                  padded.compare(0, text.size(), text) == 0,
              "PadWithZeros extends to a whole block");
    }
    return 0;
}
