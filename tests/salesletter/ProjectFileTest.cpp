#include "salesletter/ProjectFile.h"
#include "support/TempDir.h"

#include "platform/ScriptedServices.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <stdexcept>

using testsupport::readBytes;
using testsupport::TempDir;
using testsupport::writeBytes;

namespace {

// The project file's keys in the order the file holds them.
const char* const kFileKeys[] = {"CB1",
                                 "CB2",
                                 "CB3",
                                 "FN",
                                 "SW",
                                 "WL",
                                 "WD",
                                 "KP",
                                 "RS",
                                 "TS",
                                 "CW",
                                 "PT",
                                 "CD",
                                 "YFN",
                                 "PBC",
                                 "CS",
                                 "HG",
                                 "EC",
                                 "Headline",
                                 "NH",
                                 "Subheadline",
                                 "IntroLine",
                                 "FirstParagraph",
                                 "Problem",
                                 "IntroHeadline",
                                 "FeatureList",
                                 "Introduction",
                                 "F1",
                                 "FD1",
                                 "F2",
                                 "FD2",
                                 "F3",
                                 "FD3",
                                 "F4",
                                 "FD4",
                                 "F5",
                                 "FD5",
                                 "F6",
                                 "FD6",
                                 "F7",
                                 "FD7",
                                 "F8",
                                 "FD8",
                                 "F9",
                                 "FD9",
                                 "Benefits",
                                 "Benefit1",
                                 "Benefit2",
                                 "Benefit3",
                                 "Benefit4",
                                 "Benefit5",
                                 "TN1",
                                 "TW1",
                                 "T1",
                                 "TD1",
                                 "TN2",
                                 "TW2",
                                 "T2",
                                 "TD2",
                                 "TN3",
                                 "TW3",
                                 "T3",
                                 "TD3",
                                 "TN4",
                                 "TW4",
                                 "T4",
                                 "TD4",
                                 "TN5",
                                 "TW5",
                                 "T5",
                                 "TD5",
                                 "TBC",
                                 "HowItWorks",
                                 "PriceReason",
                                 "Receive",
                                 "IntroBonus",
                                 "FG1",
                                 "FGD1",
                                 "FG2",
                                 "FGD2",
                                 "FG3",
                                 "FGD3",
                                 "FG4",
                                 "FGD4",
                                 "FG5",
                                 "FGD5",
                                 "MBG",
                                 "YG",
                                 "MBC",
                                 "Closing",
                                 "ClosingS",
                                 "PS",
                                 "N",
                                 "LN",
                                 "BN",
                                 "EEA",
                                 "ES",
                                 "ED",
                                 "PopT",
                                 "Link",
                                 "OH",
                                 "OR1",
                                 "OR2",
                                 "OR3",
                                 "OR4",
                                 "OR5",
                                 "OLBC",
                                 "AffiliateID",
                                 "FeatureSummary"};

std::string newWindowFile() {
    const std::pair<std::string, std::string> values[] = {{"CB1", "1"},
                                                          {"CB2", "0"},
                                                          {"CB3", "0"},
                                                          {"WL", "English"},
                                                          {"RS", "Follow"},
                                                          {"TS", "General"},
                                                          {"PBC", "FFFFFF"},
                                                          {"F1", "Feature"},
                                                          {"FD1", "Description"},
                                                          {"TN1", "Name"},
                                                          {"TW1", "Website"},
                                                          {"T1", "Testimonial"},
                                                          {"TD1", "Key statement of testimonial"},
                                                          {"TBC", "FFFFCC"},
                                                          {"FG1", "$Value"},
                                                          {"FGD1", "Description"},
                                                          {"MBC", "FFFFCC"},
                                                          {"ClosingS", "Sincerely,"},
                                                          {"ES", "Subscribe"},
                                                          {"OLBC", "FFFFCC"}};
    std::string text = "[Project]\r\n";
    for (const char* key : kFileKeys) {
        std::string value;
        for (const auto& [k, v] : values)
            if (k == key)
                value = v;
        text += std::string(key) + "=" + value + "\r\n";
    }
    return text + "\r\n";
}

class ProjectFile : public ::testing::Test {
protected:
    platform::ScriptedServices services;
    platform::ScopedServices scoped{services};
    TempDir dir;
    std::string path = dir.file("letter.prj");
};

} // namespace

