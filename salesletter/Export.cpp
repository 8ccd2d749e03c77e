#include "Export.h"

#include "Compiler.h"
#include "FieldHelpers.h"
#include "platform/PathParts.h"
#include "platform/FileSystem.h"

#include <cctype>
#include <cerrno>
#include <map>
#include <set>
#include <stdexcept>

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

// The local file a "file:" address names ("file:///C:/x.jpg", "file:///x.jpg").
std::string fromFileAddress(std::string_view address) {
    std::string_view rest = address.substr(5);
    if (rest.substr(0, 2) == "//")
        rest.remove_prefix(2);
    if (rest.size() >= 3 && rest[0] == '/' && rest[2] == ':')
        rest.remove_prefix(1); // "/C:/…"
    std::string out;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        auto hex = [](char c) {
            return c >= '0' && c <= '9'   ? c - '0'
                   : c >= 'a' && c <= 'f' ? c - 'a' + 10
                   : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                          : -1;
        };
        if (rest[i] == '%' && i + 2 < rest.size() && hex(rest[i + 1]) >= 0 &&
            hex(rest[i + 2]) >= 0) {
            out += static_cast<char>(hex(rest[i + 1]) * 16 + hex(rest[i + 2]));
            i += 2;
        } else {
            out += rest[i];
        }
    }
    return out;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (lower(text[i]) != prefix[i])
            return false;
    return true;
}

// The file a picture reference names, or "" when it is no local file (a web
// address, an address relative to the page, a "data:" picture).
std::string localFile(std::string_view reference, bool relativeToo) {
    if (reference.empty())
        return {};
    if (startsWithNoCase(reference, "file:"))
        return fromFileAddress(reference);
    if (reference.substr(0, 2) == "//" || SchemeLength(reference) > 0)
        return {};
    if (isAbsolutePath(reference) || relativeToo)
        return std::string(reference);
    return {};
}

struct Reference {
    std::size_t start, size; // the attribute value within the field's text
    std::string file;
};

// Every src="…" or src='…' of a field's text that names a local file.
std::vector<Reference> sourceReferences(const std::string& text) {
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
        std::string file = localFile(std::string_view(text).substr(j + 1, end - j - 1), false);
        if (!file.empty())
            found.push_back({j + 1, end - j - 1, std::move(file)});
        i = end;
    }
    return found;
}

std::string uniqueName(const std::string& wanted, std::set<std::string>& taken) {
    if (taken.insert(wanted).second)
        return wanted;
    const std::size_t dot = wanted.rfind('.');
    const std::string stem = dot == std::string::npos ? wanted : wanted.substr(0, dot);
    const std::string ext = dot == std::string::npos ? "" : wanted.substr(dot);
    for (int n = 2;; ++n) {
        std::string candidate = stem + "-" + std::to_string(n) + ext;
        if (taken.insert(candidate).second)
            return candidate;
    }
}

std::string folderOf(const std::string& path) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (platform::isPathDelimiter(path[i - 1]))
            return path.substr(0, i);
    return {};
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

ExportPlan PlanExport(const TSalesLetter& letter) {
    ExportPlan plan{letter, {}};
    std::map<std::string, std::string> nameOf; // source file -> name in images/
    std::set<std::string> taken;
    std::string missing;
    auto add = [&](const std::string& file, const char* what) -> std::string {
        if (auto it = nameOf.find(file); it != nameOf.end())
            return it->second;
        if (!platform::fileExists(file)) {
            missing += std::string(missing.empty() ? "" : " ") + "The picture \"" + file + "\" (" +
                       what + ") cannot be found.";
            nameOf[file] = "";
            return "";
        }
        std::string name = uniqueName(WebSafeName(file), taken);
        nameOf[file] = name;
        plan.pictures.push_back({file, name});
        return name;
    };
    const struct {
        const char* key;
        const char* what;
    } kPictureFields[] = {{"HG", "Header Graphic"}, {"EC", "E-Cover"}};
    for (const auto& field : kPictureFields) {
        std::string& value = plan.letter[field.key];
        const std::string file = localFile(value, true);
        if (!file.empty())
            value = "images/" + add(file, field.what);
    }
    for (const FieldInfo& f : TSalesLetter::Fields()) {
        std::string& value = plan.letter[f.key];
        if (std::string_view(f.key) == "HG" || std::string_view(f.key) == "EC")
            continue;
        const std::vector<Reference> refs = sourceReferences(value);
        // Replaced from the back, so the earlier positions stay right.
        for (auto it = refs.rbegin(); it != refs.rend(); ++it)
            value.replace(it->start, it->size, "images/" + add(it->file, f.key));
    }
    if (!missing.empty())
        throw std::runtime_error(missing + " Nothing was written.");
    return plan;
}

void ExportPage(const TSalesLetter& letter, std::string_view templateText,
                const std::string& pagePath) {
    const ExportPlan plan = PlanExport(letter);
    std::vector<std::string> bytes;
    for (const PagePicture& picture : plan.pictures)
        bytes.push_back(platform::readFile(picture.source));
    const std::string page = BuildSalesPage(plan.letter, templateText);

    if (!plan.pictures.empty()) {
        const std::string images = folderOf(pagePath) + "images";
        if (!platform::folderExists(images) && !platform::createDirectory(images))
            throw platform::IoError("Cannot create the folder \"" + images + "\".", EACCES);
        for (std::size_t i = 0; i < plan.pictures.size(); ++i)
            platform::saveFileAtomic(images + platform::kPathSeparator + plan.pictures[i].name,
                                     bytes[i]);
    }
    platform::saveFileAtomic(pagePath, page);
}

void ExportSalesLetter(const TSalesLetter& letter, const std::string& pagePath) {
    PlanExport(letter); // a missing picture is reported before the template is read
    ExportPage(letter, ReadTemplate(letter), pagePath);
}
