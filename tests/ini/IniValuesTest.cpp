// Reading and changing values, name comparison and the lookup cursors.
#include "ini/BigIniFile.h"

#include "platform/ScriptedServices.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

struct IniValues : ::testing::Test {
    testsupport::TempDir dir;
    platform::ScriptedServices services;
    platform::ScopedServices scoped{services};
    std::string path = dir.file("Test.ini");
};

TEST_F(IniValues, KeysKeepTheirBlanks) {
    writeBytes(path, "[S]\r\n; note\r\nk = v\r\nm=2\r\n");
    TBigIniFile ini(path);
    EXPECT_EQ(ini.ReadString("S", "k", "default"), "default");
    EXPECT_EQ(ini.ReadString("S", "k ", "default"), " v");
    EXPECT_EQ(ini.ReadString("S", "M", "default"), "2");
    TStrings keys;
    ini.ReadSection("s", keys);
    EXPECT_EQ(keys, (TStrings{"k ", "m"}));
}

TEST_F(IniValues, FirstLineOfARepeatedKeyWins) {
    writeBytes(path, "[S]\r\nk=1\r\nK=2\r\nk=3\r\n");
    {
        TBigIniFile ini(path);
        EXPECT_EQ(ini.ReadString("S", "k", "?"), "1");
        TStrings keys;
        ini.ReadSection("S", keys);
        EXPECT_EQ(keys, (TStrings{"k", "K", "k"}));
        ini.DeleteKey("S", "K");
        EXPECT_EQ(ini.ReadString("S", "k", "?"), "2");
        ini.WriteString("S", "k", "2"); // the line reads "K=2": another case replaces it
        EXPECT_EQ(ini.ReadString("S", "K", "?"), "2");
    }
    EXPECT_EQ(readBytes(path), "[S]\r\nk=2\r\nk=3\r\n\r\n");
}

TEST_F(IniValues, NamesCompareWithoutLetterCaseIncludingAccentedLetters) {
    TBigIniFile ini("");
    ini.WriteString("\xC9t\xC9",
                    "Stra\xDF"
                    "e",
                    "1"); // ÉtÉ / Straße
    EXPECT_EQ(ini.ReadString("\xE9T\xE9",
                             "STRA\xDF"
                             "E",
                             "?"),
              "1");
    EXPECT_EQ(ini.ReadString("\xE9T\xE9", "STRASSE", "?"), "?");
    ini.WriteString("\x8A\x8C\x8E\x9F", "k", "2"); // the Windows-1252 extra capitals
    EXPECT_EQ(ini.ReadString("\x9A\x9C\x9E\xFF", "K", "?"), "2");
    // The multiplication and division signs are no letter pair.
    ini.WriteString("\xD7", "k", "3");
    EXPECT_EQ(ini.ReadString("\xF7", "k", "?"), "?");
    EXPECT_TRUE(ini.SectionExists("\xE9t\xE9"));
    EXPECT_FALSE(ini.SectionExists("ete"));
    EXPECT_FALSE(ini.SectionExists("\xE9t\xE9 "));
}

// Names typed in UTF-8 fold by their letters, not by their bytes: the bytes
// of "Ê" (C3 8A) and "Ú" (C3 9A) would be one pair in the 8-bit table.
TEST_F(IniValues, Utf8NamesCompareByTheirLetters) {
    TBigIniFile ini("");
    ini.WriteString("\xC3\x89t\xC3\xA9",
                    "Stra\xC3\x9F"
                    "e",
                    "1"); // Été / Straße
    EXPECT_EQ(ini.ReadString("\xC3\xA9T\xC3\x89",
                             "STRA\xC3\x9F"
                             "E",
                             "?"),
              "1");
    ini.WriteString("\xC3\x8A", "k", "E");                         // Ê
    EXPECT_EQ(ini.ReadString("\xC3\x9A", "k", "?"), "?");          // Ú is another letter
    EXPECT_EQ(ini.ReadString("\xC3\xAA", "K", "?"), "E");          // ê
    ini.WriteString("\xC5\x92\xC5\xA0\xC5\xBD\xC5\xB8", "k", "2"); // ŒŠŽŸ
    EXPECT_EQ(ini.ReadString("\xC5\x93\xC5\xA1\xC5\xBE\xC3\xBF", "k", "?"), "2");
    ini.WriteString("\xC3\x97", "k", "3"); // × is no capital of ÷
    EXPECT_EQ(ini.ReadString("\xC3\xB7", "k", "?"), "?");
    TStrings names;
    ini.ReadSections(names);
    EXPECT_EQ(names.size(), 4u);
}