TEST_F(ProjectFile, NewRecordIsSavedInTableOrder) {
    SaveProject(TSalesLetter(), path);
    EXPECT_EQ(readBytes(path), newWindowFile());
}

TEST_F(ProjectFile, EveryFieldRoundTripsWithAwkwardCharacters) {
    TSalesLetter out;
    out.SelectTemplate(2);
    int n = 0;
    for (const FieldInfo& f : TSalesLetter::Fields()) {
        std::string v = " lead=" + std::to_string(n++) + ";[x]~ ";
        if (f.kind == FieldKind::Text)
            v += "\r\nsecond line\r\n\r\n~third=";
        out[f.key] = v;
    }
    SaveProject(out, path);
    TSalesLetter in;
    in.ResetProject();
    LoadProject(in, path);
    EXPECT_FALSE(in.CB1);
    EXPECT_TRUE(in.CB2);
    EXPECT_FALSE(in.CB3);
    for (const FieldInfo& f : TSalesLetter::Fields())
        EXPECT_EQ(in[f.key], out[f.key]) << f.key;
}

TEST_F(ProjectFile, LineBreakEncoding) {
    EXPECT_EQ(EncodeLineBreaks("a\r\nb"), "a~~b");
    EXPECT_EQ(EncodeLineBreaks("\r\r\n\n"), "\r~~\n");
    EXPECT_EQ(DecodeLineBreaks("x~~y"), "x\r\ny");
    EXPECT_EQ(DecodeLineBreaks("~~~"), "\r\n~");
    EXPECT_EQ(DecodeLineBreaks("~~~~"), "\r\n\r\n");
    EXPECT_EQ(DecodeLineBreaks("a~b~"), "a~b~");

    // A memo holding "~~" comes back with a line break there; a line field keeps it.
    TSalesLetter out;
    out["WD"] = "a~~b";
    out["FN"] = "a~~b";
    SaveProject(out, path);
    TSalesLetter in;
    LoadProject(in, path);
    EXPECT_EQ(in["WD"], "a\r\nb");
    EXPECT_EQ(in["FN"], "a~~b");
}

TEST_F(ProjectFile, LoneLineBreaksCannotAddLinesToTheFile) {
    TSalesLetter out;
    out["FD1"] = "one\ntwo\rthree";
    out["PT"] = "title\n[Evil]\nx=1";
    SaveProject(out, path);
    std::string file = readBytes(path);
    EXPECT_NE(file.find("FD1=one~~two~~three\r\n"), std::string::npos);
    EXPECT_NE(file.find("PT=title [Evil] x=1\r\n"), std::string::npos);
    EXPECT_EQ(file.find("\r\n[Evil]"), std::string::npos);
    TSalesLetter in;
    LoadProject(in, path);
    EXPECT_EQ(in["FD1"], "one\r\ntwo\r\nthree");
}

// Found by fuzzing: a Ctrl-Z in a value ended the file for the INI engine's
// reader, so every later key of the project came back empty.
TEST_F(ProjectFile, CtrlZInAValueBecomesABlankAndLosesNothingAfterIt) {
    TSalesLetter out;
    out["FN"] = "a\x1a"
                "b";
    out["WD"] = "one\r\n\x1a"
                "two";
    out["AffiliateID"] = "last";
    SaveProject(out, path);
    EXPECT_EQ(readBytes(path).find('\x1a'), std::string::npos);
    TSalesLetter in;
    LoadProject(in, path);
    EXPECT_EQ(in["FN"], "a b");
    EXPECT_EQ(in["WD"], "one\r\n two");
    EXPECT_EQ(in["AffiliateID"], "last");
    EXPECT_EQ(in["WL"], "English");
}

