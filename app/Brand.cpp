#include "Brand.h"

#include "platform/Aes.h"
#include "platform/DataFolder.h"
#include "platform/FileSystem.h"
#include "platform/TextEncoding.h"
#include "platform/Wording.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

#ifdef _WIN32
#include <share.h>
#endif

namespace {

constexpr int kBlock = 16;
constexpr unsigned char kPadMark = 255;
const char kKeyText[] = "Ob tag";
const char kIvText[] = "mkvtrpqlwzhdnbgs";

using Block = std::array<unsigned char, kBlock>;

// One AES-128 block operation in one direction; the chaining is done here, not
// by the cipher (single blocks, no padding).
class AesBlock {
public:
    AesBlock(const unsigned char* key, bool encrypt) : key_(key), encrypt_(encrypt) {}
    Block run(const unsigned char* in) {
        Block out{};
        platform::aes128Block(key_, in, out.data(), encrypt_);
        return out;
    }

private:
    const unsigned char* key_;
    bool encrypt_;
};

// The key bytes, wiped when they go out of scope.
struct KeyBytes {
    std::string bytes = PadWithZeros(kKeyText, 32);
    ~KeyBytes() { platform::wipeSecret(bytes.data(), bytes.size()); }
    const unsigned char* key128() const {
        return reinterpret_cast<const unsigned char*>(bytes.data());
    }
};

Block ivBlock() {
    std::string iv = PadWithZeros(kIvText, kBlock);
    Block b{};
    for (int i = 0; i < kBlock; ++i)
        b[i] = static_cast<unsigned char>(iv[i]);
    return b;
}

int base64Value(unsigned char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    if (c == '=')
        return kPadMark;
    return -1;
}

bool isStripped(unsigned char c) {
    return c <= 0x20;
}

} // namespace

BrandFileLine ReadBrandFileLine(const std::string& path) {
#ifdef _WIN32
    // Denies writers: the open fails while another program writes the file.
    std::FILE* f = _fsopen(path.c_str(), "rb", _SH_DENYWR);
#else
    // POSIX has no share modes: the file is opened for reading only, and a
    // writer elsewhere neither blocks the open nor is blocked by it.
    std::FILE* f = std::fopen(path.c_str(), "rb");
#endif
    if (!f)
        return {BrandReadStatus::Unreadable, {}};
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, n);
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed)
        return {BrandReadStatus::Unreadable, {}};

    if (auto nul = text.find('\0'); nul != std::string::npos)
        text.resize(nul);
    if (text.empty())
        return {BrandReadStatus::NoLine, {}};
    return {BrandReadStatus::Ok, text.substr(0, text.find_first_of("\r\n"))};
}

std::vector<std::string> BrandFileLocations() {
    return {platform::programFolder() + kBrandFileName,
            platform::userDataFolder() + kBrandFileName};
}

std::string NotBrandedText() {
    std::string text = "This program copy is not branded yet!";
    if (platform::kWindowsWording)
        return text;
    const std::vector<std::string> places = BrandFileLocations();
    text += "\n\nPut the brand file \"" + std::string(kBrandFileName) +
            "\" beside the program or in your data folder:\n" + places[0] + "\n" + places[1] +
            "\n\nThe command \"quillmere-brand write NAME FILE\" makes one.";
    return text;
}

std::string BrandFilePath() {
    const std::vector<std::string> places = BrandFileLocations();
    for (const std::string& place : places)
        if (platform::fileExists(place))
            return place;
    return places.front();
}

std::string PadWithZeros(const std::string& text, int blockLength) {
    if (blockLength <= 0)
        return text;
    size_t n = static_cast<size_t>(blockLength);
    if (!text.empty() && text.size() % n == 0)
        return text;
    std::string out = text;
    out.resize((text.size() / n + 1) * n, '\0');
    return out;
}

std::string DecodeBase64Text(const std::string& text) {
    std::string out;
    out.reserve(text.size() / 4 * 3);
    // A character outside the alphabet in the first group finds value 0 here.
    int v[4] = {0, 0, 0, 0};
    for (size_t g = 0; g + 4 <= text.size(); g += 4) {
        for (int i = 0; i < 4; ++i)
            if (int value = base64Value(static_cast<unsigned char>(text[g + i])); value >= 0)
                v[i] = value;
        out += static_cast<char>(((v[0] << 2) | (v[1] >> 4)) & 0xFF);
        if (v[2] == kPadMark)
            continue;
        out += static_cast<char>(((v[1] << 4) | (v[2] >> 2)) & 0xFF);
        if (v[3] == kPadMark)
            continue;
        out += static_cast<char>(((v[2] << 6) | v[3]) & 0xFF);
    }
    return out;
}

