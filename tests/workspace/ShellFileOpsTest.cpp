// Copy and delete of files and folder trees: replacing, merging, refusing
// targets outside their folder, leaving links unfollowed, and reporting
// failures the way the shell does.
#include "platform/ShellFileOps.h"

#include "platform/FileSystem.h"
#include "platform/ScriptedServices.h"
#include "support/Links.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

class ShellFileOpsTest : public testing::Test {
protected:
    void SetUp() override {
        project = tmp.path() + "/project";
        source = tmp.path() + "/source";
        fs::create_directories(project);
        fs::create_directories(source + "/tree/inner");
        writeBytes(source + "/tree/top.txt", "new top");
        writeBytes(source + "/tree/inner/deep.txt", "deep");
        writeBytes(source + "/file.txt", "new");
    }
    testsupport::TempDir tmp;
    std::string project, source;
    platform::ScriptedServices scripted;
    platform::ScopedServices scope{scripted};
};

TEST_F(ShellFileOpsTest, CopyReplacesFilesAndMergesFolders) {
    writeBytes(project + "/file.txt", "old");
    ASSERT_TRUE(platform::setReadOnly(project + "/file.txt", true));
    EXPECT_TRUE(platform::shellCopy(source + "/file.txt", project + "/file.txt", project));
    EXPECT_EQ(readBytes(project + "/file.txt"), "new");

    fs::create_directories(project + "/tree");
    writeBytes(project + "/tree/top.txt", "old top");
    writeBytes(project + "/tree/mine.txt", "mine");
    EXPECT_TRUE(platform::shellCopy(source + "/tree", project + "/tree", project));
    EXPECT_EQ(readBytes(project + "/tree/top.txt"), "new top");
    EXPECT_EQ(readBytes(project + "/tree/inner/deep.txt"), "deep");
    EXPECT_EQ(readBytes(project + "/tree/mine.txt"), "mine");
    // Copying a file onto itself leaves it alone.
    EXPECT_TRUE(platform::shellCopy(project + "/file.txt", project + "/file.txt", project));
    EXPECT_EQ(readBytes(project + "/file.txt"), "new");
    EXPECT_TRUE(scripted.messages.empty());
}

TEST_F(ShellFileOpsTest, CopyKeepsLinksAsLinks) {
    const std::string outside = tmp.path() + "/outside";
    fs::create_directories(outside);
    writeBytes(outside + "/secret.txt", "secret");
    if (!testsupport::makeLink(outside, source + "/tree/link", true))
        GTEST_SKIP() << testsupport::kNoLinks;
    ASSERT_TRUE(platform::shellCopy(source + "/tree", project + "/tree", project));
    EXPECT_TRUE(fs::is_symlink(project + "/tree/link"));

    // A link at the destination is replaced, never written through.
    ASSERT_TRUE(testsupport::makeLink(outside + "/secret.txt", project + "/file.txt", false));
    ASSERT_TRUE(platform::shellCopy(source + "/file.txt", project + "/file.txt", project));
    EXPECT_FALSE(fs::is_symlink(project + "/file.txt"));
    EXPECT_EQ(readBytes(outside + "/secret.txt"), "secret");
}

TEST_F(ShellFileOpsTest, CopyRefusalsAndFailuresAreReported) {
    // Into itself: would never end.
    EXPECT_FALSE(platform::shellCopy(source, source + "/tree/again"));
    EXPECT_FALSE(fs::exists(source + "/tree/again"));
    // Outside the folder it must stay in.
    EXPECT_FALSE(platform::shellCopy(source + "/file.txt", project + "/../escaped.txt", project));
    EXPECT_FALSE(fs::exists(tmp.path() + "/escaped.txt"));
    // A source that is gone, and a destination folder that is missing.
    EXPECT_FALSE(platform::shellCopy(source + "/gone.txt", project + "/gone.txt", project));
    EXPECT_FALSE(platform::shellCopy(source + "/file.txt", project + "/no/such/x.txt", project));
    ASSERT_EQ(scripted.messages.size(), 4u);
    for (const auto& m : scripted.messages) {
        EXPECT_EQ(m.caption, "Error Copying File or Folder");
        EXPECT_EQ(m.icon, platform::Icon::Error);
        EXPECT_EQ(m.buttons, platform::Buttons::Ok);
    }
    EXPECT_EQ(scripted.messages[0].text,
              "Cannot copy source: The destination folder is a subfolder of the source folder.");
    EXPECT_EQ(scripted.messages[2].text, "Cannot copy gone.txt: No such file or directory.");
    // The missing folder is named, not taken for a missing source.
    EXPECT_EQ(scripted.messages[3].text,
              "Cannot copy file.txt: The destination folder \"" +
                  testsupport::native(fs::weakly_canonical(project).string() + "/no/such") +
                  "\" does not exist.");
}