// A sales letter's paragraphs run to thousands of characters, and each
// curly quote, dash or euro sign takes three bytes: every value is stored
// whole, byte for byte.
TEST_F(ProjectFile, LongValuesAreStoredWholeByteForByte) {
    TSalesLetter out;
    std::string paragraph = "<p>";
    while (paragraph.size() < 5000)
        paragraph += "\xE2\x80\x9C"
                     "Caf\xC3\xA9"
                     "\xE2\x80\x9D \xE2\x80\x94 \xE2\x82\xAC"
                     "7\xC2\xBD,\xC2\xA0";
    paragraph += "</p>\r\n<p>second ~ paragraph</p>";
    out["FirstParagraph"] = paragraph;
    out["Headline"] = std::string(300, 'h');
    out["N"] = std::string(300, 'n');
    out["WD"] = std::string(251, 'w') + "\r\nrest";
    SaveProject(out, path);
    EXPECT_NE(readBytes(path).find("FirstParagraph=" + EncodeLineBreaks(paragraph) + "\r\n"),
              std::string::npos);
    TSalesLetter in;
    LoadProject(in, path);
    EXPECT_EQ(in["FirstParagraph"], paragraph);
    EXPECT_EQ(in["Headline"], out["Headline"]);
    EXPECT_EQ(in["N"], out["N"]);
    EXPECT_EQ(in["WD"], out["WD"]);
    // Saving the loaded record again changes nothing.
    const std::string saved = readBytes(path);
    SaveProject(in, path);
    EXPECT_EQ(readBytes(path), saved);
}

// Older copies wrote projects in Windows-1252: they load with their accents
// and are written back in UTF-8 with the same text.
TEST_F(ProjectFile, LegacyWindows1252ProjectLoadsAndSavesAsUtf8) {
    writeBytes(path, "[Project]\r\nCB1=0\r\nCB2=1\r\nCB3=0\r\n"
                     "PT=Caf\xE9 cr\xE8me \x96 \x80"
                     "7\xBD\r\n"
                     "Headline=\x93"
                     "First and greatest\x94~~na\xEFve\r\n"
                     "FN=Ada\r\n");
    TSalesLetter in;
    LoadProject(in, path);
    EXPECT_TRUE(in.CB2);
    EXPECT_EQ(in["PT"], "Caf\xC3\xA9 cr\xC3\xA8me \xE2\x80\x93 \xE2\x82\xAC"
                        "7\xC2\xBD");
    EXPECT_EQ(in["Headline"], "\xE2\x80\x9C"
                              "First and greatest\xE2\x80\x9D\r\nna\xC3\xAFve");
    EXPECT_EQ(in["FN"], "Ada");
    SaveProject(in, path);
    const std::string file = readBytes(path);
    EXPECT_NE(file.find("PT=Caf\xC3\xA9 cr\xC3\xA8me \xE2\x80\x93 \xE2\x82\xAC"
                        "7\xC2\xBD\r\n"),
              std::string::npos);
    EXPECT_NE(file.find("Headline=\xE2\x80\x9C"
                        "First and greatest\xE2\x80\x9D~~na\xC3\xAFve\r\n"),
              std::string::npos);
    TSalesLetter again;
    LoadProject(again, path);
    EXPECT_EQ(again["PT"], in["PT"]);
    EXPECT_EQ(again["Headline"], in["Headline"]);
}

// Saved by a text editor with a byte-order mark, a project loads whole and
// is saved without the mark; a line with a stray Windows-1252 byte keeps its
// UTF-8 characters.
TEST_F(ProjectFile, ByteOrderMarkAndMixedLinesLoseNothing) {
    writeBytes(path, "\xEF\xBB\xBF[Project]\r\nCB1=0\r\nCB2=1\r\nCB3=0\r\n"
                     "PT=Caf\xC3\xA9 cr\xC3\xA8me \x92"
                     "best\x92\r\nFN=Ada\r\n");
    TSalesLetter in;
    LoadProject(in, path);
    EXPECT_TRUE(in.CB2);
    EXPECT_EQ(in["FN"], "Ada");
    EXPECT_EQ(in["PT"], "Caf\xC3\xA9 cr\xC3\xA8me \xE2\x80\x99"
                        "best\xE2\x80\x99");
    SaveProject(in, path);
    const std::string file = readBytes(path);
    EXPECT_EQ(file.rfind("[Project]\r\n", 0), 0u);
    TSalesLetter again;
    LoadProject(again, path);
    EXPECT_EQ(again["PT"], in["PT"]);
    EXPECT_EQ(again["FN"], "Ada");
}

