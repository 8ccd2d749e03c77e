// Fuzz target: the INI engine loading any file, changed by a few operations,
// and written back. Properties:
//   - the written bytes are exactly the lines ExportLines gives, each ended by CR LF;
//   - the written file loads back to the same sections (those with lines) and
//     the same lines, in the same order;
//   - writing that again gives the same bytes;
//   - lookups find the first line of each key.
//   - every loaded line and name is UTF-8 (an older copy's Windows-1252 is
//     taken in as UTF-8) of at most 255 characters.
// Operations whose text the format cannot carry (line breaks, Ctrl-Z, "=" in a
// key, a line that looks like a section header, names too long for a header
// line, text that is not UTF-8) are still run, but the reload comparison is
// skipped after them.
#include "FuzzSupport.h"

#include "ini/BigIniFile.h"
#include "ini/IniText.h"
#include "platform/TextEncoding.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// The first `n` characters of a UTF-8 text, as the engine cuts.
std::string firstCharacters(const std::string& text, std::size_t n) {
    return text.substr(0, platform::utf8CutPoint(text, n));
}

std::size_t characters(std::string_view text) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); i = platform::utf8CutPoint(text, ++n))
        ;
    return n;
}

struct Section {
    std::string name;
    std::vector<std::string> lines;
    bool operator==(const Section&) const = default;
};

// Sections that hold lines, as the object has them in memory.
std::vector<Section> nonEmptySections(const TBigIniFile& ini) {
    std::vector<Section> out;
    const TSectionList& list = ini.Sections();
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        if (list.Entries(i).empty())
            continue;
        Section s{std::string(list.Name(i)), {}};
        for (const TIniText& line : list.Entries(i))
            s.lines.emplace_back(line.text());
        out.push_back(std::move(s));
    }
    return out;
}

std::vector<Section> allSections(const TBigIniFile& ini) {
    std::vector<Section> out;
    const TSectionList& list = ini.Sections();
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        Section s{std::string(list.Name(i)), {}};
        for (const TIniText& line : list.Entries(i))
            s.lines.emplace_back(line.text());
        out.push_back(std::move(s));
    }
    return out;
}

// A name no loaded file can hold (header lines keep at most 253 name characters).
const std::string kMarkSection(255, 'Q');

// Sets the changed mark without changing the content.
void markChanged(TBigIniFile& ini) {
    ini.WriteString(kMarkSection, "k", "v");
    ini.EraseSection(kMarkSection);
}

bool hasAny(const std::string& s, const char* chars) {
    return s.find_first_of(chars, 0, 3) != std::string::npos;
}

class Texts {
public:
    Texts(FuzzedDataProvider& fdp, const TBigIniFile& ini) : fdp_(fdp) {
        const TSectionList& list = ini.Sections();
        for (std::int32_t i = 0; i < list.Count(); ++i) {
            names_.emplace_back(list.Name(i));
            for (const TIniText& line : list.Entries(i)) {
                keys_.emplace_back(line.key());
                values_.emplace_back(line.value());
            }
        }
    }
    // A section name: a loaded one (possibly in another letter case) or a fixed one.
    std::string name() {
        return pick(names_, {"", "a", "A", "Groups", " sp ", "\xC4\xD6", "\xE4\xF6",
                             std::string(253, 'n'), "x]y", "[in]"});
    }
    std::string key() {
        return pick(keys_, {"", "k", "K", "Project0", "ProjectCount", "k ", "\x8A", "\x9A",
                            std::string(200, 'k')});
    }
    std::string value() {
        return pick(values_, {"", "1", "-7", "0x1F", "$1f", "a=b", " v ", ";c", "~~",
                              std::string(300, 'v')});
    }

private:
    std::string pick(const std::vector<std::string>& loaded, std::vector<std::string> fixed) {
        std::string s;
        if (!loaded.empty() && fdp_.ConsumeBool())
            s = loaded[fdp_.ConsumeIntegralInRange<std::size_t>(0, loaded.size() - 1)];
        else
            s = fixed[fdp_.ConsumeIntegralInRange<std::size_t>(0, fixed.size() - 1)];
        switch (fdp_.ConsumeIntegralInRange(0, 7)) {
        case 0: // another letter case
            for (char& c : s)
                c = static_cast<char>(initext::kUpper[static_cast<unsigned char>(c)]);
            break;
        case 1:
            s += static_cast<char>(fdp_.ConsumeIntegral<std::uint8_t>());
            break;
        default:
            break;
        }
        return s;
    }

    FuzzedDataProvider& fdp_;
    std::vector<std::string> names_, keys_, values_;
};

