#include "platform/FileSystem.h"
#include "platform/PathParts.h"
#include "support/Links.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>

using namespace platform;
using testsupport::readBytes;
using testsupport::TempDir;
using testsupport::writeBytes;

namespace {

struct FaultOff {
    ~FaultOff() { setWriteFaultForTesting(-1); }
};

bool onlyFile(const TempDir& dir, const std::string& name) {
    int count = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) {
        ++count;
        if (e.path().filename() != name)
            return false;
    }
    return count == 1;
}

} // namespace

TEST(AtomicWrite, CreatesAndReplacesWithExactBytes) {
    TempDir dir;
    std::string f = dir.file("a.ini");
    ASSERT_EQ(writeFileAtomic(f, std::string("x\0y\r\n", 5)), 0);
    EXPECT_EQ(readBytes(f), std::string("x\0y\r\n", 5));
    ASSERT_EQ(writeFileAtomic(f, ""), 0);
    EXPECT_EQ(readBytes(f), "");
    EXPECT_TRUE(onlyFile(dir, "a.ini"));
}

TEST(AtomicWrite, FailureMidWriteKeepsOldFileAndLeavesNoScratch) {
    TempDir dir;
    FaultOff restore;
    std::string f = dir.file("Groups.ini");
    writeBytes(f, "old content\r\n");
    for (long long budget : {0LL, 1LL, 4096LL, 70000LL}) {
        setWriteFaultForTesting(budget);
        EXPECT_EQ(writeFileAtomic(f, std::string(100000, 'n')), ENOSPC) << budget;
        setWriteFaultForTesting(-1);
        EXPECT_EQ(readBytes(f), "old content\r\n");
        EXPECT_TRUE(onlyFile(dir, "Groups.ini"));
    }
}

TEST(AtomicWrite, ReadOnlyTargetIsRefusedEvenForRoot) {
    TempDir dir;
    std::string f = dir.file("p.prj");
    writeBytes(f, "keep");
    ASSERT_TRUE(setReadOnly(f, true));
    EXPECT_TRUE(isReadOnly(f));
    EXPECT_EQ(writeFileAtomic(f, "new"), EACCES);
    EXPECT_EQ(readBytes(f), "keep");
    try {
        saveFileAtomic(f, "new");
        FAIL() << "no error";
    } catch (const IoError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + f + "\". Permission denied");
    }
    ASSERT_TRUE(setReadOnly(f, false));
    EXPECT_EQ(writeFileAtomic(f, "new"), 0);
    EXPECT_EQ(readBytes(f), "new");
}

TEST(AtomicWrite, KeepsPermissionsAndWritesThroughLinks) {
    TempDir dir;
    std::string f = dir.file("t.html");
    writeBytes(f, "a");
#ifndef _WIN32 // no mode bits there
    ::chmod(f.c_str(), 0640);
    ASSERT_EQ(writeFileAtomic(f, "b"), 0);
    struct stat st {};
    ::stat(f.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
#endif

    std::string link = dir.file("link.html");
    if (!testsupport::makeLink(f, link, false))
        GTEST_SKIP() << testsupport::kNoLinks;
    ASSERT_EQ(writeFileAtomic(link, "c"), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readBytes(f), "c");
}

#ifndef _WIN32
// Drafts and previews are the user's own: such a file is made readable by
// its owner alone, and so is an older one written over. Other files keep
// the rights the user's file-creation mask gives, or the ones they had.
TEST(AtomicWrite, OwnerOnlyFilesAreReadableByTheirOwnerAlone) {
    TempDir dir;
    auto mode = [](const std::string& path) {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return st.st_mode & 0777;
    };
    const mode_t mask = ::umask(022);
    const std::string draft = dir.file("draft.prj"), page = dir.file("page.html");
    ASSERT_EQ(writeFileAtomic(draft, "secret", FileAccess::OwnerOnly), 0);
    EXPECT_EQ(mode(draft), 0600u);
    writeBytes(page, "old");
    ::chmod(page.c_str(), 0644);
    saveFileAtomic(page, "new", FileAccess::OwnerOnly);
    EXPECT_EQ(mode(page), 0600u);
    EXPECT_EQ(readBytes(page), "new");
    const std::string shared = dir.file("shared.html");
    ASSERT_EQ(writeFileAtomic(shared, "x"), 0);
    EXPECT_EQ(mode(shared), 0644u);
    ::umask(mask);
}
#endif

TEST(AtomicWrite, MissingFolderReportsReason) {
    TempDir dir;
    std::string f = dir.file("no/such/file");
    EXPECT_EQ(writeFileAtomic(f, "x"), ENOENT);
    EXPECT_THROW(readFile(f), IoError);
}

// The scratch name is longer than the file's: a path that just fits the
// system's limit (MAX_PATH, 260, on Windows) must still be saved.
TEST(AtomicWrite, PathJustUnderTheLengthLimitIsSaved) {
    TempDir dir;
    const size_t room = 255 - dir.path().size() - 1;
    ASSERT_GT(room, 20u);
    const std::string f = dir.file(std::string(std::min<size_t>(room, 240) - 4, 'n') + ".ini");
    ASSERT_EQ(writeFileAtomic(f, "first"), 0);
    ASSERT_EQ(writeFileAtomic(f, "second"), 0);
    EXPECT_EQ(readFile(f), "second");
    EXPECT_TRUE(onlyFile(dir, std::filesystem::path(f).filename().string()));
}

TEST(Paths, ProgramAndTempFoldersEndWithSeparator) {
    EXPECT_EQ(programFolder().back(), kPathSeparator);
    EXPECT_EQ(tempFolder().back(), kPathSeparator);
    setProgramPathForTesting("/some/where/prog");
    EXPECT_EQ(programFolder(), "/some/where/");
#ifdef _WIN32
    setProgramPathForTesting("C:\\Program Files\\Q\\prog.exe");
    EXPECT_EQ(programFolder(), "C:\\Program Files\\Q\\");
#endif
    setProgramPathForTesting("");
    EXPECT_NE(programFolder(), "/some/where/");
}

TEST(Paths, LastPartAndFolderPart) {
    EXPECT_EQ(lastPathPart("/x/y/My Letter.prj"), "My Letter.prj");
    EXPECT_EQ(lastPathPart("plain"), "plain");
    EXPECT_EQ(folderPart("/a b/c.prj"), "/a b");
    EXPECT_EQ(folderPart("/c.prj"), "/");
    EXPECT_EQ(folderPart("c.prj"), "");
}

TEST(Paths, DeleteFileRefusesFolders) {
    TempDir dir;
    ASSERT_TRUE(forceDirectories(dir.file("a/b/c")));
    EXPECT_TRUE(folderExists(dir.file("a/b/c")));
    EXPECT_FALSE(deleteFile(dir.file("a")));
    writeBytes(dir.file("f"), "x");
    EXPECT_TRUE(fileExists(dir.file("f")));
    EXPECT_TRUE(deleteFile(dir.file("f")));
    EXPECT_FALSE(deleteFile(dir.file("f")));
}
