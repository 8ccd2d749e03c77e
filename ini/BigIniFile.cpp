#include "BigIniFile.h"
#include "IniText.h"

#include "platform/FileSystem.h"
#include "platform/PathParts.h"
#include "platform/Services.h"
#include "platform/TextEncoding.h"
#include "platform/Wording.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// File names are cut to this length whatever the line limit.
constexpr std::size_t kMaxFileName = 255;
constexpr char kCtrlZ = 26;

// Reads the whole file into one buffer; `size` receives its length.
std::unique_ptr<char[]> readWholeFile(const std::string& path, std::size_t& size) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    auto fail = [&path](int e) {
        throw platform::IoError("Cannot open file \"" + path + "\". " + platform::systemReason(e),
                                e);
    };
    if (!f)
        fail(errno);
    std::size_t capacity = 1 << 16;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        long end = std::ftell(f);
        if (end > 0)
            capacity = static_cast<std::size_t>(end) + 1;
        std::rewind(f);
    }
    auto buffer = std::make_unique_for_overwrite<char[]>(capacity);
    size = 0;
    for (;;) {
        size += std::fread(buffer.get() + size, 1, capacity - size, f);
        if (size < capacity)
            break;
        // The file grew while being read, or its size was unknown.
        auto bigger = std::make_unique_for_overwrite<char[]>(capacity * 2);
        std::memcpy(bigger.get(), buffer.get(), size);
        buffer = std::move(bigger);
        capacity *= 2;
    }
    bool failed = std::ferror(f);
    int e = errno;
    std::fclose(f);
    if (failed)
        fail(e);
    return buffer;
}

// Windows users get the text they know; elsewhere the warning names the full
// path and the system's reason, since file attributes mean nothing there.
std::string writeWarning(const std::string& fileName, int error) {
    if (!platform::kWindowsWording)
        return "The program is unable to write to " + fileName + ": " +
               platform::systemReason(error) + ".";
    return "The program is unable to write to the " +
           initext::upperCase(platform::lastPathPart(fileName)) + " file. \r" +
           "Please check to see whether this file is available. In order for \r" +
           "this software to work properly, this file's attributes must \r" +
           "be set to Archive and it must not be used by any other programs.";
}

} // namespace

TBigIniFile::TBigIniFile(const std::string& fileName, std::size_t lineLimit)
    : lineLimit_(lineLimit == 0 || lineLimit > kNoLineLimit ? kNoLineLimit : lineLimit) {
    SetFileName(fileName);
}

std::string_view TBigIniFile::cut(std::string_view text) const {
    // No text of fewer bytes than the limit holds more characters.
    if (text.size() <= lineLimit_)
        return text;
    return text.substr(0, platform::utf8CutPoint(text, lineLimit_));
}

TBigIniFile::~TBigIniFile() {
    UpdateFile();
}

void TBigIniFile::SetFileName(const std::string& fileName) {
    UpdateFile();
    sections_.Clear();
    // What was not written is gone with the sections; the mark is cleared
    // before loading so that a file that fails to load is never overwritten
    // with the emptied object.
    changed_ = false;
    fileName_ = fileName.substr(0, kMaxFileName);
    if (!fileName_.empty())
        LoadFromFile(fileName_);
    changed_ = false;
}

TBigIniFile::KeyHit TBigIniFile::LookupKey(std::string_view section, std::string_view key,
                                           bool create) {
    KeyHit hit;
    std::int32_t count = sections_.Count();
    std::int32_t found = -1;
    if (count > 0) {
        if (sectionCursor_ < 0 || sectionCursor_ >= count)
            sectionCursor_ = 0;
        // A circular scan from the cursor stops on the match, or after a
        // full circle on the section just before the one it started at. The
        // scan's first two steps are tried directly (reading a file in order
        // finds its sections there); beyond them the index answers.
        std::int32_t next = sectionCursor_ + 1 < count ? sectionCursor_ + 1 : 0;
        if (initext::sameName(sections_.Name(sectionCursor_), section))
            found = sectionCursor_;
        else if (initext::sameName(sections_.Name(next), section))
            found = next;
        else
            found = sections_.Find(section);
        sectionCursor_ = found >= 0 ? found : (sectionCursor_ + count - 1) % count;
    }
    if (found < 0) {
        if (!create)
            return hit;
        hit.section = sectionCursor_ = sections_.Add(section);
        return hit;
    }
    hit.section = found;
    hit.line = sections_.FindKey(found, key);
    return hit;
}

std::string TBigIniFile::ReadString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue) {
    KeyHit hit = LookupKey(cut(section), cut(key), false);
    if (hit.line < 0)
        return std::string(cut(defaultValue));
    return std::string(sections_.Entries(hit.section)[hit.line].value());
}

