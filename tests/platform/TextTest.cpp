#include "platform/gui/Text.h"
#include "platform/gui/QtServices.h"

#include <gtest/gtest.h>
#include <QTextDocument>

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

// The widgets cross in UTF-8 whatever the locale: curly quotes, dashes, the
// euro sign and no-break spaces reach the record as typed.
TEST(Text, WidgetTextCrossesInUtf8AndKeepsNoBreakSpaces) {
    const std::string s = "\xE2\x80\x9C"
                          "Caf\xC3\xA9\xE2\x80\x9D \xE2\x80\x94 \xE2\x82\xAC"
                          "7\xC2\xBD\xC2\xA0!";
    EXPECT_EQ(toQ(s), QString::fromUtf8(s.c_str()));
    EXPECT_EQ(toQ(s).size(), 14);
    EXPECT_EQ(fromQ(toQ(s)), s);

    QTextDocument document;
    document.setPlainText(toQ("one\xC2\xA0two\nthree"));
    EXPECT_EQ(fromQ(rawPlainText(document)), "one\xC2\xA0two\nthree");
    EXPECT_EQ(fromQ(document.toPlainText()), "one two\nthree"); // what the widget would give
}

TEST(Text, FiltersBecomeQtFilters) {
    EXPECT_EQ(qtFilter("All Files (*.*)|*.*").toStdString(), "All Files (*)");
    EXPECT_EQ(qtFilter("Projects (*.prj)|*.prj").toStdString(), "Projects (*.prj)");
}
