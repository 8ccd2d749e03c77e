// Loading the INI text format and writing it back byte for byte.
#include "ini/BigIniFile.h"

#include "platform/ScriptedServices.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

struct IniFormat : ::testing::Test {
    testsupport::TempDir dir;
    platform::ScriptedServices services;
    platform::ScopedServices scoped{services};
    std::string path = dir.file("Test.ini");

    // The lines the object would write, joined with CR LF.
    static std::string exported(TBigIniFile& ini) {
        TStrings lines;
        ini.ExportLines(lines);
        std::string text;
        for (const auto& l : lines)
            text += l + "\r\n";
        return text;
    }
    std::string loadAndExport(const std::string& bytes) {
        writeBytes(path, bytes);
        TBigIniFile ini(path);
        return exported(ini);
    }
};

TEST_F(IniFormat, WritesSectionsWithCrLfAndOneBlankLineAfterEach) {
    {
        TBigIniFile ini(path);
        ini.WriteString("One", "a", "1");
        ini.WriteString("Two", "b", "x=y");
        ini.WriteString("One", "c", "");
    }
    EXPECT_EQ(readBytes(path), "[One]\r\na=1\r\nc=\r\n\r\n[Two]\r\nb=x=y\r\n\r\n");
    TBigIniFile again(path);
    EXPECT_EQ(again.ReadString("two", "B", "?"), "x=y");
    EXPECT_EQ(exported(again), readBytes(path));
}

TEST_F(IniFormat, LineEndsCtrlZAndLoneCarriageReturns) {
    // LF and CR LF both end lines; a lone CR is left out of the line; the
    // first Ctrl-Z ends the file.
    EXPECT_EQ(loadAndExport("[S]\na=1\r\nb=2\rx\r\n\r\n\nc=3\x1A"
                            "d=4\r\n[T]\r\ne=5\r\n"),
              "[S]\r\na=1\r\nb=2x\r\nc=3\r\n\r\n");
    // The last line needs no line end; a CR right at the end is dropped.
    EXPECT_EQ(loadAndExport("[S]\r\na=1\r"), "[S]\r\na=1\r\n\r\n");
}

TEST_F(IniFormat, HeaderTestLooksAtTheRawLine) {
    writeBytes(path, "[A]\r\nk=1\r\n [B]\r\nk=2\r\n[C] \r\nk=3\r\n[]\r\nk=4\r\n[x=y]\r\nk=5\r\n"
                     "[ D ]\r\nk=6\r\n[\r\n]\r\n");
    TBigIniFile ini(path);
    TStrings names;
    ini.ReadSections(names);
    EXPECT_EQ(names, (TStrings{"A", "", "x=y", " D "}));
    // Lines that look like headers but are not stay out of the file, so
    // section A keeps the lines after them.
    EXPECT_EQ(ini.ReadString("A", "k", "?"), "1");
    TStrings values;
    ini.ReadSectionValues("A", values);
    EXPECT_EQ(values, (TStrings{"k=1", "k=2", "k=3"}));
    EXPECT_EQ(ini.ReadString("", "k", "?"), "4");
    EXPECT_EQ(ini.ReadString(" d ", "k", "?"), "6");
    EXPECT_EQ(ini.ReadString("D", "k", "?"), "?");
}

TEST_F(IniFormat, EmptyNamesAndValuesRoundTrip) {
    {
        TBigIniFile ini(path);
        ini.WriteString("", "k", "");
        ini.WriteString("S", "=", "=");
    }
    EXPECT_EQ(readBytes(path), "[]\r\nk=\r\n\r\n[S]\r\n===\r\n\r\n");
    TBigIniFile ini(path);
    EXPECT_EQ(ini.ReadString("", "k", "?"), "");
    // The key of "===" is empty: the text before the first "=".
    EXPECT_EQ(ini.ReadString("S", "", "?"), "==");
}

TEST_F(IniFormat, LinesWithoutEqualsAndLinesBeforeTheFirstHeaderAreDropped) {
    EXPECT_EQ(loadAndExport("lost=1\r\n; comment\r\n[S]\r\n; note\r\nk = v\r\n=empty key\r\n"
                            "plain text\r\nm=2\r\n"),
              "[S]\r\nk = v\r\n=empty key\r\nm=2\r\n\r\n");
    TBigIniFile ini(path);
    EXPECT_EQ(ini.ReadString("S", "", "?"), "empty key");
}

// A text editor may put a UTF-8 byte-order mark before the first header: it
// is skipped there (and only there) and never written back.
TEST_F(IniFormat, ByteOrderMarkAtTheStartIsSkippedAndNeverWritten) {
    EXPECT_EQ(loadAndExport("\xEF\xBB\xBF[First]\r\na=1\r\n[Second]\r\nb=2\r\n"),
              "[First]\r\na=1\r\n\r\n[Second]\r\nb=2\r\n\r\n");
    {
        TBigIniFile ini(path);
        EXPECT_EQ(ini.ReadString("First", "a", "?"), "1");
        ini.WriteString("First", "a", "2");
    }
    EXPECT_EQ(readBytes(path), "[First]\r\na=2\r\n\r\n[Second]\r\nb=2\r\n\r\n");
    // A mark anywhere else is text of its line; a file of the mark alone is empty.
    EXPECT_EQ(loadAndExport("[S]\r\n\xEF\xBB\xBFk=1\r\n"), "[S]\r\n\xEF\xBB\xBFk=1\r\n\r\n");
    EXPECT_EQ(loadAndExport("\xEF\xBB\xBF"), "");
    EXPECT_EQ(loadAndExport("\xEF\xBB[S]\r\nk=1\r\n"), "");
}

