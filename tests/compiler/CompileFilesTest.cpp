// CompileSalesLetter's files: the template taken from the executable's image at
// every compile, the private scratch file in the temporary folder, the
// target, and the errors. The program
// path points at a stand-in executable whose appended documents each test
// chooses.
#include "archive/ArchiveFormat.h"
#include "archive/ExeMod.h"
#include "platform/FileSystem.h"
#include "salesletter/Compiler.h"
#include "salesletter/SalesLetter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#ifndef _WIN32
#include <unistd.h>
#endif

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

// An executable image followed by the archive records of `documents`.
std::string fakeExecutable(const std::map<std::string, std::string>& documents) {
    std::string image = "\x7f"
                        "ELF stand-in program bytes\n";
    for (const auto& [name, body] : documents)
        image += archiveformat::MakeRecord(name, body);
    return image;
}

class CompileFiles : public ::testing::Test {
protected:
    void SetUp() override {
        exe_ = dir_.file("quillmere");
        install({{"TEMPLATE1.HTML", "<title>{@pagetitle@}</title>\r\none\r\n"},
                 {"TEMPLATE2.HTML", "<title>{@PageTitle@}</title>\ntwo\n"},
                 {"TEMPLATE3.HTML", "<title>{@PAGETITLE@}</title>\rthree"}});
        platform::setProgramPathForTesting(exe_);
        std::filesystem::create_directory(temp_.path() + "/tmp");
        tempFolder_.emplace(temp_.path() + "/tmp");
    }
    void TearDown() override {
        platform::setWriteFaultForTesting(-1);
        platform::setProgramPathForTesting("");
        tempFolder_.reset();
    }
    std::size_t filesInTemp() const {
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& entry :
             std::filesystem::directory_iterator(temp_.path() + "/tmp"))
            ++n;
        return n;
    }
    void install(const std::map<std::string, std::string>& documents) {
        writeBytes(exe_, fakeExecutable(documents));
    }
    std::string scratch() const { return dir_.folder() + "Tmp.html"; }
    std::size_t filesInFolder() const {
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_.path()))
            ++n;
        return n;
    }
    // The message of the IoError that `compile` throws, or "" when it throws none.
    template <class F> static std::string errorOf(F compile) {
        try {
            compile();
        } catch (const platform::IoError& e) {
            return e.what();
        }
        return "";
    }

    testsupport::TempDir dir_;
    testsupport::TempDir temp_; // the temporary folder for the scratch template
    std::optional<testsupport::ScopedTempFolder> tempFolder_;
    std::string exe_;
    TSalesLetter letter_;
};

} // namespace

TEST_F(CompileFiles, TwoPreviewsOverwriteThePageAndLeaveNoScratchFile) {
    const std::string preview = dir_.folder() + "Temp.html";
    letter_["PT"] = "First";
    CompileSalesLetter(letter_, preview);
    EXPECT_EQ(readBytes(preview), "<title>First</title>\r\none\r\n");
    EXPECT_FALSE(platform::fileExists(scratch()));

    letter_["PT"] = "Second";
    letter_.SelectTemplate(2);
    CompileSalesLetter(letter_, preview);
    EXPECT_EQ(readBytes(preview), "<title>Second</title>\r\ntwo\r\n");
    EXPECT_FALSE(platform::fileExists(scratch()));
    EXPECT_EQ(filesInFolder(), 2u); // the executable and the page
    EXPECT_EQ(filesInTemp(), 0u);   // the scratch template is gone

    letter_.CB2 = false; // no option selected: template 3
    CompileSalesLetter(letter_, preview);
    EXPECT_EQ(readBytes(preview), "<title>Second</title>\r\nthree\r\n");
}

TEST_F(CompileFiles, ReadsTheExecutableAfreshAtEveryCompile) {
    const std::string page = dir_.file("page.html");
    letter_["PT"] = "T";
    CompileSalesLetter(letter_, page);
    EXPECT_EQ(readBytes(page), "<title>T</title>\r\none\r\n");
    install({{"TEMPLATE1.HTML", "<h1>{@pagetitle@}</h1> replaced"}});
    CompileSalesLetter(letter_, page);
    EXPECT_EQ(readBytes(page), "<h1>T</h1> replaced\r\n");
}

