// Randomised checks against simple models: the loader on arbitrary text, and
// the indexed lookups against the plain circular scan they stand in for.
#include "ini/BigIniFile.h"

#include "platform/ScriptedServices.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

// Small letters for the names this test uses (ASCII and A/a with diaeresis,
// which a load turns from Windows-1252 into UTF-8).
std::string folded(std::string s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        char& c = s[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
        else if (c == '\xC4')
            c = '\xE4';
        else if (c == '\xC3' && i + 1 < s.size() && s[i + 1] == '\x84')
            s[++i] = '\xA4';
    }
    return s;
}

// Characters of a UTF-8 text.
std::size_t characters(const std::string& s) {
    std::size_t n = 0;
    for (char c : s)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

std::string joined(const TStrings& lines) {
    std::string text;
    for (const auto& l : lines)
        text += l + "\r\n";
    return text;
}

struct IniModel : ::testing::Test {
    testsupport::TempDir dir;
    platform::ScriptedServices services;
    platform::ScopedServices scoped{services};
    std::mt19937 rng{12345};

    int pick(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }
};

TEST_F(IniModel, AnyTextLoadsToAFileThatReloadsTheSame) {
    const std::vector<std::string> pieces = {"[",          "]",    "=",    "\r",
                                             "\n",         "\r\n", "\r\n", "\n",
                                             "a",          "A",    "b",    " ",
                                             "\xC4",       "\xE4", "[a]",  "[A]",
                                             "[\xC4]\r\n", "k=v",  "\x1A", std::string(120, 'x'),
                                             "; c"};
    std::string first = dir.file("first.ini"), second = dir.file("second.ini");
    for (int round = 0; round < 300; ++round) {
        std::string text;
        for (int n = pick(80); n > 0; --n)
            text += pieces[pick(static_cast<int>(pieces.size()))];
        writeBytes(first, text);
        TStrings exported;
        {
            TBigIniFile ini(first);
            ini.ExportLines(exported);
            TStrings names;
            ini.ReadSections(names);
            std::set<std::string> distinct;
            for (const auto& name : names)
                ASSERT_TRUE(distinct.insert(folded(name)).second) << "duplicate " << name;
            for (const auto& line : exported)
                ASSERT_LE(characters(line), 255u);
            // What is written is exactly what ExportLines shows.
            ini.WriteString("\x01", "k", "v");
            ini.EraseSection("\x01");
            ini.UpdateFile();
            ASSERT_EQ(readBytes(first), joined(exported)) << "round " << round;
        }
        writeBytes(second, joined(exported));
        TBigIniFile again(second);
        TStrings reexported;
        again.ExportLines(reexported);
        ASSERT_EQ(reexported, exported) << "round " << round;
    }
}

// The cursors as the plain scans over the section list define them.
struct ScanModel {
    std::vector<std::string> names;
    int cursor = 0;
    int lastHit = 0;

    int findByCursor(const std::string& name, bool create) {
        int n = static_cast<int>(names.size());
        if (n > 0) {
            int start = cursor;
            while (folded(names[cursor]) != folded(name) && cursor != (start + n - 1) % n)
                cursor = (cursor + 1) % n;
            if (folded(names[cursor]) == folded(name))
                return cursor;
        }
        if (!create)
            return -1;
        names.push_back(name);
        return cursor = n;
    }
    int indexOf(const std::string& name) {
        int n = static_cast<int>(names.size());
        for (int step = 0; step < n; ++step) {
            int i = (lastHit + step) % n;
            if (folded(names[i]) == folded(name))
                return lastHit = i;
        }
        return -1;
    }
    void erase(const std::string& name) {
        int i = indexOf(name);
        if (i < 0)
            return;
        names.erase(names.begin() + i);
        lastHit = 0;
        if (cursor >= static_cast<int>(names.size()))
            cursor = 0;
    }
};

TEST_F(IniModel, IndexedLookupsMoveTheCursorsAsTheScansWould) {
    std::string path = dir.file("model.ini");
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "[S" + std::to_string(i) + "]\r\nk=" + std::to_string(i) + "\r\n";
    writeBytes(path, text);
    TBigIniFile ini(path);
    ScanModel model;
    for (int i = 0; i < 40; ++i)
        model.names.push_back("S" + std::to_string(i));

    for (int step = 0; step < 5000; ++step) {
        std::string name = (pick(2) ? "S" : "s") + std::to_string(pick(60));
        switch (pick(5)) {
        case 0:
        case 1: {
            int found = model.findByCursor(name, false);
            std::string value = ini.ReadString(name, "k", "?");
            ASSERT_EQ(value == "?", found < 0) << name;
            break;
        }
        case 2:
            model.findByCursor(name, true);
            ini.WriteString(name, "k", std::to_string(step));
            break;
        case 3:
            ASSERT_EQ(ini.SectionExists(name), model.indexOf(name) >= 0) << name;
            break;
        case 4:
            model.erase(name);
            ini.EraseSection(name);
            break;
        }
        ASSERT_EQ(ini.SectionCursor(), model.cursor) << "step " << step;
        ASSERT_EQ(ini.Sections().LastHit(), model.lastHit) << "step " << step;
    }
    TStrings names;
    ini.ReadSections(names);
    EXPECT_EQ(names, model.names);
}

} // namespace