TEST_F(ShellFileOpsTest, DeleteOnlyStrictlyInsideItsFolder) {
    fs::create_directories(project + "/Images/Small");
    writeBytes(project + "/Images/Small/x.png", "x");
    writeBytes(project + "/[x]", "a file with brackets");

    EXPECT_FALSE(platform::shellDelete(project, project));
    EXPECT_FALSE(platform::shellDelete(project + "/.", project));
    EXPECT_FALSE(platform::shellDelete(project + "/Images/..", project));
    EXPECT_FALSE(platform::shellDelete(project + "/../source", project));
    EXPECT_FALSE(platform::shellDelete(source, project));
    EXPECT_EQ(scripted.messages.size(), 5u);
    EXPECT_TRUE(fs::exists(project + "/Images/Small/x.png"));
    EXPECT_TRUE(fs::exists(source + "/file.txt"));

    EXPECT_TRUE(platform::shellDelete(project + "/Images", project));
    EXPECT_FALSE(fs::exists(project + "/Images"));
    EXPECT_TRUE(platform::shellDelete(project + "/[x]", project));
    EXPECT_FALSE(fs::exists(project + "/[x]"));
    EXPECT_EQ(scripted.messages.size(), 5u);
}

// Names beyond ASCII are copied and deleted as the user named them; a tree
// that was not found would otherwise count as already deleted.
TEST_F(ShellFileOpsTest, NamesBeyondAsciiAreCopiedAndDeleted) {
    const std::string tree = source + "/Caf\xC3\xA9 \xE2\x82\xAC";
    const std::string copy = project + "/Caf\xC3\xA9 \xE2\x82\xAC";
    ASSERT_TRUE(
        platform::forceDirectories(testsupport::native(tree + "/Dossier \xC3\xA9t\xC3\xA9")));
    writeBytes(tree + "/Dossier \xC3\xA9t\xC3\xA9/Lettre n\xC3\xA9\x65.prj", "letter");
    EXPECT_TRUE(platform::shellCopy(tree, copy, project));
    EXPECT_EQ(readBytes(copy + "/Dossier \xC3\xA9t\xC3\xA9/Lettre n\xC3\xA9\x65.prj"), "letter");

    EXPECT_TRUE(platform::shellDelete(copy, project));
    EXPECT_FALSE(platform::folderExists(copy));
    writeBytes(copy + "/Dossier \xC3\xA9t\xC3\xA9/Lettre n\xC3\xA9\x65.prj", "again");
    EXPECT_EQ(readBytes(copy + "/Dossier \xC3\xA9t\xC3\xA9/Lettre n\xC3\xA9\x65.prj"), "");
    EXPECT_TRUE(scripted.messages.empty());
}

TEST(StrictlyInside, JudgedOnRealFolders) {
    testsupport::TempDir tmp;
    fs::create_directories(tmp.path() + "/root/a");
    fs::create_directories(tmp.path() + "/other");
    const std::string root = tmp.path() + "/root";
    EXPECT_TRUE(platform::liesStrictlyInside(root + "/a", root));
    EXPECT_TRUE(platform::liesStrictlyInside(root + "/a/", root + "/"));
    EXPECT_TRUE(platform::liesStrictlyInside(root + "/missing/deeper", root));
    EXPECT_FALSE(platform::liesStrictlyInside(root, root));
    EXPECT_FALSE(platform::liesStrictlyInside(root + "x/a", root)); // "rootx" is not "root"
    EXPECT_FALSE(platform::liesStrictlyInside(root + "/a/..", root));
    EXPECT_FALSE(platform::liesStrictlyInside(root + "/a", ""));

    if (!testsupport::makeLink(tmp.path() + "/other", tmp.path() + "/root/link", true))
        GTEST_SKIP() << testsupport::kNoLinks;
    EXPECT_TRUE(platform::liesStrictlyInside(root + "/link", root)); // the link itself
    EXPECT_FALSE(platform::liesStrictlyInside(root + "/link/x", root));
}

} // namespace
