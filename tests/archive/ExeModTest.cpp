#include "archive/ExeMod.h"
#include "archive/ArchiveFormat.h"
#include "platform/FileSystem.h"
#include "platform/ScriptedServices.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using archiveformat::MakeRecord;
using testsupport::readBytes;
using testsupport::TempDir;
using testsupport::writeBytes;

namespace {

// A program folder in a temporary folder with a stand-in executable.
class ExeModTest : public ::testing::Test {
protected:
    void SetUp() override {
        exe = dir.file("quillmere");
        writeBytes(exe, program);
        platform::setProgramPathForTesting(exe);
        ExeMod::ArchiveShutdown();
    }
    void TearDown() override {
        ExeMod::ArchiveShutdown();
        platform::setProgramPathForTesting("");
        std::filesystem::current_path(std::filesystem::temp_directory_path());
    }

    TempDir dir;
    std::string exe;
    std::string program = std::string("program\0code", 12);
};

} // namespace

TEST_F(ExeModTest, GetDocumentLoadsTheImageOnFirstUseAndKeepsItUntilReloaded) {
    writeBytes(exe, program + MakeRecord("TEMPLATE1.HTML", "first"));
    EXPECT_TRUE(ExeMod::ExeImage().empty());
    EXPECT_EQ(ExeMod::GetDocument("TEMPLATE1.HTML"), "first");
    EXPECT_EQ(ExeMod::ExeImage(), program + MakeRecord("TEMPLATE1.HTML", "first"));

    writeBytes(exe, program + MakeRecord("TEMPLATE1.HTML", "second"));
    EXPECT_EQ(ExeMod::GetDocument("TEMPLATE1.HTML"), "first");
    ExeMod::LoadExeImage();
    EXPECT_EQ(ExeMod::GetDocument("TEMPLATE1.HTML"), "second");

    ExeMod::ArchiveShutdown();
    EXPECT_TRUE(ExeMod::ExeImage().empty());
}

TEST_F(ExeModTest, LoadFailureNamesTheFileAndTheReason) {
    platform::setProgramPathForTesting(dir.file("gone"));
    try {
        ExeMod::LoadExeImage();
        FAIL() << "no error";
    } catch (const platform::IoError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open file \"" + dir.file("gone") + "\". No such file or directory");
    }
    EXPECT_THROW(ExeMod::GetDocument("x"), platform::IoError);
}

TEST_F(ExeModTest, ExtractDocumentWritesOnlyNonEmptyBodies) {
    writeBytes(exe, program + MakeRecord("chart.html", "<table>") + MakeRecord("empty", ""));
    std::filesystem::current_path("/");

    ExeMod::ExtractDocument("chart.html", "Tmp.html");
    EXPECT_EQ(readBytes(dir.file("Tmp.html")), "<table>");
    // Relative names are written in the program folder, which becomes current.
    EXPECT_EQ(std::filesystem::current_path().string() + platform::kPathSeparator, dir.folder());

    std::string elsewhere = dir.file("sub");
    std::filesystem::create_directory(elsewhere);
    ExeMod::ExtractDocument("chart.html", elsewhere + "/chart.html");
    EXPECT_EQ(readBytes(elsewhere + "/chart.html"), "<table>");

    // Missing or empty: nothing written, an existing file stays as it was.
    writeBytes(dir.file("keep.html"), "old");
    ExeMod::ExtractDocument("empty", "keep.html");
    ExeMod::ExtractDocument("CHART.HTML", "keep.html");
    ExeMod::ExtractDocument("missing", "new.html");
    EXPECT_EQ(readBytes(dir.file("keep.html")), "old");
    EXPECT_FALSE(platform::fileExists(dir.file("new.html")));
}

TEST_F(ExeModTest, SaveBytesToFileReportsTheFullPathWhenItCannotCreate) {
    std::filesystem::create_directory(dir.file("folder"));
    try {
        ExeMod::SaveBytesToFile("x", "folder");
        FAIL() << "no error";
    } catch (const platform::IoError& e) {
        EXPECT_EQ(
            std::string(e.what()).rfind("Cannot create file \"" + dir.file("folder") + "\". ", 0),
            0u)
            << e.what();
    }
    EXPECT_NO_THROW(ExeMod::SaveBytesToFile("", "no/such/folder/file"));
    EXPECT_THROW(ExeMod::SaveBytesToFile("x", "no/such/folder/file"), platform::IoError);
}

TEST_F(ExeModTest, SaveExeImageWritesARunnableCopyOfTheProgram) {
    ExeMod::SaveExeImage("copy");
    EXPECT_EQ(readBytes(dir.file("copy")), program);
#ifndef _WIN32 // Windows has no execute bit: any file named ".exe" runs
    struct stat st {};
    ASSERT_EQ(stat(dir.file("copy").c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IXUSR);
#endif
}

TEST(DelayWithMessages, WaitsWhileProcessingEvents) {
    platform::ScriptedServices services;
    platform::ScopedServices scoped(services);
    std::uint32_t start = platform::tickCount();
    ExeMod::DelayWithMessages(30);
    EXPECT_GE(platform::tickCount() - start, 30u);
    EXPECT_GT(services.processEventsCount, 0);
    ExeMod::DelayWithMessages(0);
    ExeMod::DelayWithMessages(-5);
}

TEST(WindowsDriveRoot, IsAPerUserFolder) {
#ifdef _WIN32
    // There the drive of the Windows folder itself.
    const char drive = ExeMod::WindowsDrive();
    EXPECT_TRUE(drive >= 'A' && drive <= 'Z') << drive;
    EXPECT_EQ(ExeMod::WindowsDriveRoot(), std::string(1, drive) + ":\\");
#else
    EXPECT_EQ(ExeMod::WindowsDrive(), '/');
    {
        testsupport::ScopedEnv xdg("XDG_DATA_HOME", "/data/home");
        EXPECT_EQ(ExeMod::WindowsDriveRoot(), "/data/home/Quillmere/");
    }
    testsupport::ScopedEnv xdg("XDG_DATA_HOME", std::nullopt);
    testsupport::ScopedEnv home("HOME", getenv("HOME") ? getenv("HOME") : "/root");
    EXPECT_EQ(ExeMod::WindowsDriveRoot(), std::string(getenv("HOME")) + "/.local/share/Quillmere/");
#endif
    ExeMod::SetWindowsDriveRootForTesting("/elsewhere/");
    EXPECT_EQ(ExeMod::WindowsDriveRoot(), "/elsewhere/");
    ExeMod::SetWindowsDriveRootForTesting("");
}
