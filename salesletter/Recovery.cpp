#include "Recovery.h"

#include "platform/DataFolder.h"
#include "platform/FileSystem.h"
#include "ProjectFile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr const char* kRecoverySection = "Recovery";
constexpr const char* kExactSection = "Exact";
constexpr const char* kDiscardedFolder = "Discarded";
constexpr char kCtrlZ = 26;

bool breaksLine(char c) {
    return c == '\r' || c == '\n' || c == kCtrlZ;
}

// A value as the "Project" section holds it: memos with "~~" for each CR LF,
// and no character that would end the line or the file.
std::string projectValue(const FieldInfo& f, const std::string& value) {
    std::string stored = f.kind == FieldKind::Text ? EncodeLineBreaks(value) : value;
    std::replace_if(stored.begin(), stored.end(), breaksLine, ' ');
    return stored;
}

std::string fromProjectValue(const FieldInfo& f, const std::string& stored) {
    return f.kind == FieldKind::Text ? DecodeLineBreaks(stored) : stored;
}

// Values of the "Recovery" and "Exact" sections: "%" and the characters that
// would end the line are written as "%" and two hexadecimal digits.
std::string escape(std::string_view value) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        if (c == '%' || breaksLine(c)) {
            out += '%';
            out += hex[static_cast<unsigned char>(c) >> 4];
            out += hex[static_cast<unsigned char>(c) & 15];
        } else {
            out += c;
        }
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string unescape(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        int hi = i + 2 < value.size() && value[i] == '%' ? hexDigit(value[i + 1]) : -1;
        int lo = hi >= 0 ? hexDigit(value[i + 2]) : -1;
        if (lo >= 0) {
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else {
            out += value[i];
        }
    }
    return out;
}

using Section = std::map<std::string, std::string, std::less<>>;

// The sections of an INI text: lines end with LF or CR LF; a line starting
// with "[" names a section; other lines are key=value, split at the first "=".
std::map<std::string, Section, std::less<>> parseSections(std::string_view text) {
    std::map<std::string, Section, std::less<>> sections;
    Section* current = nullptr;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty() && line.front() == '[') {
            std::size_t close = line.find(']');
            std::string name(
                line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
            current = &sections[name];
            continue;
        }
        std::size_t eq = line.find('=');
        if (current && eq != std::string_view::npos)
            current->emplace(std::string(line.substr(0, eq)), std::string(line.substr(eq + 1)));
    }
    return sections;
}

std::int64_t nowMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string withoutSeparator(std::string folder) {
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    return folder;
}

[[noreturn]] void failFile(const char* what, const std::string& path, const std::error_code& ec) {
    throw platform::IoError(
        std::string(what) + " \"" + path + "\". " + platform::systemReason(ec.value()), ec.value());
}

} // namespace

std::string RecoveryFolder() {
    return platform::dataFolder() + "Recovery";
}

std::string RecoveryText(const RecoveryCopy& copy) {
    const TSalesLetter& letter = copy.letter;
    std::string text = "[" + std::string(kProjectSection) + "]\r\n";
    text += std::string("CB1=") + (letter.CB1 ? "1" : "0") + "\r\n";
    text += std::string("CB2=") + (letter.CB2 ? "1" : "0") + "\r\n";
    text += std::string("CB3=") + (letter.CB3 ? "1" : "0") + "\r\n";
    std::string exact;
    for (const FieldInfo& f : TSalesLetter::Fields()) {
        const std::string& value = letter[f.key];
        std::string stored = projectValue(f, value);
        text += f.key;
        text += '=';
        text += stored;
        text += "\r\n";
        if (fromProjectValue(f, stored) != value)
            exact += std::string(f.key) + "=" + escape(value) + "\r\n";
    }
    text += "\r\n[" + std::string(kRecoverySection) + "]\r\n";
    text += "ProjectFile=" + escape(copy.projectFile) + "\r\n";
    text += "Caption=" + escape(copy.caption) + "\r\n";
    text += "LastChange=" + std::to_string(copy.lastChange) + "\r\n";
    text += "Group=" + escape(copy.group) + "\r\n";
    text += "ProjectName=" + escape(copy.project) + "\r\n";
    text += "Name=" + escape(copy.name) + "\r\n";
    text += "ProjectStamp=" + escape(copy.projectStamp) + "\r\n";
    if (!exact.empty())
        text += "\r\n[" + std::string(kExactSection) + "]\r\n" + exact;
    return text + "\r\n";
}

