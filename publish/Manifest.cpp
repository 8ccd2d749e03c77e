#include "publish/Manifest.h"

#include "platform/FileSystem.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace publish {

namespace {

std::string hex(const unsigned char* d, unsigned n) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned i = 0; i < n; ++i) {
        out += digits[d[i] >> 4];
        out += digits[d[i] & 15];
    }
    return out;
}

struct Digest {
    std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> ctx{EVP_MD_CTX_new(), EVP_MD_CTX_free};
    Digest() { EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr); }
    void add(const void* p, std::size_t n) { EVP_DigestUpdate(ctx.get(), p, n); }
    std::string hexResult() {
        unsigned char d[EVP_MAX_MD_SIZE];
        unsigned n = 0;
        EVP_DigestFinal_ex(ctx.get(), d, &n);
        return hex(d, n);
    }
};

std::string jsonEscape(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// A small reader for the one shape the manifest has: an object whose
// "files" member is an array of flat objects with string and number members.
class Reader {
public:
    explicit Reader(std::string_view s) : s_(s) {}
    void ws() {
        while (i_ < s_.size() &&
               (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t'))
            ++i_;
    }
    bool eat(char c) {
        ws();
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    void expect(char c) {
        if (!eat(c))
            throw std::runtime_error("not a publish manifest");
    }
    char peek() {
        ws();
        return i_ < s_.size() ? s_[i_] : '\0';
    }
    std::string string() {
        expect('"');
        std::string out;
        while (i_ < s_.size() && s_[i_] != '"') {
            char c = s_[i_++];
            if (c == '\\' && i_ < s_.size()) {
                const char e = s_[i_++];
                if (e == 'u' && i_ + 4 <= s_.size()) {
                    const unsigned v = std::stoul(std::string(s_.substr(i_, 4)), nullptr, 16);
                    i_ += 4;
                    if (v < 0x80)
                        out += static_cast<char>(v);
                    else
                        out += '?'; // never written by the program
                    continue;
                }
                c = e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
            }
            out += c;
        }
        expect('"');
        return out;
    }
    // Any value; returns its text for strings and numbers.
    std::string value(bool& isNumber) {
        isNumber = false;
        const char c = peek();
        if (c == '"')
            return string();
        if (c == '{' || c == '[') {
            skipNested();
            return {};
        }
        std::string out;
        while (i_ < s_.size() &&
               std::string_view("-+.eE0123456789truefalsn").find(s_[i_]) != std::string_view::npos)
            out += s_[i_++];
        if (out.empty())
            throw std::runtime_error("not a publish manifest");
        isNumber = out.find_first_not_of("0123456789") == std::string::npos;
        return out;
    }
    void skipNested() {
        int depth = 0;
        do {
            const char c = s_[i_];
            if (c == '"') {
                string();
                continue;
            }
            if (c == '{' || c == '[')
                ++depth;
            else if (c == '}' || c == ']')
                --depth;
            ++i_;
        } while (depth > 0 && i_ < s_.size());
        if (depth != 0)
            throw std::runtime_error("not a publish manifest");
    }

private:
    std::string_view s_;
    std::size_t i_ = 0;
};

bool isHex64(const std::string& s) {
    return s.size() == 64 && s.find_first_not_of("0123456789abcdef") == std::string::npos;
}

} // namespace

std::string sha256Hex(std::string_view bytes) {
    Digest d;
    d.add(bytes.data(), bytes.size());
    return d.hexResult();
}

std::string sha256OfFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw platform::IoError(
            "Cannot open file \"" + path + "\". " + platform::systemReason(errno), errno);
    Digest d;
    std::vector<char> buf(1 << 16);
    while (in) {
        in.read(buf.data(), static_cast<std::streamsize>(buf.size()));
        d.add(buf.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad())
        throw platform::IoError("Cannot read file \"" + path + "\".", EIO);
    return d.hexResult();
}

bool safeRelativePath(std::string_view path) {
    if (path.empty() || path.front() == '/' || path.back() == '/')
        return false;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto end = std::min(path.find('/', start), path.size());
        const auto part = path.substr(start, end - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        start = end + 1;
    }
    return std::none_of(path.begin(), path.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == '\\' || c == 0x7F;
    });
}

Manifest scanFolder(const std::string& folder) {
    namespace fs = std::filesystem;
    Manifest m;
    const fs::path root = platform::fsPath(folder);
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        if (!it->is_regular_file())
            continue;
        FileEntry e;
        e.path = fs::relative(it->path(), root).generic_string();
        e.size = static_cast<std::uint64_t>(it->file_size());
        e.sha256 = sha256OfFile(it->path().string());
        m.push_back(std::move(e));
    }
    std::sort(m.begin(), m.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
    return m;
}

std::string manifestJson(const Manifest& m) {
    std::string out = "{\n  \"generator\": \"Quillmere\",\n  \"files\": [";
    for (std::size_t i = 0; i < m.size(); ++i) {
        out += i ? ",\n    " : "\n    ";
        out += "{\"path\": \"" + jsonEscape(m[i].path) +
               "\", \"size\": " + std::to_string(m[i].size) + ", \"sha256\": \"" + m[i].sha256 +
               "\"}";
    }
    out += m.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

Manifest parseManifest(std::string_view json) {
    Reader r(json);
    Manifest m;
    bool sawFiles = false;
    r.expect('{');
    while (r.peek() != '}') {
        const std::string key = r.string();
        r.expect(':');
        if (key == "files" && r.peek() == '[') {
            sawFiles = true;
            r.expect('[');
            while (r.peek() != ']') {
                FileEntry e;
                bool sizeOk = false;
                if (r.peek() != '{') {
                    bool n;
                    r.value(n);
                } else {
                    r.expect('{');
                    while (r.peek() != '}') {
                        const std::string k = r.string();
                        r.expect(':');
                        bool number = false;
                        const std::string v = r.value(number);
                        if (k == "path")
                            e.path = v;
                        else if (k == "sha256")
                            e.sha256 = v;
                        else if (k == "size" && number && v.size() < 19) {
                            e.size = std::stoull(v);
                            sizeOk = true;
                        }
                        if (!r.eat(','))
                            break;
                    }
                    r.expect('}');
                }
                if (sizeOk && isHex64(e.sha256) && safeRelativePath(e.path) &&
                    e.path != kManifestName)
                    m.push_back(std::move(e));
                if (!r.eat(','))
                    break;
            }
            r.expect(']');
        } else {
            bool n;
            r.value(n);
        }
        if (!r.eat(','))
            break;
    }
    r.expect('}');
    if (!sawFiles)
        throw std::runtime_error("not a publish manifest");
    std::sort(m.begin(), m.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
    m.erase(std::unique(m.begin(), m.end(),
                        [](const auto& a, const auto& b) { return a.path == b.path; }),
            m.end());
    return m;
}

} // namespace publish