void TBigIniFile::WriteString(const std::string& section, const std::string& key,
                              const std::string& value) {
    std::string_view s = cut(section), k = cut(key), v = cut(value);
    if (k.empty()) {
        if (s.empty() && v.empty())
            UpdateFile();
        else
            EraseSection(std::string(s));
        return;
    }
    std::string line;
    line.reserve(k.size() + 1 + v.size());
    line.append(k).append(1, '=').append(v);
    line.resize(cut(line).size());
    // The line's key is the text before its first "=", as a load of the
    // written file will see it: a key that holds "=" itself never names the
    // line (lookups of it miss, as they do after a reload).
    std::size_t keySize = std::min(line.find('='), line.size());

    KeyHit hit = LookupKey(s, k, true);
    if (hit.line < 0) {
        sections_.AppendLine(hit.section, TIniText::copy(line, keySize));
        changed_ = true;
    } else if (sections_.Entries(hit.section)[hit.line].text() != line) {
        sections_.ReplaceLine(hit.section, hit.line, TIniText::copy(line, keySize));
        changed_ = true;
    }
}

std::int32_t TBigIniFile::ReadInteger(const std::string& section, const std::string& key,
                                      std::int32_t defaultValue) {
    std::string text = ReadString(section, key, std::string());
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.replace(0, 2, "$");
    std::int32_t result;
    return initext::parseInteger(text, result) ? result : defaultValue;
}

