// Where the program keeps its data: beside the executable when that folder can
// be written (a portable copy, the build folder), else in the per-user data
// folder (an installed copy whose folder belongs to the system).
#include "platform/DataFolder.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;
using testsupport::TempDir;

namespace {

// A program folder without write permission, as an installed copy's is. As
// root, permissions bind only while acting as the "nobody" account.
class LockedFolder {
public:
    explicit LockedFolder(std::string folder) : folder_(std::move(folder)) {
        ::chmod(folder_.c_str(), 0555);
        if (::geteuid() == 0)
            asNobody_ = ::seteuid(65534) == 0;
    }
    ~LockedFolder() {
        if (asNobody_)
            (void)!::seteuid(0);
        ::chmod(folder_.c_str(), 0755);
    }
    bool binds() const { return asNobody_ || ::geteuid() != 0; }

private:
    std::string folder_;
    bool asNobody_ = false;
};

class DataFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::chmod(root.path().c_str(), 0755);
        std::filesystem::create_directories(program);
        std::filesystem::create_directories(home);
        ::chmod(home.c_str(), 0777); // the ordinary user's own folder
        setenv("XDG_DATA_HOME", home.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("XDG_DATA_HOME");
        setProgramPathForTesting("");
        setDataFolderForTesting("");
    }

    TempDir root;
    std::string program = root.file("opt/quillmere/bin");
    std::string home = root.file("home/share");
};

} // namespace

TEST_F(DataFolderTest, AWritableProgramFolderKeepsTheData) {
    setProgramPathForTesting(program + "/quillmere");
    EXPECT_EQ(dataFolder(), program + "/");
    // The write probe leaves nothing behind, and nothing is made elsewhere.
    EXPECT_TRUE(std::filesystem::is_empty(program));
    EXPECT_FALSE(folderExists(home + "/Quillmere"));
}

TEST_F(DataFolderTest, AProgramFolderThatCannotBeWrittenSendsTheDataToTheUsersFolder) {
    setProgramPathForTesting(program + "/quillmere");
    std::string chosen;
    bool made = false;
    {
        LockedFolder locked(program);
        if (!locked.binds())
            GTEST_SKIP() << "permissions do not bind here";
        EXPECT_FALSE(folderIsWritable(program));
        chosen = dataFolder();
        made = folderExists(chosen) && folderIsWritable(chosen);
    }
    EXPECT_EQ(chosen, home + "/Quillmere/");
    EXPECT_EQ(chosen, userDataFolder());
    EXPECT_TRUE(made) << "the per-user folder is created, writable for its user";
    EXPECT_TRUE(std::filesystem::is_empty(program));

    // Another program folder (a portable copy) is judged afresh.
    const std::string portable = root.file("usb");
    std::filesystem::create_directories(portable);
    setProgramPathForTesting(portable + "/quillmere");
    EXPECT_EQ(dataFolder(), portable + "/");
}

TEST_F(DataFolderTest, TheUsersFolderFollowsTheDesktopsRules) {
    EXPECT_EQ(userDataFolder(), home + "/Quillmere/");
    // A relative XDG_DATA_HOME is ignored, as the desktop's rules say.
    const std::string oldHome = getenv("HOME") ? getenv("HOME") : "";
    setenv("XDG_DATA_HOME", "relative/path", 1);
    setenv("HOME", root.path().c_str(), 1);
    EXPECT_EQ(userDataFolder(), root.path() + "/.local/share/Quillmere/");
    setenv("HOME", oldHome.c_str(), 1);
    // Tests may pin the data folder.
    setDataFolderForTesting(root.path());
    EXPECT_EQ(dataFolder(), root.path() + "/");
}

// The program folder is the data folder only for a portable copy: owned by
// the user who runs the program, and writable by nobody else. A folder the
// whole group may write would give every member the others' drafts.
TEST_F(DataFolderTest, OnlyAFolderOfTheUsersOwnThatNoOneElseWritesIsPortable) {
    setProgramPathForTesting(program + "/quillmere");
    const std::string users = home + "/Quillmere/";
    for (mode_t shared : {0775, 0757, 0777}) {
        ::chmod(program.c_str(), shared);
        setDataFolderForTesting("");
        EXPECT_EQ(dataFolder(), users) << std::oct << shared;
    }
    ::chmod(program.c_str(), 0755);
    setDataFolderForTesting("");
    EXPECT_EQ(dataFolder(), program + "/");
    if (::geteuid() == 0) {
        // Another user's folder, though root may write it.
        ASSERT_EQ(::chown(program.c_str(), 65534, 65534), 0);
        setDataFolderForTesting("");
        EXPECT_EQ(dataFolder(), users);
        ASSERT_EQ(::chown(program.c_str(), 0, 0), 0);
    }
    EXPECT_TRUE(std::filesystem::is_empty(program));
}

// Run by root, a copy in the system's program folders is an installed one.
TEST_F(DataFolderTest, TheSystemsProgramFoldersAreNeverPortableForRoot) {
    for (const char* system :
         {"/usr/bin/", "/usr/local/bin", "/opt/quillmere/", "/bin/", "/sbin", "/usr", "/opt"})
        EXPECT_TRUE(isSystemProgramFolder(system)) << system;
    for (const char* other :
         {"/usrx/bin/", "/optional/", "/home/ann/bin/", "/tmp/usr/bin/", "/binaries/", "/"})
        EXPECT_FALSE(isSystemProgramFolder(other)) << other;
    // Through a link, the folder it leads to counts.
    const std::string link = root.file("to-usr");
    ASSERT_EQ(::symlink("/usr/bin", link.c_str()), 0);
    EXPECT_TRUE(isSystemProgramFolder(link + "/"));
}

// The per-user folder is made for the user alone; one that exists keeps its
// rights. Without any home folder there is no place for the data: the
// program says so instead of writing into the root folder.
TEST_F(DataFolderTest, TheUsersFolderIsMadePrivateAndAMissingHomeIsReported) {
    setProgramPathForTesting(program + "/quillmere");
    ::chmod(program.c_str(), 0777);
    const std::string chosen = dataFolder();
    ASSERT_EQ(chosen, home + "/Quillmere/");
    struct stat st {};
    ASSERT_EQ(::stat(chosen.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(dataFolderProblem(), "");

    ::chmod(chosen.c_str(), 0750);
    setDataFolderForTesting("");
    EXPECT_EQ(dataFolder(), chosen);
    ::stat(chosen.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0750u);

    const std::string oldHome = getenv("HOME") ? getenv("HOME") : "";
    unsetenv("XDG_DATA_HOME");
    unsetenv("HOME");
    setDataFolderForTesting("");
    EXPECT_EQ(userDataFolder(), "");
    const std::string problem = dataFolderProblem();
    EXPECT_NE(problem.find("HOME"), std::string::npos) << problem;
    EXPECT_THROW(dataFolder(), IoError);
    setenv("HOME", "relative", 1);
    EXPECT_EQ(userDataFolder(), "");
    setenv("HOME", oldHome.c_str(), 1);
    EXPECT_FALSE(folderExists("/.local/share/Quillmere"));
    ::chmod(program.c_str(), 0755);
}
