#include "archive/ExeMod.h"
#include "platform/FileSystem.h"
#include "platform/ScriptedServices.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using testsupport::readBytes;
using testsupport::TempDir;
using testsupport::writeBytes;

namespace {

// Runs the start-up routine for a stand-in executable in a temporary program
// folder, with the copy root of a read-only medium in a temporary folder too.
class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ExeMod::SetWindowsDriveRootForTesting(data.file("Quillmere/"));
        ExeMod::ResetEndRequestForTesting();
        ExeMod::ArchiveShutdown();
    }
    void TearDown() override {
        ExeMod::ResetEndRequestForTesting();
        ExeMod::ArchiveShutdown();
        ExeMod::SimulateReadOnlyMediumForTesting(false);
        ExeMod::SetDeleteFileForTesting(nullptr);
        ExeMod::SetDeletionTimeoutForTesting(60000);
        ExeMod::SetWindowsDriveRootForTesting("");
        platform::setProgramPathForTesting("");
        std::filesystem::current_path(std::filesystem::temp_directory_path());
    }

    std::string makeProgram(const std::string& name, const std::string& bytes = "program") {
        std::string path = dir.file(name);
        writeBytes(path, bytes);
        platform::setProgramPathForTesting(path);
        return path;
    }
    void start(std::vector<std::string> args = {}) {
        std::vector<char*> argv{const_cast<char*>("program")};
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        platform::ScopedServices scoped(services);
        ExeMod::ArchiveStartup(static_cast<int>(argv.size() - 1), argv.data());
    }

    TempDir dir, data;
    platform::ScriptedServices services;
};

} // namespace

TEST_F(StartupTest, NormalStartMakesTheProgramFolderCurrentAndNothingElse) {
    makeProgram("quillmere");
    std::filesystem::current_path("/");
    for (std::string arg : {"", "other", "DELTEMP"}) {
        writeBytes(dir.file("temp0a0.exe"), "copy");
        start(arg.empty() ? std::vector<std::string>{} : std::vector<std::string>{arg});
        EXPECT_EQ(std::filesystem::current_path().string() + platform::kPathSeparator,
                  dir.folder());
        EXPECT_TRUE(platform::fileExists(dir.file("temp0a0.exe"))) << arg;
    }
    EXPECT_TRUE(services.startedPrograms.empty());
    EXPECT_TRUE(services.errors.empty());
    EXPECT_FALSE(ExeMod::EndRequested());
}

TEST_F(StartupTest, AReadOnlyAttributeOnAWritableMediumIsClearedAndTheProgramRuns) {
    std::string exe = makeProgram("quillmere");
    platform::setReadOnly(exe, true);
    start();
    EXPECT_FALSE(platform::isReadOnly(exe));
    EXPECT_TRUE(services.startedPrograms.empty());
    EXPECT_FALSE(ExeMod::EndRequested());
}

TEST_F(StartupTest, OnAReadOnlyMediumACopyWithTheBrandFileIsStartedInstead) {
    std::string exe = makeProgram("Quillmere.exe", "program image");
    writeBytes(dir.file("Quillmere.dat"), "brand line\r\n");
    platform::setReadOnly(exe, true);
    ExeMod::SimulateReadOnlyMediumForTesting(true);

    start({"deltemp"});
    std::string copy = data.file("Quillmere/Quillmere.exe/Quillmere.exe");
    EXPECT_EQ(readBytes(copy), "program image");
    EXPECT_EQ(readBytes(data.file("Quillmere/Quillmere.exe/Quillmere.dat")), "brand line\r\n");
    ASSERT_EQ(services.startedPrograms.size(), 1u);
    EXPECT_EQ(services.startedPrograms[0].path, copy);
    EXPECT_TRUE(services.startedPrograms[0].args.empty());
    EXPECT_TRUE(ExeMod::EndRequested());

    // Next start: the copy exists and is started as it is; a brand file the
    // copy already has is kept.
    writeBytes(copy, "copy as it was");
    writeBytes(data.file("Quillmere/Quillmere.exe/Quillmere.dat"), "its own brand");
    ExeMod::ResetEndRequestForTesting();
    start();
    EXPECT_EQ(readBytes(copy), "copy as it was");
    EXPECT_EQ(readBytes(data.file("Quillmere/Quillmere.exe/Quillmere.dat")), "its own brand");
    EXPECT_EQ(services.startedPrograms.size(), 2u);
    EXPECT_TRUE(ExeMod::EndRequested());
}

