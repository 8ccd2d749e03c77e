#include "salesletter/FieldHelpers.h"

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

    EXPECT_EQ(WelcomeSavePath("letter", "/p/Groups/G/P"), "/p/Groups/G/P/letter");
    EXPECT_EQ(WelcomeSavePath("letter", ""), "/letter");
    EXPECT_EQ(WelcomeSavePath("/tmp/x.prj", "/p/Groups/G/P"), "/tmp/x.prj");
    EXPECT_EQ(WelcomeSavePath("sub/x", "/p"), "sub/x");
}
