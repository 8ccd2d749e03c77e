#include "salesletter/Recovery.h"
#include "salesletter/ProjectFile.h"
#include "salesletter/RecoveryWriter.h"
#include "support/TempDir.h"

#include "platform/DataFolder.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <stdexcept>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

// Every field filled, with the values a project file cannot hold exactly.
RecoveryCopy filledCopy() {
    RecoveryCopy copy;
    const auto& fields = TSalesLetter::Fields();
    for (std::size_t i = 0; i < fields.size(); ++i)
        copy.letter.at(i) = std::string(fields[i].key) + " " + std::string(300 + i, 'x');
    copy.letter["WD"] = "first line\r\nsecond ~~ not a break\r\n~third";
    copy.letter["Headline"] = "lone\nfeed and lone\rreturn";
    copy.letter["FN"] = "  blanks  = [x] ; 100% \x1a done";
    copy.letter["PT"] = "Caf\xc3\xa9 \xe2\x82\xac and an old \xe9";
    copy.letter["CW"] = "";
    copy.letter.SetTemplateOption(3, true);
    copy.projectFile = "/home/jo/My Letters/launch.prj";
    copy.caption = "Create Salesletters - launch.prj";
    copy.lastChange = 1765300000;
    return copy;
}

void expectSame(const RecoveryCopy& a, const RecoveryCopy& b) {
    EXPECT_EQ(a.letter.CB1, b.letter.CB1);
    EXPECT_EQ(a.letter.CB2, b.letter.CB2);
    EXPECT_EQ(a.letter.CB3, b.letter.CB3);
    for (const FieldInfo& f : TSalesLetter::Fields())
        EXPECT_EQ(a.letter[f.key], b.letter[f.key]) << f.key;
    EXPECT_EQ(a.projectFile, b.projectFile);
    EXPECT_EQ(a.caption, b.caption);
    EXPECT_EQ(a.lastChange, b.lastChange);
}

} // namespace

TEST(Recovery, CopyGivesBackEveryFieldByteForByte) {
    testsupport::TempDir dir;
    RecoveryCopy copy = filledCopy();
    std::string path = dir.file("Recovery/letter-1.prj"); // the folder is made
    WriteRecovery(path, copy);
    expectSame(ReadRecovery(path), copy);

    // No option selected, nothing typed, untitled.
    RecoveryCopy empty;
    empty.letter.ResetProject();
    empty.letter.SetTemplateOption(1, false);
    WriteRecovery(path, empty);
    expectSame(ReadRecovery(path), empty);
}

TEST(Recovery, CopyIsAProjectFileWithWholeValues) {
    testsupport::TempDir dir;
    RecoveryCopy copy = filledCopy();
    std::string text = RecoveryText(copy);
    EXPECT_EQ(text.rfind("[Project]\r\nCB1=0\r\nCB2=0\r\nCB3=1\r\nFN=", 0), 0u);
    // Long values are whole; memos hold "~~" for their line breaks.
    ASSERT_GT(copy.letter["TBC"].size(), 300u);
    EXPECT_NE(text.find("\r\nTBC=" + copy.letter["TBC"] + "\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nWD=first line~~second ~~ not a break~~~third\r\n"), std::string::npos);
    // Only the line breaks and the Ctrl-Z go; the "Exact" section keeps them.
    EXPECT_NE(text.find("\r\nHeadline=lone feed and lone return\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n[Exact]\r\n"), std::string::npos);
    EXPECT_EQ(text.find('\x1a'), std::string::npos);

    // Short values open as a project does.
    RecoveryCopy small;
    small.letter["FN"] = "Jo";
    small.letter["WD"] = "a\r\nb";
    std::string path = dir.file("small.prj");
    WriteRecovery(path, small);
    TSalesLetter loaded;
    LoadProject(loaded, path);
    EXPECT_EQ(loaded["FN"], "Jo");
    EXPECT_EQ(loaded["WD"], "a\r\nb");
    EXPECT_EQ(loaded["WL"], "English");
}

// A copy is read by the rules of every INI file of the program: a byte-order
// mark an editor added, section names in another letter case and text of an
// older copy in Windows-1252 read as in a project file.
TEST(Recovery, CopyIsReadByTheRulesOfEveryIniFile) {
    const RecoveryCopy copy = filledCopy();
    std::string text = "\xEF\xBB\xBF" + RecoveryText(copy);
    const std::size_t header = text.find("[Recovery]");
    ASSERT_NE(header, std::string::npos);
    text.replace(header, 10, "[RECOVERY]");
    expectSame(ParseRecovery(text), copy);

    const std::size_t caption = text.find("\r\nCaption=");
    ASSERT_NE(caption, std::string::npos);
    text.insert(caption + 10, "Caf\xE9 ");
    EXPECT_EQ(ParseRecovery(text).caption, "Caf\xC3\xA9 " + copy.caption);
}

TEST(Recovery, WhatIsNotACopyIsRefusedByName) {
    testsupport::TempDir dir;
    std::string garbage = dir.file("letter-2.prj");
    writeBytes(garbage, std::string("\x00\x01\xff garbage", 11));
    try {
        ReadRecovery(garbage);
        FAIL() << "garbage was read";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("\"" + garbage + "\""), std::string::npos) << e.what();
    }
    // A project file is not a recovery copy either.
    std::string project = dir.file("plain.prj");
    SaveProject(TSalesLetter(), project);
    EXPECT_THROW(ReadRecovery(project), std::runtime_error);
    EXPECT_THROW(ReadRecovery(dir.file("missing.prj")), std::runtime_error);
}

