#include "PictureFile.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

unsigned byteAt(std::string_view b, std::size_t i) {
    return i < b.size() ? static_cast<unsigned char>(b[i]) : 0u;
}
unsigned be16(std::string_view b, std::size_t i) {
    return byteAt(b, i) << 8 | byteAt(b, i + 1);
}
unsigned be32(std::string_view b, std::size_t i) {
    return be16(b, i) << 16 | be16(b, i + 2);
}
unsigned le16(std::string_view b, std::size_t i) {
    return byteAt(b, i) | byteAt(b, i + 1) << 8;
}
unsigned le24(std::string_view b, std::size_t i) {
    return le16(b, i) | byteAt(b, i + 2) << 16;
}

std::string lowerCopy(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

void jpegSize(std::string_view b, PictureFile& p) {
    std::size_t i = 2;
    while (i + 9 < b.size()) {
        if (byteAt(b, i) != 0xFF) {
            ++i;
            continue;
        }
        const unsigned marker = byteAt(b, i + 1);
        if (marker == 0xFF) {
            ++i;
            continue;
        }
        // Start-of-frame markers C0..CF except DHT (C4), JPG (C8) and DAC (CC).
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC) {
            p.height = static_cast<int>(be16(b, i + 5));
            p.width = static_cast<int>(be16(b, i + 7));
            return;
        }
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            i += 2;
            continue;
        }
        i += 2 + be16(b, i + 2);
    }
}

// A number at the start of an SVG length ("120", "120px", "12.5"); 0 for
// relative lengths ("100%", "10em"), which give no pixel size.
int svgLength(std::string_view v) {
    std::size_t n = 0;
    double value = 0;
    while (n < v.size() && v[n] >= '0' && v[n] <= '9')
        value = value * 10 + (v[n++] - '0');
    if (n < v.size() && v[n] == '.') {
        double scale = 0.1;
        for (++n; n < v.size() && v[n] >= '0' && v[n] <= '9'; ++n, scale /= 10)
            value += (v[n] - '0') * scale;
    }
    const std::string_view unit = v.substr(n);
    if (n == 0 || !(unit.empty() || unit == "px"))
        return 0;
    return static_cast<int>(value + 0.5);
}

std::string svgAttribute(std::string_view tag, std::string_view name) {
    for (std::size_t at = tag.find(name); at != std::string_view::npos;
         at = tag.find(name, at + 1)) {
        if (at == 0 || (tag[at - 1] != ' ' && tag[at - 1] != '\n' && tag[at - 1] != '\t' &&
                        tag[at - 1] != '\r'))
            continue;
        std::size_t i = at + name.size();
        while (i < tag.size() && tag[i] == ' ')
            ++i;
        if (i >= tag.size() || tag[i] != '=')
            continue;
        ++i;
        while (i < tag.size() && tag[i] == ' ')
            ++i;
        if (i >= tag.size() || (tag[i] != '"' && tag[i] != '\''))
            continue;
        const std::size_t end = tag.find(tag[i], i + 1);
        if (end == std::string_view::npos)
            return {};
        return std::string(tag.substr(i + 1, end - i - 1));
    }
    return {};
}

// An SVG drawing: text whose first element is <svg>, with no script, no
// event handler and no javascript: address anywhere.
bool inspectSvg(std::string_view b, PictureFile& p) {
    const std::string low = lowerCopy(b.substr(0, std::min<std::size_t>(b.size(), 4096)));
    std::size_t i = startsWith(low, "\xef\xbb\xbf") ? 3 : 0;
    for (;;) {
        while (i < low.size() && std::strchr(" \t\r\n", low[i]) && low[i] != '\0')
            ++i;
        if (startsWith(std::string_view(low).substr(i), "<?") ||
            startsWith(std::string_view(low).substr(i), "<!--") ||
            startsWith(std::string_view(low).substr(i), "<!doctype")) {
            const char* close = low.compare(i, 4, "<!--") == 0 ? "-->" : ">";
            const std::size_t end = low.find(close, i);
            if (end == std::string::npos)
                return false;
            i = end + std::strlen(close);
            continue;
        }
        break;
    }
    if (!startsWith(std::string_view(low).substr(i), "<svg"))
        return false;
    const std::string all = lowerCopy(b);
    if (all.find("<script") != std::string::npos || all.find("javascript:") != std::string::npos ||
        all.find("<foreignobject") != std::string::npos)
        throw std::runtime_error("is an SVG drawing that holds a script");
    for (std::size_t on = all.find("on"); on != std::string::npos; on = all.find("on", on + 1)) {
        if (on == 0 || !std::strchr(" \t\r\n/", all[on - 1]) || all[on - 1] == '\0')
            continue;
        std::size_t j = on + 2;
        while (j < all.size() && all[j] >= 'a' && all[j] <= 'z')
            ++j;
        while (j < all.size() && (all[j] == ' ' || all[j] == '\t'))
            ++j;
        if (j > on + 2 && j < all.size() && all[j] == '=')
            throw std::runtime_error("is an SVG drawing that holds a script");
    }
    const std::size_t tagEnd = b.find('>', i);
    const std::string_view tag =
        b.substr(i, tagEnd == std::string_view::npos ? b.npos : tagEnd - i);
    p.width = svgLength(svgAttribute(tag, "width"));
    p.height = svgLength(svgAttribute(tag, "height"));
    if (p.width == 0 || p.height == 0) {
        // "minX minY width height"
        const std::string box = svgAttribute(tag, "viewBox");
        double v[4] = {0, 0, 0, 0};
        if (std::sscanf(box.c_str(), "%lf%*[ ,]%lf%*[ ,]%lf%*[ ,]%lf", &v[0], &v[1], &v[2],
                        &v[3]) == 4 &&
            v[2] > 0 && v[3] > 0) {
            p.width = static_cast<int>(v[2] + 0.5);
            p.height = static_cast<int>(v[3] + 0.5);
        } else {
            p.width = p.height = 0;
        }
    }
    return true;
}

} // namespace