void TBigIniFile::WriteInteger(const std::string& section, const std::string& key,
                               std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

bool TBigIniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TBigIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TBigIniFile::ReadSection(const std::string& section, TStrings& strings) {
    strings.clear();
    std::int32_t index = sections_.IndexOf(cut(section));
    if (index < 0)
        return;
    const auto& entries = sections_.Entries(index);
    strings.reserve(entries.size());
    for (const auto& line : entries) {
        platform::processEvents();
        strings.emplace_back(line.key());
    }
}

void TBigIniFile::ReadSections(TStrings& strings) {
    strings.clear();
    strings.reserve(sections_.Count());
    for (std::int32_t i = 0; i < sections_.Count(); ++i)
        strings.emplace_back(sections_.Name(i));
}

void TBigIniFile::ReadSectionValues(const std::string& section, TStrings& strings) {
    strings.clear();
    std::int32_t index = sections_.IndexOf(cut(section));
    if (index < 0)
        return;
    for (const auto& line : sections_.Entries(index))
        strings.emplace_back(line.text());
}

void TBigIniFile::EraseSection(const std::string& section) {
    std::int32_t index = sections_.IndexOf(cut(section));
    if (index < 0)
        return;
    sections_.Delete(index);
    sections_.SetLastHit(0);
    changed_ = true;
    if (sectionCursor_ >= sections_.Count())
        sectionCursor_ = 0;
}

bool TBigIniFile::SectionExists(const std::string& section) {
    return sections_.IndexOf(cut(section)) >= 0;
}

void TBigIniFile::DeleteKey(const std::string& section, const std::string& key) {
    KeyHit hit = LookupKey(cut(section), cut(key), true);
    if (hit.line < 0)
        return;
    changed_ = true;
    sections_.DeleteLine(hit.section, hit.line);
}

void TBigIniFile::ExportLines(TStrings& strings) {
    for (std::int32_t i = 0; i < sections_.Count(); ++i) {
        platform::processEvents();
        const auto& entries = sections_.Entries(i);
        if (entries.empty())
            continue;
        std::string header;
        header.reserve(sections_.Name(i).size() + 2);
        header.append(1, '[').append(sections_.Name(i)).append(1, ']');
        strings.push_back(std::move(header));
        for (const auto& line : entries)
            strings.emplace_back(line.text());
        strings.emplace_back();
    }
}

std::unique_ptr<char[]> TBigIniFile::BuildText(std::size_t& size, bool events) {
    std::size_t total = 0;
    for (std::int32_t i = 0; i < sections_.Count(); ++i) {
        const auto& entries = sections_.Entries(i);
        if (entries.empty())
            continue;
        total += sections_.Name(i).size() + 6;
        for (const auto& line : entries)
            total += line.size() + 2;
    }
    // Filled completely below, so not cleared first.
    auto text = std::make_unique_for_overwrite<char[]>(total);
    char* out = text.get();
    auto put = [&out](std::string_view s) {
        std::memcpy(out, s.data(), s.size());
        out += s.size();
    };
    for (std::int32_t i = 0; i < sections_.Count(); ++i) {
        if (events)
            platform::processEvents();
        const auto& entries = sections_.Entries(i);
        if (entries.empty())
            continue;
        *out++ = '[';
        put(sections_.Name(i));
        put("]\r\n");
        for (const auto& line : entries) {
            put(line.text());
            put("\r\n");
            if (events)
                platform::processEvents();
        }
        put("\r\n");
    }
    size = total;
    return text;
}

void TBigIniFile::UpdateFile() {
    if (!changed_)
        return;
    if (fileName_.empty()) {
        changed_ = false;
        return;
    }
    std::size_t size = 0;
    std::unique_ptr<char[]> text = BuildText(size);
    if (int e = platform::writeFileAtomic(fileName_, std::string_view(text.get(), size))) {
        platform::messageBox(writeWarning(fileName_, e), "Warning", platform::Icon::Warning,
                             platform::Buttons::Ok);
        return;
    }
    changed_ = false;
}

bool TBigIniFile::WriteAndClose() {
    UpdateFile();
    const bool written = !changed_;
    sections_.Clear();
    changed_ = false;
    fileName_.clear();
    sectionCursor_ = 0;
    return written;
}

void TBigIniFile::LoadFromFile(const std::string& fileName) {
    sectionCursor_ = 0;
    std::string name = fileName.substr(0, kMaxFileName);
    if (!platform::fileExists(name))
        return;
    std::size_t size = 0;
    std::unique_ptr<char[]> buffer = readWholeFile(name, size);
    LoadBuffer(std::move(buffer), size);
}

void TBigIniFile::LoadFromText(std::string_view text) {
    sections_.Clear();
    sectionCursor_ = 0;
    auto buffer = std::make_unique_for_overwrite<char[]>(text.size() + 1);
    std::memcpy(buffer.get(), text.data(), text.size());
    LoadBuffer(std::move(buffer), text.size());
}

std::string TBigIniFile::Text() {
    std::size_t size = 0;
    std::unique_ptr<char[]> text = BuildText(size, false);
    return std::string(text.get(), size);
}

void TBigIniFile::LoadBuffer(std::unique_ptr<char[]> buffer, std::size_t size) {
    char* p = buffer.get();
    char* end = p + size;
    // The stored lines point into the buffer, which lives as long as the list.
    sections_.KeepText(std::move(buffer));
    if (void* z = std::memchr(p, kCtrlZ, size))
        end = static_cast<char*>(z);
    // A byte-order mark that an editor put before the first line is no text.
    if (std::string_view(p, end - p).starts_with(platform::kUtf8ByteOrderMark))
        p += platform::kUtf8ByteOrderMark.size();
    // Most files are ASCII through and through; only the lines of one that is
    // not need a look of their own.
    const bool allAscii = platform::isAscii(std::string_view(p, end - p));

    bool inSection = false;
    TIniText sectionName;
    TSectionList::EntryList entries;
    auto finishSection = [&] {
        if (inSection)
            sections_.AppendLoaded(std::move(sectionName),
                                   TSectionList::EntryList(std::make_move_iterator(entries.begin()),
                                                           std::make_move_iterator(entries.end())));
        entries.clear();
    };

    while (p < end) {
        char* lineEnd = static_cast<char*>(std::memchr(p, '\n', end - p));
        char* next = lineEnd ? lineEnd + 1 : end;
        if (!lineEnd)
            lineEnd = end;
        std::size_t len = lineEnd - p;
        // A CR is dropped wherever it stands: before the LF it is part of the
        // line end, elsewhere it is left out of the line.
        if (len > 0 && p[len - 1] == '\r')
            --len;
        if (char* cr = static_cast<char*>(std::memchr(p, '\r', len))) {
            char* w = cr;
            for (char* r = cr; r < p + len; ++r)
                if (*r != '\r')
                    *w++ = *r;
            len = w - p;
        }
        // A line that is not UTF-8 holds bytes of an older copy, in
        // Windows-1252: its UTF-8 characters are kept and only the other
        // bytes are read as Windows-1252 (cut first, as the older copy read
        // it). The limit counts characters, so a decoded line reloads the same.
        std::string decoded;
        const char* text = p;
        if (!allAscii && !platform::isAscii(std::string_view(p, len))) {
            std::string_view raw(p, len);
            if (platform::isValidUtf8(raw)) {
                len = platform::utf8CutPoint(raw, lineLimit_);
            } else {
                decoded = platform::utf8FromLegacy(
                    raw.substr(0, platform::utf8CutPoint(raw, lineLimit_)));
                text = decoded.data();
                len = decoded.size();
            }
        } else if (len > lineLimit_) {
            len = lineLimit_;
        }
        auto stored = [&](std::size_t from, std::size_t size, std::size_t keySize = 0) {
            return decoded.empty() ? TIniText::view(text + from, size, keySize)
                                   : TIniText::copy(std::string_view(text + from, size), keySize);
        };
        if (len > 0) {
            if (text[0] == '[' && len >= 2 && text[len - 1] == ']') {
                finishSection();
                sectionName = stored(1, len - 2);
                inSection = true;
            } else if (inSection) {
                if (const char* eq = static_cast<const char*>(std::memchr(text, '=', len)))
                    entries.push_back(stored(0, len, eq - text));
            }
        }
        p = next;
    }
    finishSection();
    sections_.DropDuplicates();
}
