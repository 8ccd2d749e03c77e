// The workspace registry against a real temporary program folder: the bytes
// of Groups.ini after each operation, the name rules, and the folder
// deletions that must never reach outside the Groups tree.
#include "workspace/Registry.h"

#include "platform/FileSystem.h"
#include "platform/ScriptedServices.h"
#include "support/Links.h"
#include "support/TempDir.h"
#include "support/WriteWarning.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

class RegistryTest : public testing::Test {
protected:
    void SetUp() override {
        program = tmp.file("prog");
        fs::create_directories(program);
        platform::setProgramPathForTesting(tmp.file("prog/quillmere"));
    }
    void TearDown() override { platform::setProgramPathForTesting(""); }

    std::string registry() const { return readBytes(program + "/Groups.ini"); }

    testsupport::TempDir tmp;
    std::string program;
    platform::ScriptedServices scripted;
    platform::ScopedServices scope{scripted};
};

// The lists as the wizard's welcome page shows them.
TEST_F(RegistryTest, ListsGroupsAndProjects) {
    EXPECT_TRUE(workspace::ListGroups().empty()); // no Groups.ini yet
    writeBytes(program + "/Groups.ini",
               "[Books]\r\nProjectCount=3\r\nProject0=Alpha\r\nProject2=Gamma\r\n\r\n"
               "[Empty]\r\nProjectCount=0\r\n\r\n[Odd]\r\nProjectCount=two\r\n"
               "Project0=x\r\n\r\n[Neg]\r\nProjectCount=-1\r\n");
    EXPECT_EQ(workspace::ListGroups(), (std::vector<std::string>{"Books", "Empty", "Odd", "Neg"}));
    EXPECT_EQ(workspace::ListProjects("Books"),
              (std::vector<std::string>{"Alpha", "<no name>", "Gamma"}));
    EXPECT_TRUE(workspace::ListProjects("Empty").empty());
    EXPECT_TRUE(workspace::ListProjects("Odd").empty());
    EXPECT_TRUE(workspace::ListProjects("Neg").empty());
    EXPECT_TRUE(workspace::ListProjects("Missing").empty());
    EXPECT_EQ(workspace::ProjectFolder("Books", "Alpha"),
              testsupport::native(program + "/Groups/Books/Alpha"));
}

TEST_F(RegistryTest, PathsAreBuiltFromTheProgramFolder) {
    using testsupport::native;
    EXPECT_EQ(workspace::RegistryFileName(), program + native("/Groups.ini"));
    EXPECT_EQ(workspace::GroupsFolder(), program + native("/Groups"));
    EXPECT_EQ(workspace::ProjectFolder("Ebooks", "Alice"),
              program + native("/Groups/Ebooks/Alice"));
}

TEST_F(RegistryTest, CreateAndAddWriteTheDocumentedBytes) {
    EXPECT_TRUE(workspace::ListGroups().empty());
    workspace::CreateGroup("Ebooks");
    EXPECT_EQ(registry(), "[Ebooks]\r\nProjectCount=0\r\n\r\n");
    workspace::AddProject("Ebooks", "Alice");
    workspace::AddProject("Ebooks", "Oz");
    EXPECT_EQ(registry(), "[Ebooks]\r\nProjectCount=2\r\nProject0=Alice\r\nProject1=Oz\r\n\r\n");

    workspace::CreateGroup(" Books"); // a leading blank is part of the name
    EXPECT_EQ(workspace::ListGroups(), (std::vector<std::string>{"Ebooks", " Books"}));
    EXPECT_EQ(workspace::ListProjects("Ebooks"), (std::vector<std::string>{"Alice", "Oz"}));
    EXPECT_TRUE(workspace::ListProjects(" Books").empty());
    EXPECT_NE(registry().find("\r\n[ Books]\r\nProjectCount=0\r\n\r\n"), std::string::npos);
    EXPECT_TRUE(scripted.messages.empty());
}

TEST_F(RegistryTest, AddingToAGroupWithoutCountStartsAtZero) {
    writeBytes(program + "/Groups.ini", "[G]\r\nOther=1\r\n\r\n");
    workspace::AddProject("G", "P");
    EXPECT_EQ(registry(), "[G]\r\nOther=1\r\nProjectCount=1\r\nProject0=P\r\n\r\n");
}

TEST_F(RegistryTest, MissingKeysListAsNoNameAndBadCountsAsEmpty) {
    writeBytes(program + "/Groups.ini",
               "[G]\r\nProjectCount=3\r\nProject0=A\r\nProject2=C\r\n[H]\r\nProjectCount=x\r\n"
               "Project0=Z\r\n");
    EXPECT_EQ(workspace::ListProjects("G"), (std::vector<std::string>{"A", "<no name>", "C"}));
    EXPECT_TRUE(workspace::ListProjects("H").empty());
    EXPECT_TRUE(workspace::ListProjects("Missing").empty());
}