TEST_F(CompileFiles, MissingTemplateIsNamedAndNothingIsWritten) {
    install({{"TEMPLATE1.HTML", "only one"}});
    letter_.SelectTemplate(2);
    const std::string page = dir_.file("page.html");
    // A scratch file left by an older copy does not stand in for the template.
    writeBytes(scratch(), "stale template {@pagetitle@}");
    EXPECT_EQ(errorOf([&] { CompileSalesLetter(letter_, page); }),
              "The template \"TEMPLATE2.HTML\" is missing from " + exe_);
    EXPECT_FALSE(platform::fileExists(page));
    EXPECT_EQ(filesInTemp(), 0u);
}

TEST_F(CompileFiles, TargetThatCannotBeCreatedIsReportedWithItsPath) {
    const std::string missingFolder = dir_.file("gone") + "/page.html";
    EXPECT_EQ(errorOf([&] { CompileSalesLetter(letter_, missingFolder); }),
              "Cannot create file \"" + missingFolder + "\". No such file or directory");
    EXPECT_FALSE(platform::fileExists(scratch()));

    const std::string readOnly = dir_.file("locked.html");
    writeBytes(readOnly, "old page");
    ASSERT_TRUE(platform::setReadOnly(readOnly, true));
    EXPECT_EQ(errorOf([&] { CompileSalesLetter(letter_, readOnly); }),
              "Cannot create file \"" + readOnly + "\". Permission denied");
    EXPECT_EQ(readBytes(readOnly), "old page");
}

TEST_F(CompileFiles, FailedWriteKeepsTheOldPageWhole) {
    const std::string page = dir_.file("page.html");
    const std::string old(5000, 'x');
    writeBytes(page, old);
    letter_["PT"] = std::string(20000, 'y');
    platform::setWriteFaultForTesting(4096);
    EXPECT_NE(errorOf([&] {
                  CompileSalesLetter(letter_, page);
              }).find("Cannot create file \"" + page + "\"."),
              std::string::npos);
    EXPECT_EQ(readBytes(page), old);
    EXPECT_EQ(filesInFolder(), 2u); // no half-written page or scratch file beside it
}

// The scratch template never goes to the program folder, so an installed,
// read-only program compiles into any folder the user may write.
TEST_F(CompileFiles, UnwritableProgramFolderDoesNotStopTheCompile) {
#ifdef _WIN32
    GTEST_SKIP() << "permission bits do not close a folder on Windows";
#else
    if (::geteuid() == 0)
        GTEST_SKIP() << "folder permissions do not bind root";
#endif
    const std::string page = dir_.file("out") + "/page.html";
    std::filesystem::create_directory(dir_.file("out"));
    std::filesystem::permissions(dir_.path(), std::filesystem::perms::owner_read |
                                                  std::filesystem::perms::owner_exec);
    letter_["PT"] = "Kept";
    const std::string message = errorOf([&] { CompileSalesLetter(letter_, page); });
    std::filesystem::permissions(dir_.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(message, "");
    EXPECT_EQ(readBytes(page), "<title>Kept</title>\r\none\r\n");
    EXPECT_FALSE(platform::fileExists(scratch()));
}

TEST_F(CompileFiles, ScratchFileThatCannotBeCreatedStopsBeforeAnyPage) {
    const std::string gone = testsupport::native(temp_.path() + "/gone");
    testsupport::ScopedTempFolder goneFolder(gone);
    const std::string page = dir_.file("page.html");
    const std::string message = errorOf([&] { CompileSalesLetter(letter_, page); });
    EXPECT_EQ(message.rfind("Cannot create file \"" + gone + platform::kPathSeparator + "qm-", 0),
              0u)
        << message;
#ifndef _WIN32 // the C runtime there may answer "Permission denied"
    EXPECT_NE(message.find(".html\". No such file or directory"), std::string::npos) << message;
#endif
    EXPECT_FALSE(platform::fileExists(page));
}

// A compile of the live preview runs on a thread of its own and may outlive
// the wizard: while any user holds the executable's image (here the test, as
// a chart being written would), the compile waits instead of swapping it.
TEST_F(CompileFiles, TheCompileTakesTheOneLockOfTheExecutablesImage) {
    std::unique_lock<std::recursive_mutex> hold(ExeMod::ImageLock());
    std::atomic<bool> done{false};
    std::string text;
    std::thread compile([&] {
        text = ReadTemplate(letter_);
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(done);
    hold.unlock();
    compile.join();
    EXPECT_TRUE(done);
    EXPECT_EQ(text, "<title>{@pagetitle@}</title>\r\none\r\n");
}