// An older copy wrote its files in Windows-1252: those lines are taken in as
// UTF-8 with their accents, written back as UTF-8, and ASCII files keep
// every byte.
TEST_F(IniValues, LegacyLinesAreReadAsWindows1252AndWrittenAsUtf8) {
    writeBytes(path, "[Caf\xE9]\r\nName=\x93"
                     "Cr\xE8me\x94 \x96 \x80"
                     "7\xBD\r\nUtf=\xE2\x82\xAC\r\n");
    {
        TBigIniFile ini(path);
        EXPECT_EQ(ini.ReadString("CAF\xC3\x89", "Name", "?"),
                  "\xE2\x80\x9C"
                  "Cr\xC3\xA8me\xE2\x80\x9D \xE2\x80\x93 \xE2\x82\xAC"
                  "7\xC2\xBD");
        EXPECT_EQ(ini.ReadString("Caf\xC3\xA9", "Utf", "?"), "\xE2\x82\xAC"); // valid UTF-8 stays
        ini.WriteString("Caf\xC3\xA9", "New", "x");
    }
    EXPECT_EQ(readBytes(path), "[Caf\xC3\xA9]\r\nName=\xE2\x80\x9C"
                               "Cr\xC3\xA8me\xE2\x80\x9D \xE2\x80\x93 "
                               "\xE2\x82\xAC"
                               "7\xC2\xBD\r\nUtf=\xE2\x82\xAC\r\nNew=x\r\n\r\n");

    const std::string ascii = "[S]\r\na=1\r\n\r\n[T]\r\nb=~~ x\r\n\r\n";
    writeBytes(path, ascii);
    {
        TBigIniFile ini(path);
        ini.WriteString("S", "a", "2");
        ini.WriteString("S", "a", "1");
    }
    EXPECT_EQ(readBytes(path), ascii);
}

// A line mixing UTF-8 with a few Windows-1252 bytes (typed by an older copy
// into a file since saved as UTF-8) keeps every well-formed UTF-8 character;
// only the bytes that form none are read as Windows-1252.
TEST_F(IniValues, MixedLinesKeepTheirUtf8AndReadOnlyStrayBytesAsWindows1252) {
    writeBytes(path, "[S]\r\nPT=Caf\xC3\xA9 cr\xC3\xA8me \x92"
                     "best\x92\r\nCut=\xE2\x82\x41\xF0\x9F\x98\x80\xC3\r\n");
    {
        TBigIniFile ini(path);
        EXPECT_EQ(ini.ReadString("S", "PT", "?"), "Caf\xC3\xA9 cr\xC3\xA8me \xE2\x80\x99"
                                                  "best\xE2\x80\x99");
        // A sequence cut short, then a whole one, then a lone lead byte.
        EXPECT_EQ(ini.ReadString("S", "Cut", "?"), "\xC3\xA2\xE2\x80\x9A"
                                                   "A\xF0\x9F\x98\x80\xC3\x83");
        ini.WriteString("S", "New", "1");
    }
    EXPECT_EQ(readBytes(path), "[S]\r\nPT=Caf\xC3\xA9 cr\xC3\xA8me \xE2\x80\x99"
                               "best\xE2\x80\x99\r\nCut=\xC3\xA2\xE2\x80\x9A"
                               "A\xF0\x9F\x98\x80\xC3\x83\r\nNew=1\r\n\r\n");
}

