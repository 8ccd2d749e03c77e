#include "Export.h"

#include "Compiler.h"
#include "FieldHelpers.h"
#include "PictureFile.h"
#include "platform/FileSystem.h"
#include "platform/PathParts.h"

#include <cctype>
#include <cerrno>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>
#include <system_error>

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isAbsolutePath(std::string_view p) {
    if (!p.empty() && (p[0] == '/' || p[0] == '\\'))
        return true;
    return p.size() >= 3 && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) &&
           p[1] == ':' && (p[2] == '\\' || p[2] == '/');
}

int hexDigit(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

// %XX as the byte it stands for (a %00 becomes a NUL, which no file name holds).
std::string percentDecoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
            hexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// An address without its ?query and #fragment.
std::string_view withoutQuery(std::string_view address) {
    return address.substr(0, address.find_first_of("?#"));
}

// The local file a "file:" address names ("file:///C:/x.jpg", "file:///x.jpg").
std::string fromFileAddress(std::string_view address) {
    std::string_view rest = withoutQuery(address.substr(5));
    if (rest.substr(0, 2) == "//")
        rest.remove_prefix(2);
    if (rest.size() >= 3 && rest[0] == '/' && rest[2] == ':')
        rest.remove_prefix(1); // "/C:/…"
    return percentDecoded(rest);
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (lower(text[i]) != prefix[i])
            return false;
    return true;
}

struct Reference {
    std::size_t start, size; // the attribute value within the field's text
    std::string file;
};

// Every src="…" or src='…' of a field's text that names a local file.
std::vector<Reference> sourceReferences(const std::string& text, const std::string& baseFolder) {
    std::vector<Reference> found;
    for (std::size_t i = 0; i + 5 < text.size(); ++i) {
        if (lower(text[i]) != 's' || lower(text[i + 1]) != 'r' || lower(text[i + 2]) != 'c')
            continue;
        if (i > 0 && (std::isalnum(static_cast<unsigned char>(text[i - 1])) || text[i - 1] == '-'))
            continue; // "data-src", "xsrc"
        std::size_t j = i + 3;
        while (j < text.size() && text[j] == ' ')
            ++j;
        if (j >= text.size() || text[j] != '=')
            continue;
        ++j;
        while (j < text.size() && text[j] == ' ')
            ++j;
        if (j >= text.size() || (text[j] != '"' && text[j] != '\''))
            continue;
        const char quote = text[j];
        const std::size_t end = text.find(quote, j + 1);
        if (end == std::string::npos)
            break;
        std::string file =
            ResolvePicture(std::string_view(text).substr(j + 1, end - j - 1), baseFolder, true);
        if (!file.empty())
            found.push_back({j + 1, end - j - 1, std::move(file)});
        i = end;
    }
    return found;
}

std::string withNumber(const std::string& wanted, int n) {
    if (n < 2)
        return wanted;
    const std::size_t dot = wanted.rfind('.');
    const std::string stem = dot == std::string::npos ? wanted : wanted.substr(0, dot);
    const std::string ext = dot == std::string::npos ? "" : wanted.substr(dot);
    return stem + "-" + std::to_string(n) + ext;
}

// A name for a message: control bytes (a NUL from "%00") shown as "\xNN".
std::string printable(const std::string& name) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F)
            out += std::string("\\x") + kHex[b >> 4] + kHex[b & 15];
        else
            out += c;
    }
    return out;
}

std::string folderOf(const std::string& path) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (platform::isPathDelimiter(path[i - 1]))
            return path.substr(0, i);
    return {};
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || platform::isPathDelimiter(folder.back()))
        return folder + name;
    return folder + platform::kPathSeparator + name;
}

} // namespace

namespace {

// Lower case; each run of other characters than a-z, 0-9, "_" and "-" (and
// "." where allowed) as one "-"; no "-" or "." at either end.
std::string safePart(std::string_view text, bool dots) {
    std::string out;
    for (char c : text) {
        c = lower(c);
        const bool safe = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
                          c == '-' || (dots && c == '.');
        if (!safe)
            c = '-';
        if ((c == '-' || c == '.') && (out.empty() || out.back() == '-' || out.back() == '.'))
            continue;
        out += c;
    }
    while (!out.empty() && (out.back() == '-' || out.back() == '.'))
        out.pop_back();
    return out;
}

} // namespace

std::string WebSafeName(std::string_view path) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i)
        if (path[i] == '/' || path[i] == '\\' || path[i] == ':')
            start = i + 1;
    const std::string_view file = path.substr(start);
    const std::size_t dot = file.rfind('.');
    const bool hasExtension = dot != std::string_view::npos && dot > 0;
    std::string stem = safePart(hasExtension ? file.substr(0, dot) : file, true);
    const std::string extension = hasExtension ? safePart(file.substr(dot + 1), false) : "";
    if (stem.empty())
        stem = "picture";
    return extension.empty() ? stem : stem + "." + extension;
}

std::string ResolvePicture(std::string_view reference, const std::string& baseFolder,
                           bool fromAttribute) {
    while (!reference.empty() && reference.front() == ' ')
        reference.remove_prefix(1);
    while (!reference.empty() && reference.back() == ' ')
        reference.remove_suffix(1);
    if (reference.empty())
        return {};
    if (startsWithNoCase(reference, "file:"))
        return fromFileAddress(reference);
    if (reference.substr(0, 2) == "//" || SchemeLength(reference) > 0 ||
        startsWithNoCase(reference, "data:") || reference.front() == '#')
        return {};
    std::string file =
        fromAttribute ? percentDecoded(withoutQuery(reference)) : std::string(reference);
    if (file.empty())
        return {};
    if (isAbsolutePath(file) || baseFolder.empty())
        return file;
    return joinPath(baseFolder, file);
}

