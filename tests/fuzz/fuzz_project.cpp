// Fuzz target: LoadProject on any file. Properties:
//   - loading never fails on a readable file, and one-line fields hold no line
//     break, multi-line fields only CR LF pairs;
//   - the loaded record saved to a new file is stored whole (nothing cut) and
//     loads back to the same record; saving it again leaves the file alone;
//   - saved over the file it came from, it loads back the same as well;
//   - any record (the input cut into field values at each byte 0x01) is
//     stored as the rules say: line breaks of one-line fields as blanks, of
//     multi-line fields as "~~", Ctrl-Z as a blank, every value whole; it
//     loads back as stored, bytes that are not UTF-8 read as Windows-1252.
#include "FuzzSupport.h"

#include "platform/TextEncoding.h"
#include "salesletter/ProjectFile.h"
#include "salesletter/SalesLetter.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

bool sameRecord(const TSalesLetter& a, const TSalesLetter& b) {
    if (a.CB1 != b.CB1 || a.CB2 != b.CB2 || a.CB3 != b.CB3)
        return false;
    for (std::size_t i = 0; i < TSalesLetter::kFieldCount; ++i)
        if (a.at(i) != b.at(i))
            return false;
    return true;
}

void checkLineBreaks(const TSalesLetter& letter) {
    const auto fields = TSalesLetter::Fields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string& v = letter.at(i);
        if (fields[i].kind != FieldKind::Text) {
            fuzzsupport::check(v.find_first_of("\r\n") == std::string::npos,
                               "a one-line field holds no line break");
            continue;
        }
        for (std::size_t p = v.find_first_of("\r\n"); p != std::string::npos;
             p = v.find_first_of("\r\n", p + 2))
            fuzzsupport::check(v[p] == '\r' && p + 1 < v.size() && v[p + 1] == '\n',
                               "a multi-line field holds only CR LF pairs");
    }
}

// What a field's value reads back as after a save and a load.
std::string storedAndRead(const FieldInfo& f, const std::string& value) {
    std::string stored;
    if (f.kind == FieldKind::Text) {
        stored = EncodeLineBreaks(platform::toCrLf(value));
    } else {
        stored = value;
        for (char& c : stored)
            if (c == '\r' || c == '\n')
                c = ' ';
    }
    for (char& c : stored) // the reader would stop at a Ctrl-Z
        if (c == '\x1a')
            c = ' ';
    stored = platform::utf8FromLegacy(stored);
    return f.kind == FieldKind::Text ? DecodeLineBreaks(stored) : stored;
}

void checkAnyRecord(std::string_view bytes) {
    using fuzzsupport::check;
    TSalesLetter letter;
    letter.SelectTemplate(static_cast<int>(bytes.size() % 3) + 1);
    const auto fields = TSalesLetter::Fields();
    for (std::size_t i = 0; i < fields.size() && !bytes.empty(); ++i) {
        std::size_t end = bytes.find('\x01');
        letter.at(i) = std::string(bytes.substr(0, end));
        bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
    }
    const std::string path = fuzzsupport::scratch().file("record.prj");
    std::remove(path.c_str());
    SaveProject(letter, path);
    TSalesLetter reloaded;
    LoadProject(reloaded, path);
    check(reloaded.CB1 == letter.CB1 && reloaded.CB2 == letter.CB2 && reloaded.CB3 == letter.CB3,
          "the template option reads back");
    for (std::size_t i = 0; i < fields.size(); ++i)
        check(reloaded.at(i) == storedAndRead(fields[i], letter.at(i)),
              "a saved value reads back whole, as stored");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzzsupport::check;
    fuzzsupport::quietServices().messages = 0;
    const std::string source = fuzzsupport::scratch().file("letter.prj");
    const std::string copy = fuzzsupport::scratch().file("copy.prj");
    fuzzsupport::writeBytes(source, std::string_view(reinterpret_cast<const char*>(data), size));
    std::remove(copy.c_str());

    TSalesLetter letter;
    letter.SelectTemplate(2); // loading decides the options afresh
    LoadProject(letter, source);
    check(!(letter.CB1 && letter.CB2) && !(letter.CB1 && letter.CB3) && !(letter.CB2 && letter.CB3),
          "at most one template option is selected");
    checkLineBreaks(letter);

    SaveProject(letter, copy);
    TSalesLetter reloaded;
    LoadProject(reloaded, copy);
    check(sameRecord(letter, reloaded), "a saved record loads back the same");
    const std::string saved = fuzzsupport::readBytes(copy);
    SaveProject(reloaded, copy);
    check(fuzzsupport::readBytes(copy) == saved, "saving the same record again changes nothing");

    SaveProject(letter, source);
    TSalesLetter again;
    LoadProject(again, source);
    check(sameRecord(letter, again), "saved over its own file, it loads back the same");
    check(fuzzsupport::quietServices().messages == 0, "no warning");

    checkAnyRecord(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