// The registry keeps its 255-character lines; a project file keeps any
// length. A cut never splits a UTF-8 character.
TEST_F(IniValues, LineLimitIsTheDefaultAndCanBeLifted) {
    const std::string euro = "\xE2\x82\xAC";
    std::string value;
    for (int i = 0; i < 2000; ++i)
        value += euro;
    {
        TBigIniFile ini(path);
        ini.WriteString("S", "k", value); // "k=" + 253 characters
        EXPECT_EQ(ini.ReadString("S", "k", "?").size(), 253u * 3);
        ini.WriteString("S", "e", std::string(252, 'a') + euro); // 255: fits
        EXPECT_EQ(ini.ReadString("S", "e", "?"), std::string(252, 'a') + euro);
        ini.WriteString("S", "e", std::string(253, 'a') + euro);
        EXPECT_EQ(ini.ReadString("S", "e", "?"), std::string(253, 'a'));
    }
    {
        TBigIniFile ini(path, TBigIniFile::kNoLineLimit);
        ini.WriteString("S", "k", value);
    }
    TBigIniFile whole(path, TBigIniFile::kNoLineLimit);
    EXPECT_EQ(whole.ReadString("S", "k", "?"), value);
    TBigIniFile limited(path);
    EXPECT_EQ(limited.ReadString("S", "k", "?").size(), 253u * 3);
}

TEST_F(IniValues, WritingAppendsNewSectionsAndSkipsIdenticalLines) {
    writeBytes(path, "[First]\r\na=1\r\n");
    {
        TBigIniFile ini(path);
        ini.WriteString("New", "k", "v");
        EXPECT_TRUE(ini.Changed());
        ini.UpdateFile();
        ini.WriteString("new", "k", "v");
        EXPECT_FALSE(ini.Changed());
        ini.WriteString("new", "K", "v"); // the key's case differs: the line is replaced
        EXPECT_TRUE(ini.Changed());
    }
    EXPECT_EQ(readBytes(path), "[First]\r\na=1\r\n\r\n[New]\r\nK=v\r\n\r\n");
}

TEST_F(IniValues, TextsAreCutTo255Characters) {
    TBigIniFile ini(path);
    ini.WriteString("S", "key", std::string(300, 'v'));
    std::string stored = ini.ReadString("S", "key", "?");
    EXPECT_EQ(stored, std::string(255 - 4, 'v'));
    std::string longName(255, 's');
    ini.WriteString(longName + "tail", "k", "1");
    EXPECT_EQ(ini.ReadString(longName, "k", "?"), "1");
    EXPECT_EQ(ini.ReadString("S", "missing", std::string(300, 'd')), std::string(255, 'd'));
    TStrings lines;
    ini.ReadSectionValues("S", lines);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), 255u);
}

// A line's key is the text before its first "=", in memory as after a reload:
// a key that holds "=" names no line, so reads of it miss before and after
// the file is written (found by fuzzing: the written key used to be found
// until the next load, then lost).
TEST_F(IniValues, KeyWithEqualsSignIsTheTextBeforeTheFirstEquals) {
    {
        TBigIniFile ini(path);
        ini.WriteString("S", "a=b", "c");
        EXPECT_EQ(ini.ReadString("S", "a=b", "?"), "?");
        EXPECT_EQ(ini.ReadString("S", "a", "?"), "b=c");
        ini.WriteString("S", "a=b", "c"); // finds no line of key "a=b": appended again
        TStrings keys;
        ini.ReadSection("S", keys);
        EXPECT_EQ(keys, (TStrings{"a", "a"}));
    }
    EXPECT_EQ(readBytes(path), "[S]\r\na=b=c\r\na=b=c\r\n\r\n");
    TBigIniFile reloaded(path);
    EXPECT_EQ(reloaded.ReadString("S", "a=b", "?"), "?");
    EXPECT_EQ(reloaded.ReadString("S", "a", "?"), "b=c");
}