std::string DecodeBrand(const std::string& line) {
    std::string data = DecodeBase64Text(line);
    {
        KeyBytes key;
        AesBlock decrypt(key.key128(), false);
        Block cv = ivBlock();
        size_t full = data.size() / kBlock * kBlock;
        for (size_t pos = 0; pos < full; pos += kBlock) {
            auto* block = reinterpret_cast<unsigned char*>(data.data() + pos);
            Block cipher{};
            std::copy(block, block + kBlock, cipher.begin());
            Block plain = decrypt.run(block);
            for (int i = 0; i < kBlock; ++i)
                block[i] = plain[i] ^ cv[i];
            cv = cipher;
        }
        if (full < data.size()) {
            // Residual block termination: the tail is XORed with the enciphered CV.
            AesBlock encrypt(key.key128(), true);
            Block pad = encrypt.run(cv.data());
            for (size_t i = full; i < data.size(); ++i)
                data[i] = static_cast<char>(data[i] ^ pad[i - full]);
            platform::wipeSecret(pad.data(), pad.size());
        }
        platform::wipeSecret(cv.data(), cv.size());
    }
    size_t first = 0, last = data.size();
    while (first < last && isStripped(static_cast<unsigned char>(data[first])))
        ++first;
    while (last > first && isStripped(static_cast<unsigned char>(data[last - 1])))
        --last;
    return data.substr(first, last - first);
}

std::string EncodeBrandLine(const std::string& brand) {
    std::string data = brand;
    {
        KeyBytes key;
        AesBlock encrypt(key.key128(), true);
        Block cv = ivBlock();
        size_t full = data.size() / kBlock * kBlock;
        for (size_t pos = 0; pos < full; pos += kBlock) {
            auto* block = reinterpret_cast<unsigned char*>(data.data() + pos);
            Block mixed{};
            for (int i = 0; i < kBlock; ++i)
                mixed[i] = block[i] ^ cv[i];
            cv = encrypt.run(mixed.data());
            std::copy(cv.begin(), cv.end(), block);
        }
        if (full < data.size()) {
            Block pad = encrypt.run(cv.data());
            for (size_t i = full; i < data.size(); ++i)
                data[i] = static_cast<char>(data[i] ^ pad[i - full]);
        }
    }
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < data.size(); i += 3) {
        unsigned b0 = static_cast<unsigned char>(data[i]);
        unsigned b1 = i + 1 < data.size() ? static_cast<unsigned char>(data[i + 1]) : 0;
        unsigned b2 = i + 2 < data.size() ? static_cast<unsigned char>(data[i + 2]) : 0;
        out += alphabet[b0 >> 2];
        out += alphabet[((b0 & 3) << 4) | (b1 >> 4)];
        out += i + 1 < data.size() ? alphabet[((b1 & 15) << 2) | (b2 >> 6)] : '=';
        out += i + 2 < data.size() ? alphabet[b2 & 63] : '=';
    }
    return out;
}

namespace {

// The number of characters of valid UTF-8 text.
std::size_t characterCount(const std::string& text) {
    std::size_t count = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80)
            ++count;
    return count;
}

// C0 controls, DEL, and the C1 controls (U+0080 to U+009F, "\xC2\x80" to "\xC2\x9F").
bool hasControlCharacter(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F)
            return true;
        if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0)
            return true;
    }
    return false;
}

} // namespace

std::string BrandNameRule() {
    return "A brand NAME is 1 to " + std::to_string(kBrandMaxLength) +
           " characters of text, without control characters (no tabs or line breaks).";
}

std::string BrandNameProblem(const std::string& name) {
    if (name.empty())
        return "The brand NAME is empty.";
    if (!platform::isValidUtf8(name))
        return "The brand NAME is not UTF-8 text.";
    if (hasControlCharacter(name))
        return "The brand NAME holds a control character.";
    if (characterCount(name) > kBrandMaxLength)
        return "The brand NAME has " + std::to_string(characterCount(name)) + " characters.";
    return {};
}

bool IsPrintableBrand(const std::string& brand) {
    return !brand.empty() && platform::isValidUtf8(brand) && !hasControlCharacter(brand);
}
