// Loading and writing the INI text format.
#include "ini/BigIniFile.h"

#include "platform/ScriptedServices.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

struct IniFormat : ::testing::Test {
    testsupport::TempDir dir;
    platform::ScriptedServices services;
    platform::ScopedServices scoped{services};
    std::string path = dir.file("Test.ini");
};

TEST_F(IniFormat, WritesSectionsWithCrLfAndOneBlankLineAfterEach) {
    {
        TBigIniFile ini(path);
        ini.WriteString("One", "a", "1");
        ini.WriteString("Two", "b", "x=y");
        ini.WriteString("One", "c", "");
    }
    EXPECT_EQ(readBytes(path), "[One]\r\na=1\r\nc=\r\n\r\n[Two]\r\nb=x=y\r\n\r\n");
    TBigIniFile again(path);
    EXPECT_EQ(again.ReadString("two", "B", "?"), "x=y");
}

} // namespace
