// A page made ready to upload: its pictures copied into "images" beside it
// under web-safe names, the page referring to them by relative path, and a
// missing picture stopping everything before anything is written.
#include "salesletter/Export.h"
#include "platform/FileSystem.h"
#include "salesletter/SalesLetter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

// The first bytes of real pictures: what the export accepts.
const std::string kJpeg("\xFF\xD8\xFF\xE0 JPEG header bytes", 22);
const std::string kPng("\x89PNG\r\n\x1A\n PNG cover bytes", 24);

const char kTemplate[] = "<img src=\"{@header@}\" alt=\"{@pagetitle@}\">\r\n"
                         "<img src=\"{@ecover@}\">\r\n<div>{@para1@}</div>\r\n";

class Export : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_.file("My Pictures"));
        writeBytes(header_, kJpeg);
        writeBytes(cover_, kPng);
        letter_["PT"] = "Caf\xC3\xA9";
        letter_["HG"] = header_;
        letter_["EC"] = cover_;
        std::filesystem::create_directories(dir_.file("site"));
    }
    std::string page() const { return dir_.file("site") + "/index.html"; }

    testsupport::TempDir dir_;
    std::string header_ = dir_.file("My Pictures") + "/Header Banner.JPG";
    std::string cover_ = dir_.file("My Pictures") + "/E-Cover (final).png";
    TSalesLetter letter_;
};

} // namespace

TEST_F(Export, CopiesThePicturesAndRefersToThemByRelativePath) {
    // A picture put into a paragraph by hand travels too, once per file.
    letter_["FirstParagraph"] = "<p><img src=\"" + cover_ + "\"> and <img src='file://" + header_ +
                                "'> and <img src=\"https://cdn.example.com/x.jpg\"></p>";
    ExportPage(letter_, kTemplate, page());
    const std::string html = readBytes(page());
    EXPECT_EQ(html, "<img src=\"images/header-banner.jpg\" alt=\"Caf\xC3\xA9\">\r\n"
                    "<img src=\"images/e-cover-final.png\">\r\n"
                    "<div><p><img src=\"images/e-cover-final.png\"> and "
                    "<img src='images/header-banner.jpg'> and "
                    "<img src=\"https://cdn.example.com/x.jpg\"></p></div>\r\n");
    EXPECT_EQ(readBytes(dir_.file("site") + "/images/header-banner.jpg"), kJpeg);
    EXPECT_EQ(readBytes(dir_.file("site") + "/images/e-cover-final.png"), kPng);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e :
         std::filesystem::directory_iterator(dir_.file("site") + "/images"))
        ++files;
    EXPECT_EQ(files, 2u);
}

TEST_F(Export, NamesAreWebSafeAndUnique) {
    EXPECT_EQ(WebSafeName("C:\\Bilder\\Mein Bild #1.JPG"), "mein-bild-1.jpg");
    EXPECT_EQ(WebSafeName("/x/caf\xC3\xA9 cr\xC3\xA8me.jpeg"), "caf-cr-me.jpeg");
    EXPECT_EQ(WebSafeName("/x/.hidden.png"), "hidden.png");
    EXPECT_EQ(WebSafeName("/x/\xE2\x82\xAC.png"), "picture.png");

    // Two pictures of one name from two folders get two names.
    std::filesystem::create_directories(dir_.file("other"));
    const std::string second = dir_.file("other") + "/header banner.jpg";
    const std::string otherHeader = kJpeg + " the other header";
    writeBytes(second, otherHeader);
    letter_["EC"] = second;
    ExportPage(letter_, kTemplate, page());
    const std::string html = readBytes(page());
    EXPECT_NE(html.find("src=\"images/header-banner.jpg\""), std::string::npos);
    EXPECT_NE(html.find("src=\"images/header-banner-2.jpg\""), std::string::npos);
    EXPECT_EQ(readBytes(dir_.file("site") + "/images/header-banner-2.jpg"), otherHeader);
}

// Pictures and the page in folders named beyond ASCII, as users' own folders
// often are: the pictures are found, and a file of the same name already in
// the page's "images" folder is seen there and kept.
TEST_F(Export, FoldersBeyondAsciiAreFoundAndTheirFilesKept) {
    const std::string pictures = dir_.file("Mes images \xC3\xA9t\xC3\xA9 \xE2\x82\xAC");
    const std::string site = dir_.file("Site caf\xC3\xA9");
    ASSERT_TRUE(platform::forceDirectories(pictures));
    ASSERT_TRUE(platform::forceDirectories(testsupport::native(site + "/images")));
    writeBytes(pictures + "/Header Banner.JPG", kJpeg);
    writeBytes(site + "/images/header-banner.jpg", "the user's own banner");
    letter_["HG"] = pictures + "/Header Banner.JPG";
    ExportPage(letter_, kTemplate, site + "/index.html");
    EXPECT_NE(readBytes(site + "/index.html").find("src=\"images/header-banner-2.jpg\""),
              std::string::npos);
    EXPECT_EQ(readBytes(site + "/images/header-banner-2.jpg"), kJpeg);
    EXPECT_EQ(readBytes(site + "/images/header-banner.jpg"), "the user's own banner");
}

TEST_F(Export, MissingPictureIsNamedAndNothingIsWritten) {
    writeBytes(page(), "the old page");
    std::filesystem::remove(cover_);
    letter_["FirstParagraph"] = "<img src=\"/nowhere/extra.gif\">";
    std::string message;
    try {
        ExportPage(letter_, kTemplate, page());
    } catch (const std::runtime_error& e) {
        message = e.what();
    }
    EXPECT_NE(message.find("\"" + cover_ + "\" (E-Cover) cannot be found"), std::string::npos)
        << message;
    EXPECT_NE(message.find("\"/nowhere/extra.gif\" (FirstParagraph) cannot be found"),
              std::string::npos)
        << message;
    EXPECT_EQ(message.find(header_), std::string::npos) << message;
    EXPECT_EQ(readBytes(page()), "the old page");
    EXPECT_FALSE(std::filesystem::exists(dir_.file("site") + "/images"));
}

TEST_F(Export, WebPicturesAndEmptyFieldsStayAsTheyAre) {
    letter_["HG"] = "https://cdn.example.com/head.jpg";
    letter_["EC"] = "";
    ExportPage(letter_, kTemplate, page());
    EXPECT_EQ(readBytes(page()).rfind("<img src=\"https://cdn.example.com/head.jpg\" alt=", 0), 0u);
    // The picture without a file goes rather than showing broken.
    EXPECT_EQ(readBytes(page()).find("<img src=\"\">"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir_.file("site") + "/images"));
}
