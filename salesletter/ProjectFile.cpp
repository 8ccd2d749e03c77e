#include "ProjectFile.h"

#include "ini/BigIniFile.h"
#include "platform/PathParts.h"
#include "platform/TextEncoding.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace {

// Longest file name the INI engine keeps.
constexpr std::size_t kMaxFileName = 255;

// The INI engine stops reading a file at a Ctrl-Z, so one stored in a value
// would lose every later line of the file when it is next loaded: each
// becomes a blank.
constexpr char kCtrlZ = 26;

std::string blankCtrlZ(std::string text) {
    std::replace(text.begin(), text.end(), kCtrlZ, ' ');
    return text;
}

// A one-line value must not carry a line break into the file: each CR or LF
// becomes a blank.
std::string flattenLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return text;
}

std::string storedText(const FieldInfo& f, const std::string& value) {
    if (f.kind == FieldKind::Text)
        return blankCtrlZ(EncodeLineBreaks(platform::toCrLf(value)));
    return blankCtrlZ(flattenLine(value));
}

// The INI engine keeps at most 255 characters of a file name; a longer path
// would silently name another file, so it is refused instead.
void checkPathLength(const std::string& fileName) {
    if (fileName.size() > kMaxFileName)
        throw std::runtime_error("The file name \"" + fileName +
                                 "\" is longer than 255 characters. Please choose a shorter path.");
}

} // namespace

std::string EncodeLineBreaks(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += "~~";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string DecodeLineBreaks(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '~' && i + 1 < text.size() && text[i + 1] == '~') {
            out += "\r\n";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string EnsureExtension(const std::string& name, const std::string& extension) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (platform::isPathDelimiter(name[i]))
            start = i + 1;
    std::size_t dot = name.rfind('.');
    std::string current = dot == std::string::npos || dot < start ? "" : name.substr(dot);
    auto lower = [](std::string s) {
        for (char& c : s)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    return lower(current) == lower(extension) ? name : name + extension;
}

void LoadProject(TSalesLetter& letter, const std::string& fileName) {
    // Everything is read into a copy first, so a failure leaves the record as it was.
    checkPathLength(fileName);
    TSalesLetter loaded = letter;
    {
        TBigIniFile ini(fileName, TBigIniFile::kNoLineLimit);
        loaded.SetTemplateOption(1, ini.ReadBool(kProjectSection, "CB1", true));
        loaded.SetTemplateOption(2, ini.ReadBool(kProjectSection, "CB2", false));
        loaded.SetTemplateOption(3, ini.ReadBool(kProjectSection, "CB3", false));
        for (const FieldInfo& f : TSalesLetter::Fields()) {
            std::string value = ini.ReadString(kProjectSection, f.key, "");
            loaded[f.key] = f.kind == FieldKind::Text ? DecodeLineBreaks(value) : value;
        }
    }
    letter = std::move(loaded);
}

void SaveProject(const TSalesLetter& letter, const std::string& fileName, bool* written) {
    checkPathLength(fileName);
    // Every value is stored whole: a sales letter's paragraphs run to
    // thousands of characters. (An older copy reads the first 255
    // characters of each line, as it always kept.)
    TBigIniFile ini(fileName, TBigIniFile::kNoLineLimit);
    ini.WriteBool(kProjectSection, "CB1", letter.CB1);
    ini.WriteBool(kProjectSection, "CB2", letter.CB2);
    ini.WriteBool(kProjectSection, "CB3", letter.CB3);
    for (std::size_t i = 0; i < TSalesLetter::kFieldCount; ++i) {
        const FieldInfo& f = TSalesLetter::Fields()[i];
        // The footer addresses came later: stored only when given, so a
        // project without them is saved as before, byte for byte.
        if (i > TSalesLetter::kStoredTextCount && letter[f.key].empty())
            ini.DeleteKey(kProjectSection, f.key);
        else
            ini.WriteString(kProjectSection, f.key, storedText(f, letter[f.key]));
    }
    const bool ok = ini.WriteAndClose();
    if (written)
        *written = ok;
}
