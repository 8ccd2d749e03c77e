#include "salesletter/FieldHelpers.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

TEST(FieldHelpers, ColoursAreWrittenRedFirst) {
    EXPECT_EQ(ColorToHex(0x00FFFFFF), "FFFFFF");
    EXPECT_EQ(ColorToHex(0x00FF0000), "0000FF"); // blue 255
    EXPECT_EQ(ColorToHex(0x000000FF), "FF0000"); // red 255
    EXPECT_EQ(ColorToHex(0x00AB3412), "1234AB");
    EXPECT_EQ(ColorToHex(0), "000000");
}

// An order link typed as "https://…" once became "http://https://…", and an
// emptied field refilled itself with "http://".
TEST(FieldHelpers, WebAddressesGainTheSchemeOnlyWhenBare) {
    EXPECT_EQ(CompleteWebAddress("abc"), "http://abc");
    EXPECT_EQ(CompleteWebAddress("www.example.com/a?b=1"), "http://www.example.com/a?b=1");
    EXPECT_EQ(CompleteWebAddress("HTTP://abc"), "HTTP://abc");
    EXPECT_EQ(CompleteWebAddress("Http://abc"), "Http://abc");
    EXPECT_EQ(CompleteWebAddress("https://pay.example.com/buy?item=1"),
              "https://pay.example.com/buy?item=1");
    EXPECT_EQ(CompleteWebAddress("HTTPS://abc"), "HTTPS://abc");
    EXPECT_EQ(CompleteWebAddress("ftp://files.example.com"), "ftp://files.example.com");
    EXPECT_EQ(CompleteWebAddress("mailto:ada@example.com"), "mailto:ada@example.com");
    EXPECT_EQ(CompleteWebAddress("MailTo:ada@example.com"), "MailTo:ada@example.com");
    EXPECT_EQ(CompleteWebAddress(""), "");
    EXPECT_EQ(CompleteWebAddress("   "), "");
    EXPECT_EQ(CompleteWebAddress(" http://abc "), "http://abc");
    EXPECT_EQ(CompleteWebAddress("localhost:8080/x"), "http://localhost:8080/x");
    EXPECT_EQ(CompleteWebAddress("http:/"), "http://http:/");

    EXPECT_TRUE(IsBareScheme("http://"));
    EXPECT_TRUE(IsBareScheme(" HTTPS:// "));
    EXPECT_TRUE(IsBareScheme("mailto:"));
    EXPECT_FALSE(IsBareScheme(""));
    EXPECT_FALSE(IsBareScheme("http://x"));
    EXPECT_FALSE(IsBareScheme("Website"));
}

TEST(FieldHelpers, NameFieldQuotingAndSavePaths) {
    EXPECT_EQ(UnquoteName("\"/a b/c.prj\""), "/a b/c.prj");
    EXPECT_EQ(UnquoteName("\"x"), "x");
    EXPECT_EQ(UnquoteName("x\""), "x");
    EXPECT_EQ(UnquoteName("\"\"x\"\""), "\"x\"");
    EXPECT_EQ(UnquoteName("\""), "");
    EXPECT_EQ(QuoteIfBlank("/a b/c.prj"), "\"/a b/c.prj\"");
    EXPECT_EQ(QuoteIfBlank("/ab/c.prj"), "/ab/c.prj");

    const char sep = platform::kPathSeparator;
    EXPECT_EQ(WelcomeSavePath("letter", "/p/Groups/G/P"),
              "/p/Groups/G/P" + (sep + std::string("letter")));
    EXPECT_EQ(WelcomeSavePath("letter", ""), sep + std::string("letter"));
    EXPECT_EQ(WelcomeSavePath("/tmp/x.prj", "/p/Groups/G/P"), "/tmp/x.prj");
    EXPECT_EQ(WelcomeSavePath("sub/x", "/p"), "sub/x");
}