TEST_F(IniFormat, LongLinesAreReadAsTheirFirst255Characters) {
    std::string value(300, 'v');
    std::string key = "k";
    writeBytes(path, "[S]\r\n" + key + "=" + value + "\r\nnext=1\r\n[" + std::string(260, 'N') +
                         "]\r\nlost=1\r\n");
    TBigIniFile ini(path);
    EXPECT_EQ(ini.ReadString("S", "k", "?"), std::string(253, 'v'));
    EXPECT_EQ(ini.ReadString("S", "next", "?"), "1");
    // A header over 255 characters loses its "]", is no header, and so
    // its lines land in the section before it.
    EXPECT_EQ(ini.ReadString("S", "lost", "?"), "1");
}

TEST_F(IniFormat, LaterSectionsOfAnEqualNameAreDropped) {
    const std::string original = "[A]\r\nx=1\r\n[a]\r\ny=2\r\n[B]\r\nz=3\r\n[\xC4rger]\r\n"
                                 "p=1\r\n[\xE4RGER]\r\nq=2\r\n[b]\r\n";
    writeBytes(path, original);
    {
        TBigIniFile ini(path);
        TStrings names;
        ini.ReadSections(names);
        // The Windows-1252 names of an older copy are taken in as UTF-8.
        EXPECT_EQ(names, (TStrings{"A", "B", "\xC3\x84rger"}));
        EXPECT_EQ(ini.ReadString("a", "x", "?"), "1");
        EXPECT_EQ(ini.ReadString("a", "y", "?"), "?");
        EXPECT_EQ(ini.ReadString("\xC3\xA4rger", "q", "?"), "?");
        EXPECT_EQ(ini.ReadString("\xC3\xA4RGER", "p", "?"), "1");
        EXPECT_FALSE(ini.Changed());
    }
    // Dropping alone is no change: the file keeps its duplicates...
    EXPECT_EQ(readBytes(path), original);
    {
        TBigIniFile ini(path);
        ini.WriteString("B", "z", "4");
    }
    // ...until something else changes.
    EXPECT_EQ(readBytes(path), "[A]\r\nx=1\r\n\r\n[B]\r\nz=4\r\n\r\n[\xC3\x84rger]\r\np=1\r\n\r\n");
}

TEST_F(IniFormat, EmptySectionsAreListedButNotWritten) {
    writeBytes(path, "[Empty]\r\n[Full]\r\na=1\r\nb=2\r\n");
    {
        TBigIniFile ini(path);
        ini.DeleteKey("Full", "A");
        ini.DeleteKey("full", "b");
        TStrings names;
        ini.ReadSections(names);
        EXPECT_EQ(names, (TStrings{"Empty", "Full"}));
        ini.WriteString("Last", "c", "3");
    }
    EXPECT_EQ(readBytes(path), "[Last]\r\nc=3\r\n\r\n");
    TBigIniFile ini(path);
    EXPECT_FALSE(ini.SectionExists("Full"));
}

TEST_F(IniFormat, ExportLinesAppendsWhatTheFileWouldHold) {
    writeBytes(path, "[S]\r\na=1\r\n[Empty]\r\n[T]\r\nb=2\r\n");
    TBigIniFile ini(path);
    TStrings lines{"kept"};
    ini.ExportLines(lines);
    EXPECT_EQ(lines, (TStrings{"kept", "[S]", "a=1", "", "[T]", "b=2", ""}));
}

TEST_F(IniFormat, UnchangedObjectsNeverTouchTheFile) {
    const std::string original = "; comment\r\n[S]\nk=v\n";
    writeBytes(path, original);
    {
        TBigIniFile ini(path);
        ini.WriteString("S", "k", "v"); // the same line again
        EXPECT_FALSE(ini.Changed());
        ini.EraseSection("missing");
        ini.DeleteKey("S", "missing");
        EXPECT_FALSE(ini.Changed());
    }
    EXPECT_EQ(readBytes(path), original);
}

TEST_F(IniFormat, MissingFileLoadsEmptyAndIsCreatedOnWrite) {
    {
        TBigIniFile ini(path);
        TStrings names{"old"};
        ini.ReadSections(names);
        EXPECT_TRUE(names.empty());
        EXPECT_EQ(ini.ReadString("S", "k", "default"), "default");
        ini.WriteInteger("S", "k", -12);
    }
    EXPECT_EQ(readBytes(path), "[S]\r\nk=-12\r\n\r\n");
}

TEST_F(IniFormat, SetFileNameWritesTheOldFileAndLoadsTheNewOne) {
    std::string other = dir.file("Other.ini");
    writeBytes(other, "[O]\r\nk=other\r\n");
    TBigIniFile ini(path);
    ini.WriteString("S", "k", "first");
    ini.SetFileName(other);
    EXPECT_EQ(readBytes(path), "[S]\r\nk=first\r\n\r\n");
    EXPECT_FALSE(ini.Changed());
    EXPECT_EQ(ini.ReadString("S", "k", "?"), "?");
    EXPECT_EQ(ini.ReadString("O", "k", "?"), "other");
    // An empty name leaves an object without a file: changes go nowhere.
    ini.SetFileName("");
    ini.WriteString("X", "k", "1");
    ini.UpdateFile();
    EXPECT_FALSE(ini.Changed());
    EXPECT_EQ(readBytes(other), "[O]\r\nk=other\r\n");
}

TEST_F(IniFormat, FileNamesAreCutTo255Characters) {
    std::string name = dir.folder() + std::string(255 - dir.folder().size(), 'n');
    {
        TBigIniFile ini(name + "-beyond-the-limit.ini");
        EXPECT_EQ(ini.FileName(), name);
        ini.WriteString("S", "k", "1");
    }
    EXPECT_EQ(readBytes(name), "[S]\r\nk=1\r\n\r\n");
}

} // namespace