PictureFile InspectPictureBytes(std::string bytes) {
    PictureFile p;
    p.type = nullptr;
    const std::string_view b = bytes;
    if (startsWith(b, "\x89PNG\r\n\x1a\n")) {
        p.type = "PNG";
        if (b.substr(12, 4) == "IHDR") {
            p.width = static_cast<int>(be32(b, 16));
            p.height = static_cast<int>(be32(b, 20));
        }
    } else if (startsWith(b, "\xFF\xD8\xFF")) {
        p.type = "JPEG";
        jpegSize(b, p);
    } else if (startsWith(b, "GIF87a") || startsWith(b, "GIF89a")) {
        p.type = "GIF";
        p.width = static_cast<int>(le16(b, 6));
        p.height = static_cast<int>(le16(b, 8));
    } else if (startsWith(b, "RIFF") && b.substr(8, 4) == "WEBP") {
        p.type = "WebP";
        const std::string_view chunk = b.substr(12, 4);
        if (chunk == "VP8 " && be16(b, 23) == 0x9D01 && byteAt(b, 25) == 0x2A) {
            p.width = static_cast<int>(le16(b, 26) & 0x3FFF);
            p.height = static_cast<int>(le16(b, 28) & 0x3FFF);
        } else if (chunk == "VP8L" && byteAt(b, 20) == 0x2F) {
            const unsigned bits = le16(b, 21) | le16(b, 23) << 16;
            p.width = static_cast<int>((bits & 0x3FFF) + 1);
            p.height = static_cast<int>(((bits >> 14) & 0x3FFF) + 1);
        } else if (chunk == "VP8X") {
            p.width = static_cast<int>(le24(b, 24) + 1);
            p.height = static_cast<int>(le24(b, 27) + 1);
        }
    } else if (inspectSvg(b, p)) {
        p.type = "SVG";
    }
    if (p.width <= 0 || p.height <= 0 || p.width > 100000 || p.height > 100000)
        p.width = p.height = 0;
    p.bytes = std::move(bytes);
    return p;
}

PictureFile ReadPictureFile(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos)
        throw std::runtime_error("is no file name");
    std::error_code ec;
    fs::path file = platform::fsPath(path);
    const fs::file_status own = fs::symlink_status(file, ec);
    if (ec || !fs::exists(own))
        throw std::runtime_error("cannot be found");
    if (fs::is_symlink(own)) {
        file = fs::canonical(file, ec);
        if (ec)
            throw std::runtime_error("is a symbolic link to nothing");
    }
    // Only the type as the folder lists it is asked: a FIFO or a device is
    // refused without being opened (opening a FIFO would wait for a writer).
    const fs::file_status target = fs::status(file, ec);
    if (ec || !fs::is_regular_file(target))
        throw std::runtime_error(fs::is_directory(target) ? "is a folder, not a picture"
                                                          : "is not a regular file");
    const std::uintmax_t size = fs::file_size(file, ec);
    if (ec)
        throw std::runtime_error("cannot be read");
    if (size > kMaxPictureBytes)
        throw std::runtime_error("is larger than 20 MB");
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot be read");
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (in.peek() != std::char_traits<char>::eof())
        throw std::runtime_error("changed while it was read");
    PictureFile p = InspectPictureBytes(std::move(bytes));
    if (!p.type)
        throw std::runtime_error("is not a PNG, JPEG, GIF, WebP or SVG picture");
    p.path = file.string();
    return p;
}