RecoveryCopy ParseRecovery(std::string_view text) {
    auto sections = parseSections(text);
    auto project = sections.find(kProjectSection);
    auto recovery = sections.find(kRecoverySection);
    if (project == sections.end() || recovery == sections.end() ||
        !recovery->second.count("LastChange"))
        throw std::runtime_error("It is not a recovery copy of a sales letter.");

    RecoveryCopy copy;
    const Section& values = project->second;
    auto option = [&](const char* key, bool fallback) {
        auto it = values.find(key);
        return it == values.end() ? fallback : std::strtol(it->second.c_str(), nullptr, 10) != 0;
    };
    copy.letter.SetTemplateOption(1, option("CB1", true));
    copy.letter.SetTemplateOption(2, option("CB2", false));
    copy.letter.SetTemplateOption(3, option("CB3", false));
    const Section& exact = sections[kExactSection];
    for (const FieldInfo& f : TSalesLetter::Fields()) {
        if (auto e = exact.find(f.key); e != exact.end()) {
            copy.letter[f.key] = unescape(e->second);
            continue;
        }
        auto it = values.find(f.key);
        copy.letter[f.key] = it == values.end() ? std::string() : fromProjectValue(f, it->second);
    }
    const Section& info = recovery->second;
    auto field = [&](const char* key) {
        auto it = info.find(key);
        return it == info.end() ? std::string() : unescape(it->second);
    };
    copy.projectFile = field("ProjectFile");
    copy.caption = field("Caption");
    copy.group = field("Group");
    copy.project = field("ProjectName");
    copy.name = field("Name");
    copy.projectStamp = field("ProjectStamp");
    copy.lastChange = std::strtoll(info.find("LastChange")->second.c_str(), nullptr, 10);
    return copy;
}

void WriteRecovery(const std::string& path, const RecoveryCopy& copy) {
    std::string folder = fs::path(path).parent_path().string();
    if (!folder.empty() && !platform::folderExists(folder))
        platform::forceDirectories(folder);
    platform::saveFileAtomic(path, RecoveryText(copy));
}

RecoveryCopy ReadRecovery(const std::string& path) {
    std::string reason;
    try {
        return ParseRecovery(platform::readFile(path));
    } catch (const platform::IoError& e) {
        reason = platform::systemReason(e.code()) + ".";
    } catch (const std::runtime_error& e) {
        reason = e.what();
    }
    throw std::runtime_error("The recovery copy \"" + path + "\" cannot be read. " + reason);
}

std::string NewRecoveryPath(const std::string& folder) {
    static std::mt19937_64 random{std::random_device{}()};
    std::string base = withoutSeparator(folder) + platform::kPathSeparator + "letter-" +
                       std::to_string(nowMilliseconds()) + "-";
    for (;;) {
        std::string path = base + std::to_string(random() % 1000000) + kRecoveryExtension;
        if (!platform::fileExists(path))
            return path;
    }
}

namespace {

// The copies directly in `folder` with their modification times.
std::vector<std::pair<fs::file_time_type, std::string>> copiesIn(const std::string& folder) {
    std::vector<std::pair<fs::file_time_type, std::string>> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kind;
        if (!it->is_regular_file(kind) || it->path().extension() != kRecoveryExtension)
            continue;
        std::error_code time;
        auto when = it->last_write_time(time);
        found.emplace_back(time ? fs::file_time_type::min() : when, it->path().string());
    }
    return found;
}

} // namespace

std::vector<std::string> ListRecoveries(const std::string& folder) {
    auto found = copiesIn(folder);
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second > b.second;
    });
    std::vector<std::string> paths;
    for (auto& entry : found)
        paths.push_back(std::move(entry.second));
    return paths;
}

void RemoveRecovery(const std::string& path) {
    std::error_code ec;
    fs::remove(path, ec);
    if (ec)
        failFile("Cannot delete file", path, ec);
}

std::string DiscardRecovery(const std::string& path, std::size_t keep) {
    fs::path source(path);
    std::string folder = (source.parent_path() / kDiscardedFolder).string();
    if (!platform::folderExists(folder) && !platform::forceDirectories(folder))
        failFile("Cannot create folder", folder, std::error_code(errno, std::generic_category()));
    // A zero-padded time in front keeps the names in the order they were
    // discarded, also for several in the same millisecond.
    static std::int64_t last = 0;
    last = std::max(last + 1, nowMilliseconds());
    std::string stamp = std::to_string(last);
    stamp.insert(0, stamp.size() < 15 ? 15 - stamp.size() : 0, '0');
    std::string target = (fs::path(folder) / (stamp + "-" + source.filename().string())).string();
    std::error_code ec;
    fs::rename(source, target, ec);
    if (ec)
        failFile("Cannot move file", path, ec);

    std::vector<std::string> kept;
    for (auto& entry : copiesIn(folder))
        kept.push_back(std::move(entry.second));
    std::sort(kept.begin(), kept.end());
    for (std::size_t i = 0; i + keep < kept.size(); ++i)
        fs::remove(kept[i], ec);
    return target;
}
