#include "Recovery.h"

#include "ini/BigIniFile.h"
#include "platform/DataFolder.h"
#include "platform/FileSystem.h"
#include "platform/TextEncoding.h"
#include "ProjectFile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kRecoverySection = "Recovery";
constexpr const char* kExactSection = "Exact";
constexpr const char* kDiscardedFolder = "Discarded";
constexpr const char* kUnreadableFolder = "Unreadable";
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
    // A file's line that is not UTF-8 is read as Windows-1252: such a value
    // keeps its bytes only when those above ASCII are written as codes too.
    const bool utf8 = platform::isValidUtf8(value);
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        if (c == '%' || breaksLine(c) || (!utf8 && static_cast<unsigned char>(c) >= 0x80)) {
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

// A copy is written and read by the INI engine, as project files are: the
// "Project" section as a project file holds it, then "Recovery" and, when
// some value needs it, "Exact".
std::string RecoveryText(const RecoveryCopy& copy) {
    const TSalesLetter& letter = copy.letter;
    TBigIniFile ini("", TBigIniFile::kNoLineLimit);
    ini.WriteBool(kProjectSection, "CB1", letter.CB1);
    ini.WriteBool(kProjectSection, "CB2", letter.CB2);
    ini.WriteBool(kProjectSection, "CB3", letter.CB3);
    std::vector<std::pair<const char*, std::string>> exact;
    for (const FieldInfo& f : TSalesLetter::Fields()) {
        const std::string& value = letter[f.key];
        const std::string stored = projectValue(f, value);
        ini.WriteString(kProjectSection, f.key, stored);
        if (!platform::isValidUtf8(stored) || fromProjectValue(f, stored) != value)
            exact.emplace_back(f.key, escape(value));
    }
    ini.WriteString(kRecoverySection, "ProjectFile", escape(copy.projectFile));
    ini.WriteString(kRecoverySection, "Caption", escape(copy.caption));
    ini.WriteString(kRecoverySection, "LastChange", std::to_string(copy.lastChange));
    ini.WriteString(kRecoverySection, "Group", escape(copy.group));
    ini.WriteString(kRecoverySection, "ProjectName", escape(copy.project));
    ini.WriteString(kRecoverySection, "Name", escape(copy.name));
    ini.WriteString(kRecoverySection, "ProjectStamp", escape(copy.projectStamp));
    for (const auto& [key, value] : exact)
        ini.WriteString(kExactSection, key, value);
    return ini.Text();
}

RecoveryCopy ParseRecovery(std::string_view text) {
    TBigIniFile ini("", TBigIniFile::kNoLineLimit);
    ini.LoadFromText(text);
    // A key that cannot be typed tells a missing key from an empty one.
    const std::string missing(1, '\n');
    const std::string lastChange = ini.ReadString(kRecoverySection, "LastChange", missing);
    if (!ini.SectionExists(kProjectSection) || lastChange == missing)
        throw std::runtime_error("It is not a recovery copy of a sales letter.");

    RecoveryCopy copy;
    copy.letter.SetTemplateOption(1, ini.ReadBool(kProjectSection, "CB1", true));
    copy.letter.SetTemplateOption(2, ini.ReadBool(kProjectSection, "CB2", false));
    copy.letter.SetTemplateOption(3, ini.ReadBool(kProjectSection, "CB3", false));
    for (const FieldInfo& f : TSalesLetter::Fields()) {
        const std::string exact = ini.ReadString(kExactSection, f.key, missing);
        if (exact != missing)
            copy.letter[f.key] = unescape(exact);
        else
            copy.letter[f.key] = fromProjectValue(f, ini.ReadString(kProjectSection, f.key, ""));
    }
    copy.projectFile = unescape(ini.ReadString(kRecoverySection, "ProjectFile", ""));
    copy.caption = unescape(ini.ReadString(kRecoverySection, "Caption", ""));
    copy.group = unescape(ini.ReadString(kRecoverySection, "Group", ""));
    copy.project = unescape(ini.ReadString(kRecoverySection, "ProjectName", ""));
    copy.name = unescape(ini.ReadString(kRecoverySection, "Name", ""));
    copy.projectStamp = unescape(ini.ReadString(kRecoverySection, "ProjectStamp", ""));
    copy.lastChange = std::strtoll(lastChange.c_str(), nullptr, 10);
    return copy;
}

void WriteRecovery(const std::string& path, const RecoveryCopy& copy) {
    std::string folder = platform::fsPath(path).parent_path().string();
    if (!folder.empty() && !platform::folderExists(folder))
        platform::makePrivateFolder(folder);
    platform::saveFileAtomic(path, RecoveryText(copy), platform::FileAccess::OwnerOnly);
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
    for (fs::directory_iterator it(platform::fsPath(folder), ec), end; !ec && it != end;
         it.increment(ec)) {
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
    fs::remove(platform::fsPath(path), ec);
    if (ec)
        failFile("Cannot delete file", path, ec);
}

std::string SetAsideUnreadable(const std::string& path) {
    const fs::path source = platform::fsPath(path);
    const std::string folder = (source.parent_path() / kUnreadableFolder).string();
    if (!platform::folderExists(folder) && !platform::makePrivateFolder(folder))
        failFile("Cannot create folder", folder, std::error_code(errno, std::generic_category()));
    // An older copy of the same name there is not overwritten.
    std::string target = (platform::fsPath(folder) / source.filename()).string();
    for (int n = 2; platform::fileExists(target); ++n)
        target = (platform::fsPath(folder) /
                  platform::fsPath(source.stem().string() + "-" + std::to_string(n) +
                                   source.extension().string()))
                     .string();
    std::error_code ec;
    fs::rename(source, platform::fsPath(target), ec);
    if (ec)
        failFile("Cannot move file", path, ec);
    return target;
}

void SweepOldScratchFiles(const std::string& folder, int days) {
    const auto cutoff = fs::file_time_type::clock::now() - std::chrono::hours(24 * days);
    std::error_code ec;
    for (fs::directory_iterator it(platform::fsPath(folder), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const std::size_t mark = name.rfind(".~");
        if (mark == std::string::npos || name.size() < mark + 7 ||
            name.compare(name.size() - 4, 4, ".tmp") != 0)
            continue;
        const std::string digits = name.substr(mark + 2, name.size() - mark - 6);
        if (digits.empty() ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        std::error_code fileEc;
        if (it->is_regular_file(fileEc) && it->last_write_time(fileEc) < cutoff && !fileEc)
            fs::remove(it->path(), fileEc);
    }
}

std::string DiscardRecovery(const std::string& path, std::size_t keep) {
    const fs::path source = platform::fsPath(path);
    std::string folder = (source.parent_path() / kDiscardedFolder).string();
    if (!platform::folderExists(folder) && !platform::makePrivateFolder(folder))
        failFile("Cannot create folder", folder, std::error_code(errno, std::generic_category()));
    // A zero-padded time in front keeps the names in the order they were
    // discarded, also for several in the same millisecond.
    static std::int64_t last = 0;
    last = std::max(last + 1, nowMilliseconds());
    std::string stamp = std::to_string(last);
    stamp.insert(0, stamp.size() < 15 ? 15 - stamp.size() : 0, '0');
    const fs::path target =
        platform::fsPath(folder) / platform::fsPath(stamp + "-" + source.filename().string());
    std::error_code ec;
    fs::rename(source, target, ec);
    if (ec)
        failFile("Cannot move file", path, ec);

    std::vector<std::string> kept;
    for (auto& entry : copiesIn(folder))
        kept.push_back(std::move(entry.second));
    std::sort(kept.begin(), kept.end());
    for (std::size_t i = 0; i + keep < kept.size(); ++i)
        fs::remove(platform::fsPath(kept[i]), ec);
    return target.string();
}