TEST_F(IniValues, EmptyKeyErasesTheSectionOrWritesTheFile) {
    writeBytes(path, "[A]\r\na=1\r\n[B]\r\nb=2\r\n");
    TBigIniFile ini(path);
    ini.WriteString("a", "", "");
    EXPECT_FALSE(ini.SectionExists("A"));
    EXPECT_TRUE(ini.Changed());
    ini.WriteString("B", "", "ignored value");
    EXPECT_FALSE(ini.SectionExists("B"));
    ini.WriteString("C", "c", "3");
    EXPECT_EQ(readBytes(path), "[A]\r\na=1\r\n[B]\r\nb=2\r\n"); // nothing written yet
    ini.WriteString("", "", "");
    EXPECT_EQ(readBytes(path), "[C]\r\nc=3\r\n\r\n");
    EXPECT_FALSE(ini.Changed());
}

TEST_F(IniValues, IntegersAndBooleans) {
    writeBytes(path, "[N]\r\na=31\r\nb=$1F\r\nc=0x1F\r\nd=0X1f\r\ne= 31\r\nf=31 \r\ng=abc\r\n"
                     "h=\r\ni=-$1f\r\nj=2147483647\r\nk=2147483648\r\nl=-2147483648\r\n"
                     "m=-2147483649\r\nn=+7\r\no=x1F\r\np=$\r\nq=- 1\r\nr=$7FFFFFFF\r\n"
                     "s=$80000000\r\n"
                     "[B]\r\none=1\r\nminus=-1\r\ntwo=2\r\nzero=0\r\nword=true\r\n");
    TBigIniFile ini(path);
    for (const char* key : {"a", "b", "c", "d", "e", "o"})
        EXPECT_EQ(ini.ReadInteger("N", key, 99), 31) << key;
    for (const char* key : {"f", "g", "h", "k", "m", "p", "q", "s", "missing"})
        EXPECT_EQ(ini.ReadInteger("N", key, 99), 99) << key;
    EXPECT_EQ(ini.ReadInteger("N", "i", 0), -31);
    EXPECT_EQ(ini.ReadInteger("N", "j", 0), 2147483647);
    EXPECT_EQ(ini.ReadInteger("N", "l", 0), INT32_MIN);
    EXPECT_EQ(ini.ReadInteger("N", "n", 0), 7);
    EXPECT_EQ(ini.ReadInteger("N", "r", 0), 2147483647);

    for (const char* key : {"one", "minus", "two"})
        EXPECT_TRUE(ini.ReadBool("B", key, false)) << key;
    EXPECT_FALSE(ini.ReadBool("B", "zero", true));
    EXPECT_TRUE(ini.ReadBool("B", "word", true));
    EXPECT_FALSE(ini.ReadBool("B", "word", false));
    EXPECT_TRUE(ini.ReadBool("B", "missing", true));

    ini.WriteInteger("W", "neg", INT32_MIN);
    ini.WriteBool("W", "t", true);
    ini.WriteBool("W", "f", false);
    TStrings lines;
    ini.ReadSectionValues("W", lines);
    EXPECT_EQ(lines, (TStrings{"neg=-2147483648", "t=1", "f=0"}));
}

TEST_F(IniValues, ListingAndErasingSections) {
    writeBytes(path, "[A]\r\na=1\r\n[B]\r\nb=2\r\nb=3\r\n[C]\r\nc=4\r\n");
    TBigIniFile ini(path);
    TStrings out{"stale"};
    ini.ReadSection("missing", out);
    EXPECT_TRUE(out.empty());
    out = {"stale"};
    ini.ReadSectionValues("b", out);
    EXPECT_EQ(out, (TStrings{"b=2", "b=3"}));
    ini.EraseSection("B");
    ini.ReadSections(out);
    EXPECT_EQ(out, (TStrings{"A", "C"}));
    EXPECT_EQ(ini.ReadString("C", "c", "?"), "4");
    ini.EraseSection("C");
    EXPECT_EQ(ini.SectionCursor(), 0);
    EXPECT_EQ(ini.ReadString("A", "a", "?"), "1");
}

