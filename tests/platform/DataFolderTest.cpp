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