std::string ImagesFolderFor(const std::string& pagePath) {
    return folderOf(pagePath) + "images";
}

ExportPlan PlanExport(const TSalesLetter& letter, const std::string& baseFolder,
                      const std::string& imagesFolder) {
    ExportPlan plan{letter, {}};
    std::map<std::string, std::string> nameOf; // source file -> name in images/
    std::set<std::string> taken;
    std::string refused;
    auto nameFor = [&](PagePicture& picture) {
        const std::string wanted = WebSafeName(picture.source);
        for (int n = 1;; ++n) {
            const std::string name = withNumber(wanted, n);
            if (taken.count(name))
                continue;
            if (!imagesFolder.empty()) {
                // A name already used in the folder is taken, unless it is a
                // plain file holding these very bytes; a link there is never
                // followed.
                std::error_code ec;
                const std::filesystem::path there = platform::fsPath(joinPath(imagesFolder, name));
                const auto st = std::filesystem::symlink_status(there, ec);
                if (std::filesystem::exists(st)) {
                    if (!std::filesystem::is_regular_file(st) ||
                        std::filesystem::file_size(there, ec) != picture.bytes.size() || ec ||
                        platform::readFile(there.string()) != picture.bytes)
                        continue;
                    picture.alreadyThere = true;
                }
            }
            taken.insert(name);
            return name;
        }
    };
    auto add = [&](const std::string& file, const char* what) -> std::string {
        if (auto it = nameOf.find(file); it != nameOf.end())
            return it->second;
        nameOf[file] = "";
        PagePicture picture;
        picture.source = file;
        try {
            PictureFile checked = ReadPictureFile(file);
            picture.bytes = std::move(checked.bytes);
            picture.width = checked.width;
            picture.height = checked.height;
        } catch (const std::exception& e) {
            refused += std::string(refused.empty() ? "" : " ") + "The picture \"" +
                       printable(file) + "\" (" + what + ") " + e.what() + ".";
            return "";
        }
        picture.name = nameFor(picture);
        nameOf[file] = picture.name;
        plan.pictures.push_back(std::move(picture));
        return plan.pictures.back().name;
    };
    const struct {
        const char* key;
        const char* what;
    } kPictureFields[] = {{"HG", "Header Graphic"}, {"EC", "E-Cover"}};
    for (const auto& field : kPictureFields) {
        std::string& value = plan.letter[field.key];
        const std::string file = ResolvePicture(value, baseFolder, false);
        if (!file.empty())
            value = "images/" + add(file, field.what);
    }
    for (const FieldInfo& f : TSalesLetter::Fields()) {
        std::string& value = plan.letter[f.key];
        if (std::string_view(f.key) == "HG" || std::string_view(f.key) == "EC")
            continue;
        const std::vector<Reference> refs = sourceReferences(value, baseFolder);
        // Replaced from the back, so the earlier positions stay right.
        for (auto it = refs.rbegin(); it != refs.rend(); ++it)
            value.replace(it->start, it->size, "images/" + add(it->file, f.key));
    }
    if (!refused.empty())
        throw std::runtime_error(refused + " Nothing was written.");
    return plan;
}

void ExportPage(const TSalesLetter& letter, std::string_view templateText,
                const std::string& pagePath, const ExportOptions& options) {
    const std::string images = ImagesFolderFor(pagePath);
    std::error_code ec;
    const auto imagesStatus = std::filesystem::symlink_status(platform::fsPath(images), ec);
    if (std::filesystem::is_symlink(imagesStatus) ||
        (std::filesystem::exists(imagesStatus) && !std::filesystem::is_directory(imagesStatus)))
        throw platform::IoError("\"" + images +
                                    "\" is not a plain folder (a symbolic link or a file): the "
                                    "pictures are not written through it. Nothing was written.",
                                EEXIST);
    const ExportPlan plan = PlanExport(letter, options.baseFolder, images);
    PageContext context = DefaultPageContext();
    context.siteAddress = options.siteAddress;
    for (const PagePicture& picture : plan.pictures)
        context.pictureSizes["images/" + picture.name] = {picture.width, picture.height};
    const std::string page = BuildSalesPage(plan.letter, templateText, context);

    bool anyNew = false;
    for (const PagePicture& picture : plan.pictures)
        anyNew = anyNew || !picture.alreadyThere;
    if (anyNew) {
        if (!platform::folderExists(images) && !platform::createDirectory(images))
            throw platform::IoError("Cannot create the folder \"" + images + "\".", EACCES);
        // Only names that are free in the folder are written, so no file the
        // old page refers to is touched before the page itself is replaced.
        for (const PagePicture& picture : plan.pictures)
            if (!picture.alreadyThere)
                platform::saveFileAtomic(joinPath(images, picture.name), picture.bytes);
    }
    platform::saveFileAtomic(pagePath, page);
}

void ExportSalesLetter(const TSalesLetter& letter, const std::string& pagePath,
                       const ExportOptions& options) {
    PlanExport(letter,
               options.baseFolder); // a refused picture is reported before the template is read
    ExportPage(letter, ReadTemplate(letter), pagePath, options);
}