TEST_F(IniValues, LookupsMoveTheCursorsLikeACircularScan) {
    writeBytes(path, "[S0]\r\nk=0\r\n[S1]\r\nk=1\r\n[S2]\r\nk=2\r\n[S3]\r\nk=3\r\n");
    TBigIniFile ini(path);
    EXPECT_EQ(ini.SectionCursor(), 0);
    ini.ReadString("S2", "k", "");
    EXPECT_EQ(ini.SectionCursor(), 2);
    // A miss goes once round and stops just before where it started.
    ini.ReadString("nowhere", "k", "");
    EXPECT_EQ(ini.SectionCursor(), 1);
    ini.ReadString("nowhere", "k", "");
    EXPECT_EQ(ini.SectionCursor(), 0);
    ini.ReadString("nowhere", "k", "");
    EXPECT_EQ(ini.SectionCursor(), 3);
    // A missing key in an existing section still moves the cursor there.
    ini.ReadString("s1", "missing", "");
    EXPECT_EQ(ini.SectionCursor(), 1);
    ini.WriteString("S4", "k", "4");
    EXPECT_EQ(ini.SectionCursor(), 4);

    // The section list's own last-hit index moves only on hits.
    EXPECT_EQ(ini.Sections().LastHit(), 0);
    EXPECT_TRUE(ini.SectionExists("s3"));
    EXPECT_EQ(ini.Sections().LastHit(), 3);
    EXPECT_FALSE(ini.SectionExists("nowhere"));
    EXPECT_EQ(ini.Sections().LastHit(), 3);
    ini.EraseSection("S1");
    EXPECT_EQ(ini.Sections().LastHit(), 0);
    // The index follows the shift after the erased section.
    EXPECT_EQ(ini.ReadString("S4", "k", "?"), "4");
    EXPECT_EQ(ini.SectionCursor(), 3);
}

TEST_F(IniValues, LargeSectionsFindTheFirstLineOfEachKeyThroughChanges) {
    std::string text = "[Big]\r\n";
    for (int i = 0; i < 200; ++i)
        text += "Project" + std::to_string(i % 100) + "=" + std::to_string(i) + "\r\n";
    writeBytes(path, text);
    TBigIniFile ini(path);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(ini.ReadInteger("big", "PROJECT" + std::to_string(i), -1), i) << i;
    // Deleting the first line of a key brings its second line forward.
    ini.DeleteKey("Big", "project7");
    EXPECT_EQ(ini.ReadInteger("Big", "Project7", -1), 107);
    EXPECT_EQ(ini.ReadInteger("Big", "Project8", -1), 8);
    // New keys keep being found while the section grows.
    for (int i = 100; i < 1000; ++i)
        ini.WriteInteger("Big", "Project" + std::to_string(i), i);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(ini.ReadInteger("Big", "project" + std::to_string(i), -1), i == 7 ? 107 : i) << i;
    ini.WriteString("Big", "PROJECT8", "changed");
    EXPECT_EQ(ini.ReadString("Big", "project8", "?"), "changed");
    TStrings lines;
    ini.ReadSectionValues("Big", lines);
    EXPECT_EQ(lines.size(), 199u + 900u);
    EXPECT_EQ(lines[7], "PROJECT8=changed");
}

TEST_F(IniValues, ManySectionsStayFindableThroughGrowthAndErasing) {
    TBigIniFile ini(path);
    for (int i = 0; i < 3000; ++i)
        ini.WriteInteger("Section" + std::to_string(i), "n", i);
    for (int i = 0; i < 3000; i += 3)
        ini.EraseSection("SECTION" + std::to_string(i));
    for (int i = 0; i < 3000; ++i)
        ASSERT_EQ(ini.ReadInteger("section" + std::to_string(i), "N", -1), i % 3 ? i : -1) << i;
    TStrings names;
    ini.ReadSections(names);
    ASSERT_EQ(names.size(), 2000u);
    EXPECT_EQ(names.front(), "Section1");
    EXPECT_EQ(names.back(), "Section2999");
}

} // namespace
