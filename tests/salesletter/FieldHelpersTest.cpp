#include "salesletter/FieldHelpers.h"
#include "salesletter/GroupsFile.h"
#include "support/TempDir.h"

#include "platform/FileSystem.h"
#include "platform/ScriptedServices.h"

#include <gtest/gtest.h>

TEST(FieldHelpers, ColoursAreWrittenRedFirst) {
    EXPECT_EQ(ColorToHex(0x00FFFFFF), "FFFFFF");
    EXPECT_EQ(ColorToHex(0x00FF0000), "0000FF"); // blue 255
    EXPECT_EQ(ColorToHex(0x000000FF), "FF0000"); // red 255
    EXPECT_EQ(ColorToHex(0x00AB3412), "1234AB");
    EXPECT_EQ(ColorToHex(0), "000000");
}

TEST(FieldHelpers, WebAddressesGainTheSchemeWhenLacking) {
    EXPECT_EQ(CompleteWebAddress("abc"), "http://abc");
    EXPECT_EQ(CompleteWebAddress("HTTP://abc"), "HTTP://abc");
    EXPECT_EQ(CompleteWebAddress("Http://abc"), "Http://abc");
    EXPECT_EQ(CompleteWebAddress(""), "http://");
    EXPECT_EQ(CompleteWebAddress("https://abc"), "http://https://abc");
    EXPECT_EQ(CompleteWebAddress(" http://abc"), "http:// http://abc");
    EXPECT_EQ(CompleteWebAddress("http:/"), "http://http:/");
}

TEST(FieldHelpers, NameFieldQuotingAndSavePaths) {
    EXPECT_EQ(UnquoteName("\"/a b/c.prj\""), "/a b/c.prj");
    EXPECT_EQ(UnquoteName("\"x"), "x");
    EXPECT_EQ(UnquoteName("x\""), "x");
    EXPECT_EQ(UnquoteName("\"\"x\"\""), "\"x\"");
    EXPECT_EQ(UnquoteName("\""), "");
    EXPECT_EQ(QuoteIfBlank("/a b/c.prj"), "\"/a b/c.prj\"");
    EXPECT_EQ(QuoteIfBlank("/ab/c.prj"), "/ab/c.prj");
    EXPECT_EQ(ExtractFileDir("/a b/c.prj"), "/a b");
    EXPECT_EQ(ExtractFileDir("/c.prj"), "/");
    EXPECT_EQ(ExtractFileDir("c.prj"), "");

    const char sep = platform::kPathSeparator;
    EXPECT_EQ(WelcomeSavePath("letter", "/p/Groups/G/P"),
              "/p/Groups/G/P" + (sep + std::string("letter")));
    EXPECT_EQ(WelcomeSavePath("letter", ""), sep + std::string("letter"));
    EXPECT_EQ(WelcomeSavePath("/tmp/x.prj", "/p/Groups/G/P"), "/tmp/x.prj");
    EXPECT_EQ(WelcomeSavePath("sub/x", "/p"), "sub/x");
}

class GroupsRegistry : public ::testing::Test {
protected:
    void SetUp() override { platform::setProgramPathForTesting(dir.file("quillmere")); }
    void TearDown() override { platform::setProgramPathForTesting(""); }
    platform::ScriptedServices services;
    platform::ScopedServices scoped{services};
    testsupport::TempDir dir;
};

TEST_F(GroupsRegistry, ListsGroupsAndProjects) {
    EXPECT_TRUE(ReadProjectGroups().empty()); // no Groups.ini yet
    testsupport::writeBytes(dir.file("Groups.ini"),
                            "[Books]\r\nProjectCount=3\r\nProject0=Alpha\r\nProject2=Gamma\r\n\r\n"
                            "[Empty]\r\nProjectCount=0\r\n\r\n[Odd]\r\nProjectCount=two\r\n"
                            "Project0=x\r\n\r\n[Neg]\r\nProjectCount=-1\r\n");
    EXPECT_EQ(ReadProjectGroups(), (std::vector<std::string>{"Books", "Empty", "Odd", "Neg"}));
    EXPECT_EQ(ReadGroupProjects("Books"),
              (std::vector<std::string>{"Alpha", "<no name>", "Gamma"}));
    EXPECT_TRUE(ReadGroupProjects("Empty").empty());
    EXPECT_TRUE(ReadGroupProjects("Odd").empty());
    EXPECT_TRUE(ReadGroupProjects("Neg").empty());
    EXPECT_TRUE(ReadGroupProjects("Missing").empty());
    EXPECT_EQ(ProjectFolderPath("Books", "Alpha"), dir.file("Groups/Books/Alpha"));
}