TEST(Recovery, ListsCopiesNewestFirstAndDiscardKeepsTheLastFive) {
    testsupport::TempDir dir;
    namespace fs = std::filesystem;
    std::string folder = dir.file("Recovery");
    std::vector<std::string> made;
    for (int i = 0; i < 7; ++i) {
        std::string path = NewRecoveryPath(folder);
        ASSERT_EQ(std::find(made.begin(), made.end(), path), made.end());
        RecoveryCopy copy;
        copy.letter["FN"] = std::to_string(i);
        WriteRecovery(path, copy);
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(10 - i));
        made.push_back(path);
    }
    writeBytes(folder + "/letter.prj.lock", "1\n");
    writeBytes(folder + "/notes.txt", "not a copy");
    std::vector<std::string> listed = ListRecoveries(folder);
    ASSERT_EQ(listed.size(), 7u);
    EXPECT_EQ(listed.front(), made.back());
    EXPECT_EQ(listed.back(), made.front());

    for (const std::string& path : made)
        DiscardRecovery(path);
    EXPECT_TRUE(ListRecoveries(folder).empty());
    std::vector<std::string> kept = ListRecoveries(folder + "/Discarded");
    ASSERT_EQ(kept.size(), kDiscardedKept);
    // The five discarded last are the ones kept, whole.
    std::vector<std::string> values;
    for (const std::string& path : kept)
        values.push_back(ReadRecovery(path).letter["FN"]);
    std::sort(values.begin(), values.end());
    EXPECT_EQ(values, (std::vector<std::string>{"2", "3", "4", "5", "6"}));

    RemoveRecovery(kept.front());
    RemoveRecovery(kept.front()); // already gone
    EXPECT_EQ(ListRecoveries(folder + "/Discarded").size(), kDiscardedKept - 1);
}

TEST(Recovery, FolderIsInTheDataFolder) {
    testsupport::TempDir dir;
    platform::setDataFolderForTesting(dir.folder());
    EXPECT_EQ(RecoveryFolder(), dir.folder() + "Recovery");
    platform::setDataFolderForTesting("");
}

// A user named beyond ASCII keeps the copies in a data folder of that name:
// they are written, listed, set aside, discarded and removed there.
TEST(Recovery, CopiesOfAUserNamedBeyondAscii) {
    testsupport::TempDir dir;
    const std::string folder = dir.file("Jos\xC3\xA9/AppData/Recovery");
    const std::string path = NewRecoveryPath(folder);
    RecoveryCopy copy;
    copy.letter["FN"] = "draft";
    WriteRecovery(path, copy);
    EXPECT_EQ(ListRecoveries(folder), std::vector<std::string>{path});

    writeBytes(folder + "/Lettre \xC3\xA9t\xC3\xA9.prj", "not a copy");
    const std::string setAside = SetAsideUnreadable(folder + "/Lettre \xC3\xA9t\xC3\xA9.prj");
    EXPECT_EQ(readBytes(setAside), "not a copy");
    EXPECT_NE(setAside.find("Lettre \xC3\xA9t\xC3\xA9.prj"), std::string::npos) << setAside;

    const std::string discarded = DiscardRecovery(path);
    EXPECT_EQ(ReadRecovery(discarded).letter["FN"], "draft");
    EXPECT_TRUE(ListRecoveries(folder).empty());
    RemoveRecovery(discarded);
    EXPECT_TRUE(ListRecoveries(folder + "/Discarded").empty());
}

#ifndef _WIN32
// Drafts are private: the copy's folder, when made here, and every copy are
// the user's alone.
TEST(Recovery, CopiesAndTheirFolderAreTheUsersAlone) {
    testsupport::TempDir dir;
    const std::string folder = dir.file("Recovery");
    const std::string path = NewRecoveryPath(folder);
    RecoveryCopy copy;
    copy.letter["FN"] = "draft";
    WriteRecovery(path, copy);
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ::chmod(path.c_str(), 0644);
    WriteRecovery(path, copy);
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}
#endif

TEST(RecoveryWriter, WritesInOrderOffTheCallersThreadAndReportsFailures) {
    testsupport::TempDir dir;
    std::vector<std::string> errors;
    std::string path = dir.file("Recovery/letter-3.prj");
    {
        RecoveryWriter writer([&](const std::string& reason) { errors.push_back(reason); });
        RecoveryCopy copy;
        for (int i = 0; i < 20; ++i) {
            copy.letter["FN"] = std::to_string(i);
            writer.write(path, copy);
        }
        EXPECT_TRUE(writer.wait());
        EXPECT_FALSE(writer.busy());
        EXPECT_EQ(ReadRecovery(path).letter["FN"], "19");

        // A removal is not overtaken by the write given before it.
        writer.write(path, copy);
        writer.remove(path);
        EXPECT_TRUE(writer.wait());
        EXPECT_FALSE(platform::fileExists(path));

        // A copy that cannot be written is reported by name.
        writeBytes(dir.file("blocked"), "a file where a folder should be");
        std::string blocked = dir.file("blocked/letter-4.prj");
        writer.write(blocked, copy);
        EXPECT_FALSE(writer.wait());
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_NE(errors[0].find("blocked"), std::string::npos) << errors[0];

        // What was given before the writer ends is written.
        writer.write(path, copy);
    }
    EXPECT_EQ(ReadRecovery(path).letter["FN"], "19");
}
