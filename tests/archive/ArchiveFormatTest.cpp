#include "archive/ArchiveFormat.h"

#include <gtest/gtest.h>

using namespace archiveformat;

namespace {

const char kProgramBytes[] = "\x7F"
                             "ELF program bytes \0\xB6 and more";
const std::string kProgram(kProgramBytes, sizeof kProgramBytes - 1);

} // namespace

TEST(ArchiveFormat, RecordsAreMarkerNameSeparatorBodyMarkerName) {
    EXPECT_EQ(StartMarker(), "SO!#");
    EXPECT_EQ(EndMarker(), "EO!#");
    EXPECT_EQ(MakeRecord("chart.html", "<p>"), "SO!#chart.html\xB6<p>EO!#chart.html");
}

TEST(ArchiveFormat, FindsDocumentsByExactName) {
    std::string image = kProgram + MakeRecord("TEMPLATE1.HTML", "one") +
                        MakeRecord("chart.html", "chart body") +
                        MakeRecord("x", std::string(1, '\0'));
    EXPECT_EQ(FindDocument(image, "TEMPLATE1.HTML"), "one");
    EXPECT_EQ(FindDocument(image, "chart.html"), "chart body");
    EXPECT_EQ(FindDocument(image, "x"), std::string(1, '\0'));
    EXPECT_EQ(FindDocument(image, "CHART.HTML"), "");
    EXPECT_EQ(FindDocument(image, "template1.html"), "");
    EXPECT_EQ(FindDocument(image, "chart"), "");
    EXPECT_EQ(FindDocument(image, ""), "");
    EXPECT_EQ(FindDocument("", "chart.html"), "");
}

TEST(ArchiveFormat, SearchRulesForUnusualArchives) {
    // A name that occurs twice gives the first record.
    std::string twice = kProgram + MakeRecord("a", "first") + MakeRecord("a", "second");
    EXPECT_EQ(FindDocument(twice, "a"), "first");

    // An end marker followed by a longer name that begins with this name ends the body.
    std::string longer = kProgram + "SO!#chart.html\xB6" + "body" + "EO!#chart.html.old" + "rest";
    EXPECT_EQ(FindDocument(longer, "chart.html"), "body");

    // The end marker is searched from the first byte: one before the body gives nothing.
    std::string before = "EO!#doc" + kProgram + MakeRecord("doc", "body");
    EXPECT_EQ(FindDocument(before, "doc"), "");

    // Missing end marker, and an empty body, read as missing.
    EXPECT_EQ(FindDocument(kProgram + "SO!#doc\xB6" + "body without end", "doc"), "");
    EXPECT_EQ(FindDocument(kProgram + MakeRecord("doc", ""), "doc"), "");

    // A start marker without the separator right after the name is not a record.
    EXPECT_EQ(FindDocument(kProgram + "SO!#docx\xB6" + "bodyEO!#doc", "doc"), "");
}

TEST(ArchiveFormat, ArchiveOffsetOnlyForAWellFormedTail) {
    std::string archive = MakeRecord("TEMPLATE1.HTML", "t1") + MakeRecord("chart.html", "c");
    EXPECT_EQ(ArchiveOffset(kProgram + archive), kProgram.size());
    auto records = ReadRecords(kProgram + archive, kProgram.size());
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].name, "TEMPLATE1.HTML");
    EXPECT_EQ(records[0].body, "t1");
    EXPECT_EQ(records[1].name, "chart.html");

    EXPECT_EQ(ArchiveOffset(kProgram), std::nullopt);
    // Anything after the last record, or a marker inside the program, spoils it.
    EXPECT_EQ(ArchiveOffset(kProgram + archive + "x"), std::nullopt);
    EXPECT_EQ(ArchiveOffset("SO!#" + kProgram + archive), std::nullopt);
    EXPECT_EQ(ArchiveOffset(kProgram + "SO!#doc\xB6" + "unterminated"), std::nullopt);
    EXPECT_TRUE(ReadRecords(kProgram + archive + "x", kProgram.size()).empty());
}