TEST_F(RegistryTest, RewriteAfterDeletingTheMiddleProject) {
    writeBytes(program + "/Groups.ini", "[Other]\r\nProjectCount=1\r\nProject0=Q\r\n\r\n"
                                        "[G]\r\nProjectCount=3\r\nProject0=A\r\nProject1=B\r\n"
                                        "Project2=C\r\n\r\n");
    workspace::RewriteProjects("G", {"A", "C"});
    EXPECT_EQ(registry(), "[Other]\r\nProjectCount=1\r\nProject0=Q\r\n\r\n"
                          "[G]\r\nProjectCount=2\r\nProject0=A\r\nProject1=C\r\n\r\n");
    workspace::RewriteProjects("G", {});
    EXPECT_EQ(registry(), "[Other]\r\nProjectCount=1\r\nProject0=Q\r\n\r\n"
                          "[G]\r\nProjectCount=0\r\n\r\n");
}

TEST_F(RegistryTest, DeleteGroupErasesOnlyItsSection) {
    workspace::CreateGroup("A");
    workspace::CreateGroup("B");
    workspace::AddProject("B", "P");
    workspace::CreateGroup("C");
    workspace::DeleteGroup("b"); // sections compare without case
    EXPECT_EQ(registry(), "[A]\r\nProjectCount=0\r\n\r\n[C]\r\nProjectCount=0\r\n\r\n");
}

TEST_F(RegistryTest, AnUnwritableRegistryIsReportedAndLeftAsItWas) {
    workspace::CreateGroup("A");
    ASSERT_TRUE(platform::setReadOnly(program + "/Groups.ini", true));
    workspace::CreateGroup("B");
    ASSERT_EQ(scripted.messages.size(), 1u);
    EXPECT_EQ(scripted.messages[0].caption, "Warning");
    EXPECT_EQ(
        scripted.messages[0].text,
        testsupport::writeWarning(program + "/Groups.ini", "GROUPS.INI", "Permission denied"));
    EXPECT_EQ(registry(), "[A]\r\nProjectCount=0\r\n\r\n");
}

TEST(NameRules, BlankDuplicateAndRefusedNames) {
    EXPECT_TRUE(workspace::IsBlankName(""));
    EXPECT_TRUE(workspace::IsBlankName(" \t\r\n\x01"));
    EXPECT_FALSE(workspace::IsBlankName("  a "));

    const std::vector<std::string> groups{"Books", " Music"};
    EXPECT_TRUE(workspace::ContainsNameAZ(groups, "BOOKS"));
    EXPECT_FALSE(workspace::ContainsNameAZ(groups, "Music")); // blanks count
    EXPECT_FALSE(workspace::ContainsNameAZ(groups, "Books "));
    // Only A to Z fold in the duplicate test; the registry folds accented
    // letters too, so such names address one section.
    const std::vector<std::string> accented{"\xC9t\xE9"}; // "Été" in Windows-1252
    EXPECT_FALSE(workspace::ContainsNameAZ(accented, "\xE9T\xC9"));
    EXPECT_TRUE(workspace::ContainsSectionName(accented, "\xE9T\xC9"));

    // Control characters would break the registry's lines (CR, LF) or end
    // its reading (Ctrl-Z).
    for (const char* bad : {".", "..", "a/b", "a\\b", "/", "\\", "a\nb", "a\rb", "a\x1A", "a\tb"})
        EXPECT_TRUE(workspace::NameRefusal(bad).has_value()) << bad;
    for (const char* good : {"...", ".hidden", " Books", "a..b", "<no name>"})
        EXPECT_FALSE(workspace::NameRefusal(good).has_value()) << good;
    EXPECT_FALSE(workspace::NameRefusal(std::string(workspace::kMaxNameLength, 'x')));
    EXPECT_TRUE(workspace::NameRefusal(std::string(workspace::kMaxNameLength + 1, 'x')));
}