TEST_F(ProjectFile, TemplateOptionsFollowTheRadioButtonRule) {
    writeBytes(path, "[Project]\r\nCB1=0\r\nCB2=0\r\nCB3=0\r\n");
    TSalesLetter in;
    LoadProject(in, path);
    EXPECT_FALSE(in.CB1 || in.CB2 || in.CB3);
    SaveProject(in, path);
    EXPECT_EQ(readBytes(path).rfind("[Project]\r\nCB1=0\r\nCB2=0\r\nCB3=0\r\nFN=\r\n", 0), 0u);

    writeBytes(path, "[Project]\r\nCB1=1\r\nCB2=1\r\nCB3=0\r\n");
    LoadProject(in, path);
    EXPECT_FALSE(in.CB1);
    EXPECT_TRUE(in.CB2);
    writeBytes(path, "[Project]\r\nCB1=1\r\nCB2=1\r\nCB3=1\r\n");
    LoadProject(in, path);
    EXPECT_TRUE(in.CB3 && !in.CB1 && !in.CB2);
}

TEST_F(ProjectFile, MissingKeysAndFilesEmptyTheFields) {
    writeBytes(path, "[Project]\r\nCB1=0\r\nCB3=1\r\nPT=Title\r\n");
    TSalesLetter in;
    in["FeatureSummary"] = "old";
    LoadProject(in, path);
    EXPECT_TRUE(in.CB3);
    EXPECT_EQ(in["PT"], "Title");
    EXPECT_EQ(in["WL"], "");
    EXPECT_EQ(in["FeatureSummary"], "");

    TSalesLetter none;
    none.SelectTemplate(3);
    LoadProject(none, dir.file("missing.prj"));
    EXPECT_TRUE(none.CB1);
    EXPECT_FALSE(none.CB3);
    for (const FieldInfo& f : TSalesLetter::Fields())
        EXPECT_EQ(none[f.key], "") << f.key;
}

TEST_F(ProjectFile, SavingKeepsOtherSectionsAndKeyOrder) {
    writeBytes(path, "[Other]\r\na=1\r\n; note\r\n\r\n[Project]\r\nPT=old\r\nFN=x\r\nZZ=keep\r\n"
                     "\r\n[Tail]\r\nb=2\r\n");
    TSalesLetter out;
    out["PT"] = "new";
    SaveProject(out, path);
    std::string file = readBytes(path);
    EXPECT_EQ(
        file.rfind("[Other]\r\na=1\r\n\r\n[Project]\r\nPT=new\r\nFN=\r\nZZ=keep\r\nCB1=1\r\n", 0),
        0u);
    EXPECT_NE(file.find("AffiliateID=\r\nFeatureSummary=\r\n\r\n[Tail]\r\nb=2\r\n\r\n"),
              std::string::npos);
}

TEST_F(ProjectFile, OverlongPathsAreRefusedRatherThanCut) {
    std::string longPath = dir.path() + "/" + std::string(300 - dir.path().size(), 'p');
    TSalesLetter letter;
    letter["PT"] = "kept";
    EXPECT_THROW(SaveProject(letter, longPath), std::runtime_error);
    EXPECT_THROW(LoadProject(letter, longPath), std::runtime_error);
    EXPECT_EQ(letter["PT"], "kept");
    EXPECT_FALSE(std::filesystem::exists(longPath.substr(0, 255)));
}

TEST(ProjectFileNames, ExtensionsAndFileNames) {
    EXPECT_EQ(EnsureExtension("letter", ".prj"), "letter.prj");
    EXPECT_EQ(EnsureExtension("letter.PRJ", ".prj"), "letter.PRJ");
    EXPECT_EQ(EnsureExtension("letter.Prj", ".prj"), "letter.Prj");
    EXPECT_EQ(EnsureExtension("letter.txt", ".prj"), "letter.txt.prj");
    EXPECT_EQ(EnsureExtension("/a.b/letter", ".html"), "/a.b/letter.html");
    EXPECT_EQ(EnsureExtension("page.HTML", ".html"), "page.HTML");
}