TEST_F(StartupTest, ACopyThatCannotBeMadeIsReportedAndTheEndStillRequested) {
    std::string exe = makeProgram("quillmere");
    platform::setReadOnly(exe, true);
    ExeMod::SimulateReadOnlyMediumForTesting(true);
    writeBytes(data.file("Quillmere"), "a file where the folder should be");
    start();
    EXPECT_EQ(services.errors.size(), 1u);
    EXPECT_TRUE(services.startedPrograms.empty());
    EXPECT_TRUE(ExeMod::EndRequested());
}

TEST_F(StartupTest, DeltempRemovesTheRewritingCopyInAnyLetterCase) {
    makeProgram("quillmere");
    writeBytes(dir.file("temp0a0.exe"), "copy");
    writeBytes(dir.file("TEMP0A0.EXE"), "copy");
    platform::setReadOnly(dir.file("TEMP0A0.EXE"), true);
    start({"deltemp"});
    EXPECT_FALSE(platform::fileExists(dir.file("temp0a0.exe")));
    EXPECT_FALSE(platform::fileExists(dir.file("TEMP0A0.EXE")));
    EXPECT_FALSE(ExeMod::EndRequested());

    start({"deltemp"}); // nothing to delete: a normal start
    EXPECT_FALSE(ExeMod::EndRequested());
}

TEST_F(StartupTest, DeletionLoopsGiveUpOnAFileThatCannotBeDeleted) {
    makeProgram("quillmere");
    writeBytes(dir.file("temp0a0.exe"), "copy");
    int tries = 0;
    ExeMod::SetDeleteFileForTesting([&](const std::string&) { return ++tries, false; });
    ExeMod::SetDeletionTimeoutForTesting(100);
    std::uint32_t before = platform::tickCount();
    start({"deltemp"});
    EXPECT_GE(platform::tickCount() - before, 100u);
    EXPECT_GT(tries, 1);
    EXPECT_TRUE(platform::fileExists(dir.file("temp0a0.exe")));
    EXPECT_FALSE(ExeMod::EndRequested());
    // Giving up is said through the error report.
    ASSERT_EQ(services.errors.size(), 1u);
    EXPECT_NE(services.errors[0].find(dir.file("temp0a0.exe")), std::string::npos);
    EXPECT_NE(services.errors[0].find("still running"), std::string::npos);

    // A deletion that claims success while the file stays is bounded too.
    ExeMod::SetDeleteFileForTesting([](const std::string&) { return true; });
    start({"deltemp"});
    EXPECT_TRUE(platform::fileExists(dir.file("temp0a0.exe")));
}

TEST_F(StartupTest, TheRewritingCopyReplacesItsTargetAndRestartsIt) {
    std::string copy = makeProgram("Temp0a0.Exe", "new program");
    std::string target = dir.file("quillmere");
    writeBytes(target, "old program");
    platform::setReadOnly(target, true);
    start({target});
    EXPECT_EQ(readBytes(target), "new program");
    ASSERT_EQ(services.startedPrograms.size(), 1u);
    EXPECT_EQ(services.startedPrograms[0].path, target);
    EXPECT_EQ(services.startedPrograms[0].args, std::vector<std::string>{"deltemp"});
    EXPECT_TRUE(ExeMod::EndRequested());
    EXPECT_TRUE(platform::fileExists(copy));

    // A relative target lies in the program folder.
    writeBytes(dir.file("relative"), "old");
    start({"relative"});
    EXPECT_EQ(readBytes(dir.file("relative")), "new program");
}

TEST_F(StartupTest, TheRewritingCopyWithoutAUsableTargetOnlyEnds) {
    std::string copy = makeProgram("TEMP0A0.EXE", "copy");
    start();
    EXPECT_TRUE(ExeMod::EndRequested());
    ExeMod::ResetEndRequestForTesting();
    start({copy}); // itself
    EXPECT_EQ(readBytes(copy), "copy");
    EXPECT_TRUE(ExeMod::EndRequested());
    EXPECT_TRUE(services.startedPrograms.empty());
}

TEST_F(StartupTest, TheRewritingCopyThatGivesUpOnItsTargetReportsAndLeavesIt) {
    makeProgram("TEMP0A0.EXE", "new");
    writeBytes(dir.file("target"), "old");
    ExeMod::SetDeleteFileForTesting([](const std::string&) { return false; });
    ExeMod::SetDeletionTimeoutForTesting(50);
    start({dir.file("target")});
    // The old program still runs: its file is neither overwritten nor started.
    EXPECT_EQ(readBytes(dir.file("target")), "old");
    EXPECT_TRUE(services.startedPrograms.empty());
    ASSERT_EQ(services.errors.size(), 1u);
    EXPECT_NE(services.errors[0].find(dir.file("target")), std::string::npos);
    EXPECT_TRUE(ExeMod::EndRequested());
}