TEST_F(RegistryTest, FolderDeletionStaysInsideTheGroupsTree) {
    ASSERT_TRUE(workspace::CreateProjectFolder("G", "P"));
    ASSERT_TRUE(workspace::CreateProjectFolder("H", "Q"));
    writeBytes(program + "/Groups/G/P/file.txt", "x");
    writeBytes(program + "/keep.txt", "k");

    // "." and ".." as group or project names would address the Groups folder,
    // the program folder or the whole group.
    EXPECT_FALSE(workspace::DeleteGroupFolder("."));
    EXPECT_FALSE(workspace::DeleteGroupFolder(".."));
    EXPECT_FALSE(workspace::DeleteGroupFolder(""));
    EXPECT_FALSE(workspace::DeleteProjectFolder("G", "."));
    EXPECT_FALSE(workspace::DeleteProjectFolder("G", ".."));
    EXPECT_FALSE(workspace::DeleteProjectFolder("G", "../H"));
    EXPECT_FALSE(workspace::DeleteGroupFolder("../.."));
    ASSERT_EQ(scripted.messages.size(), 7u);
    for (const auto& m : scripted.messages) {
        EXPECT_EQ(m.caption, "Error Deleting File or Folder");
        EXPECT_EQ(m.icon, platform::Icon::Error);
    }
    EXPECT_TRUE(fs::exists(program + "/Groups/G/P/file.txt"));
    EXPECT_TRUE(fs::exists(program + "/Groups/H/Q"));
    EXPECT_TRUE(fs::exists(program + "/keep.txt"));

    EXPECT_TRUE(workspace::DeleteProjectFolder("G", "P"));
    EXPECT_FALSE(fs::exists(program + "/Groups/G/P"));
    EXPECT_TRUE(fs::exists(program + "/Groups/G"));
    EXPECT_TRUE(workspace::DeleteGroupFolder("H"));
    EXPECT_FALSE(fs::exists(program + "/Groups/H"));
    // A folder that is not there is already gone.
    EXPECT_TRUE(workspace::DeleteProjectFolder("G", "<no name>"));
    EXPECT_EQ(scripted.messages.size(), 7u);
}

// A program folder, group and project named beyond ASCII: the folders are
// made under those names, hold the project's files, and are deleted for real
// (a folder not found would count as already gone).
TEST_F(RegistryTest, FoldersBeyondAsciiAreMadeAndDeletedUnderTheirNames) {
    const std::string folder = tmp.file("Jos\xC3\xA9");
    ASSERT_TRUE(platform::forceDirectories(folder));
    platform::setProgramPathForTesting(folder + platform::kPathSeparator + "quillmere");
    const std::string group = "Caf\xC3\xA9", project = "H\xC3\xA9l\xC3\xA8ne \xE2\x82\xAC";
    workspace::CreateGroup(group);
    workspace::AddProject(group, project);
    EXPECT_EQ(workspace::ListProjects(group), std::vector<std::string>{project});
    ASSERT_TRUE(workspace::CreateProjectFolder(group, project));
    const std::string letter = workspace::ProjectFolder(group, project) + "/letter.prj";
    writeBytes(letter, "T1=x\r\n");
    EXPECT_EQ(readBytes(letter), "T1=x\r\n");

    EXPECT_TRUE(workspace::DeleteProjectFolder(group, project));
    EXPECT_FALSE(platform::folderExists(workspace::ProjectFolder(group, project)));
    EXPECT_TRUE(platform::folderExists(workspace::GroupFolder(group)));
    writeBytes(letter, "again");
    EXPECT_EQ(readBytes(letter), "");
    EXPECT_TRUE(workspace::DeleteGroupFolder(group));
    EXPECT_FALSE(platform::folderExists(workspace::GroupFolder(group)));
    EXPECT_TRUE(scripted.messages.empty());
}

TEST_F(RegistryTest, FolderDeletionNeverFollowsLinksOutOfTheTree) {
    const std::string outside = tmp.path() + "/outside";
    fs::create_directories(outside + "/inner");
    writeBytes(outside + "/inner/precious.txt", "p");
    ASSERT_TRUE(workspace::CreateProjectFolder("G", "P"));
    if (!testsupport::makeLink(outside, program + "/Groups/G/P/link", true))
        GTEST_SKIP() << testsupport::kNoLinks;
    ASSERT_TRUE(testsupport::makeLink(outside, program + "/Groups/L", true));

    // A group folder that is a link: a project under it lies outside.
    EXPECT_FALSE(workspace::DeleteProjectFolder("L", "inner"));
    EXPECT_TRUE(fs::exists(outside + "/inner/precious.txt"));
    // Deleting the link itself, or a tree that holds a link, removes links only.
    EXPECT_TRUE(workspace::DeleteGroupFolder("L"));
    EXPECT_TRUE(workspace::DeleteGroupFolder("G"));
    EXPECT_FALSE(fs::exists(program + "/Groups/G"));
    EXPECT_FALSE(fs::is_symlink(program + "/Groups/L"));
    EXPECT_TRUE(fs::exists(outside + "/inner/precious.txt"));
}

} // namespace
