#include "platform/gui/QtServices.h"
#include "platform/gui/Text.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Text, LineBreaksBecomeCrLfForRecordsAndLfForWidgets) {
    EXPECT_EQ(toCrLf("a\nb\r\nc\rd\r"), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(toCrLf("\r\r\n\n"), "\r\n\r\n\r\n");
    EXPECT_EQ(toLf("a\r\nb\rc\n"), "a\nb\nc\n");
}

TEST(Text, RoundTripsBytesThroughQString) {
    std::string s = "Alice & Oz ~~ = ; [";
    EXPECT_EQ(fromQ(toQ(s)), s);
}

TEST(Text, FiltersBecomeQtFilters) {
    EXPECT_EQ(qtFilter("All Files (*.*)|*.*").toStdString(), "All Files (*)");
    EXPECT_EQ(qtFilter("Projects (*.prj)|*.prj").toStdString(), "Projects (*.prj)");
}