// Whether a write of these texts stores something the text format cannot give back.
bool unsafeWrite(const std::string& section, const std::string& key, const std::string& value) {
    const char breaks[] = {'\r', '\n', '\x1a'};
    if (hasAny(section, breaks) || hasAny(key, breaks) || hasAny(value, breaks))
        return true;
    if (!platform::isValidUtf8(section) || !platform::isValidUtf8(key) ||
        !platform::isValidUtf8(value))
        return true;
    if (characters(section) > 253 || characters(key) >= 255)
        return true;
    std::string line =
        firstCharacters(firstCharacters(key, 255) + "=" + firstCharacters(value, 255), 255);
    return !line.empty() && line.front() == '[' && line.back() == ']';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzzsupport::check;
    fuzzsupport::quietServices().messages = 0;
    FuzzedDataProvider fdp(data, size);
    // The operations come from the input's end, the file from the rest.
    const int operations = fdp.ConsumeIntegralInRange(0, 6);
    std::vector<std::uint8_t> choices = fdp.ConsumeBytes<std::uint8_t>(operations * 8);
    const std::string file = fdp.ConsumeRemainingBytesAsString();

    const std::string path = fuzzsupport::scratch().file("f.ini");
    fuzzsupport::writeBytes(path, file);

    bool safe = true;
    std::vector<std::string> exported;
    std::vector<Section> expected;
    {
        TBigIniFile ini(path);
        check(!ini.Changed(), "loading leaves the changed mark clear");
        // Loaded sections never repeat a name.
        const TSectionList& list = ini.Sections();
        for (std::int32_t i = 0; i < list.Count(); ++i) {
            check(characters(list.Name(i)) <= 253 && platform::isValidUtf8(list.Name(i)),
                  "a loaded name is UTF-8 and fits a header line");
            check(list.Find(list.Name(i)) == i, "each loaded name is found at its place");
            for (const TIniText& line : list.Entries(i))
                check(characters(line.text()) <= 255 && platform::isValidUtf8(line.text()) &&
                          line.text().find('=') == line.key().size() &&
                          line.text().find_first_of("\r\n\x1a", 0, 3) == std::string::npos,
                      "a loaded line is one UTF-8 line of at most 255 characters with a key");
        }

        FuzzedDataProvider ops(choices.data(), choices.size());
        Texts texts(ops, ini);
        for (int i = 0; i < operations; ++i) {
            switch (ops.ConsumeIntegralInRange(0, 6)) {
            case 0: {
                std::string s = texts.name(), k = texts.key(), v = texts.value();
                safe = safe && !unsafeWrite(s, k, v);
                ini.WriteString(s, k, v);
                if (!k.empty()) {
                    // The stored line is key "=" value, cut to 255 characters.
                    std::string key = firstCharacters(k, 255);
                    std::string line = firstCharacters(key + "=" + firstCharacters(v, 255), 255);
                    std::string stored =
                        line.size() > key.size() ? line.substr(key.size() + 1) : "";
                    // A line's key ends at its first "=": a key holding one names no line.
                    if (key.find('=') != std::string::npos)
                        stored = "\x01";
                    check(ini.ReadString(s, k, "\x01") == stored, "a written value reads back");
                }
                break;
            }
            case 1:
                ini.EraseSection(texts.name());
                break;
            case 2:
                ini.DeleteKey(texts.name(), texts.key());
                break;
            case 3:
                ini.WriteInteger(texts.name(), texts.key(), ops.ConsumeIntegral<std::int32_t>());
                safe = false; // the key may hold anything
                break;
            case 4: {
                std::string s = texts.name(), k = texts.key();
                std::string value = ini.ReadString(s, k, "");
                std::int32_t n = ini.ReadInteger(s, k, 12345);
                (void)value;
                (void)n;
                break;
            }
            case 5: {
                TStrings strings;
                ini.ReadSection(texts.name(), strings);
                ini.ReadSectionValues(texts.name(), strings);
                ini.ReadSections(strings);
                check(static_cast<std::int32_t>(strings.size()) == ini.Sections().Count(),
                      "ReadSections lists every section");
                break;
            }
            default:
                check(ini.SectionExists(texts.name()) || true, "");
                break;
            }
        }

        markChanged(ini);
        ini.ExportLines(exported);
        expected = nonEmptySections(ini);
        ini.UpdateFile();
        check(!ini.Changed(), "a write to a writable file succeeds");
        check(fuzzsupport::quietServices().messages == 0, "no warning while writing");

        // Lookups give the first line of each key.
        for (const Section& s : expected) {
            for (const std::string& line : s.lines) {
                std::string key = line.substr(0, line.find('='));
                if (key.empty() || key.size() >= 255 || unsafeWrite(s.name, key, ""))
                    continue;
                std::string first;
                for (const std::string& l : s.lines)
                    if (initext::sameName(l.substr(0, l.find('=')), key)) {
                        first = l.substr(l.find('=') + 1);
                        break;
                    }
                check(ini.ReadString(s.name, key, "\x01") == first,
                      "ReadString gives the first line of the key");
            }
        }
    }

    const std::string written = fuzzsupport::readBytes(path);
    std::string joined;
    for (const std::string& line : exported)
        joined += line + "\r\n";
    check(written == joined, "the file holds exactly the exported lines");

    if (!safe)
        return 0;
    {
        TBigIniFile again(path);
        check(allSections(again) == expected, "the written file loads back the same");
        markChanged(again);
        again.UpdateFile();
    }
    check(fuzzsupport::readBytes(path) == written, "writing it again gives the same bytes");
    return 0;
}
