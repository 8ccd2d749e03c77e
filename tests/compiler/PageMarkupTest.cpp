// The published page is right whatever the seller types: fields are written
// for the spot they land in, typed list lines stay lines, no link, heading,
// attribute or picture is left without its content, and the footer shows
// only what the seller gave.
#include "salesletter/PageMarkup.h"
#include "salesletter/Compiler.h"
#include "salesletter/PageCheck.h"
#include "salesletter/SalesLetter.h"
#include "tests/compiler/SampleLetter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string templateText(int n) {
    const char* src = std::getenv("QM_SOURCE_DIR");
    std::ifstream in(std::string(src ? src : ".") + "/resources/TEMPLATE" + std::to_string(n) +
                         ".HTML",
                     std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TSalesLetter emptyLetter() {
    TSalesLetter l;
    l.ResetProject();
    return l;
}

PageContext context(int year = 2031, std::string site = "") {
    PageContext c;
    c.year = year;
    c.siteAddress = std::move(site);
    return c;
}

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

} // namespace

TEST(PublishedPage, FieldsInAttributesTitlesAndAddressesAreEscaped) {
    TSalesLetter l = emptyLetter();
    l["PT"] = "Say \"hi\" <b> & co";
    l["WD"] = "line one\r\nline two";
    l["Link"] = "https://shop.example/caf\xC3\xA9 order?a=1&b=\"2\"";
    l["OH"] = "Buy <em>now</em> & save";
    const std::string page = BuildSalesPage(
        l,
        "<title>{@pagetitle@}</title><meta name=\"d\" content=\"{@metadescription@}\">\n"
        "<img alt=\"{@PageTitle@}\" src=\"x.png\">\n"
        "<p><strong></strong><a href=\"{@orderlink@}\">{@orderheadline@}</a></p>\n",
        context());
    EXPECT_NE(page.find("<title>Say &quot;hi&quot; &lt;b&gt; &amp; co</title>"), std::string::npos)
        << page;
    EXPECT_NE(page.find("content=\"line one line two\""), std::string::npos) << page;
    EXPECT_NE(page.find("alt=\"Say &quot;hi&quot; &lt;b&gt; &amp; co\""), std::string::npos);
    EXPECT_NE(page.find("href=\"https://shop.example/caf%C3%A9%20order?a=1&amp;b=%222%22\">"
                        "Buy <em>now</em> & save</a>"),
              std::string::npos)
        << page;

    // An address field that holds no address gives no link: its text stays.
    l["Link"] = "Website";
    EXPECT_NE(BuildSalesPage(l, "<p><a href=\"{@orderlink@}\">Order</a> today</p>", context())
                  .find("<p>Order today</p>"),
              std::string::npos);
    l["Link"] = "javascript:alert(1)";
    EXPECT_EQ(BuildSalesPage(l, "<p class=\"b\"><a href=\"{@orderlink@}\">Order</a></p>\n<i>x</i>",
                             context()),
              "<i>x</i>\r\n");
    l["Link"] = "www.shop.example";
    EXPECT_NE(BuildSalesPage(l, "<a href=\"{@orderlink@}\">O</a>", context())
                  .find("href=\"http://www.shop.example\""),
              std::string::npos);
}

TEST(PublishedPage, TypedLinesOfListFieldsBecomeLineBreaks) {
    TSalesLetter l = emptyLetter();
    l["F1"] = "Recipes";
    l["FD1"] = "breads\r\npies\r\npuddings";
    l["FeatureList"] = "<p>one</p>\r\n<p>two</p>\r\nthree\r\nfour";
    l["FGD1"] = "A guide\r\nwith cards";
    const std::string page =
        BuildSalesPage(l,
                       "<ul><li>{@feature1@}: {@featuredescription1@}</li></ul>\n"
                       "<div>{@smallreasonwhy@}</div>\n<p>{@giftprice1@}</p><p>{@pricedesc1@}</p>",
                       context());
    EXPECT_NE(page.find("breads<br>\r\npies<br>\r\npuddings"), std::string::npos) << page;
    // The seller's own paragraphs get no extra break.
    EXPECT_NE(page.find("<p>one</p>\r\n<p>two</p>\r\nthree<br>\r\nfour"), std::string::npos)
        << page;
    EXPECT_NE(page.find("A guide<br>\r\nwith cards"), std::string::npos);
    // A field outside the lists keeps its line breaks as they are.
    EXPECT_EQ(LinesAsBreaks("a\r\n\r\nb"), "a\r\n\r\nb");
}

TEST(PublishedPage, FooterShowsOnlyTheAddressesTheSellerGave) {
    for (int t = 1; t <= 3; ++t) {
        SCOPED_TRACE("template " + std::to_string(t));
        TSalesLetter l = testsupport::SampleLetter(t);
        std::string page = BuildSalesPage(l, templateText(t), context());
        for (const char* absent : {"Terms Of Service", "Earnings Disclaimer", "Privacy Policy",
                                   "Created by", "quillmere.com", "<script", "new Function"})
            EXPECT_EQ(page.find(absent), std::string::npos) << absent;
        EXPECT_NE(page.find("&copy; 2031 Heirloom Kitchen Press"), std::string::npos);
        EXPECT_NE(page.find("href=\"mailto:help@heirloomkitchen.example\">Contact</a>"),
                  std::string::npos);

        l["TermsURL"] = "https://kitchen.example/terms";
        l["PrivacyURL"] = "https://kitchen.example/privacy";
        l["CS"] = "";
        page = BuildSalesPage(l, templateText(t), context(2031, "https://quillmere.example//"));
        EXPECT_NE(page.find("<li><a href=\"https://kitchen.example/terms\">Terms Of Service</a>"),
                  std::string::npos);
        EXPECT_NE(page.find("href=\"https://kitchen.example/privacy\">Privacy Policy</a>"),
                  std::string::npos);
        EXPECT_EQ(page.find("Earnings Disclaimer"), std::string::npos);
        EXPECT_EQ(page.find("Contact"), std::string::npos);
        // The credit only with an affiliate ID and a site address, one slash apart.
        EXPECT_NE(page.find("<a href=\"https://quillmere.example/adawhit/\">"), std::string::npos)
            << page;
        l["AffiliateID"] = "";
        EXPECT_EQ(BuildSalesPage(l, templateText(t), context(2031, "https://q.example"))
                      .find("Created by"),
                  std::string::npos);
    }
}

TEST(PublishedPage, HeadlineOnlyLeavesNothingEmptyBehind) {
    for (int t = 1; t <= 3; ++t) {
        SCOPED_TRACE("template " + std::to_string(t));
        TSalesLetter l = emptyLetter();
        l.SelectTemplate(t);
        l["Headline"] = "Cook Like <em>Your</em> Great-Grandmother Did";
        const std::string page = BuildSalesPage(l, templateText(t), context());
        EXPECT_NE(page.find("<html lang=\"en\">"), std::string::npos);
        EXPECT_NE(page.find("<title>Cook Like Your Great-Grandmother Did</title>"),
                  std::string::npos);
        EXPECT_NE(page.find("<link rel=\"icon\" href=\"data:,\">"), std::string::npos);
        EXPECT_NE(page.find("<main"), std::string::npos);
        EXPECT_NE(page.find("background-color: #FFFFFF;"), std::string::npos);
        for (const char* empty : {"=\"\"", "#;", "<h2></h2>", "<p></p>", "<li></li>", "<img",
                                  "<table", "<a ", "Order Now", "{@", "</div>\r\n</div>\r\n</div>"})
            EXPECT_EQ(page.find(empty), std::string::npos) << empty << "\n" << page;
        EXPECT_EQ(count(page, "<h1>"), 1u);
    }
}

TEST(PublishedPage, PicturesCarryTheirSizeAndLanguageItsCode) {
    TSalesLetter l = emptyLetter();
    l["HG"] = "images/head.png";
    l["PT"] = "A \"quoted\" title";
    PageContext c = context();
    c.pictureSizes["images/head.png"] = {600, 115};
    EXPECT_EQ(BuildSalesPage(l, "{@headerimage@}", c),
              "<img class=\"header\" src=\"images/head.png\" alt=\"A &quot;quoted&quot; title\" "
              "width=\"600\" height=\"115\">\r\n");
    EXPECT_EQ(LanguageCode("English"), "en");
    EXPECT_EQ(LanguageCode(" Deutsch "), "de");
    EXPECT_EQ(LanguageCode("pt-BR"), "pt-BR");
    EXPECT_EQ(LanguageCode("Klingon"), "en");
    EXPECT_EQ(LanguageCode(""), "en");
    // A colour that is no colour gets the field's default.
    l["PBC"] = "#12345Z";
    l["TBC"] = "#abcdef";
    EXPECT_EQ(BuildSalesPage(l,
                             "<b style=\"color: #{@pagebackgroundcolor@}\">"
                             "{@TestimonialBackgroundColor@}</b>",
                             c),
              "<b style=\"color: #FFFFFF\">abcdef</b>\r\n");
}

TEST(PageCheck, NamesWhatABuyerWouldNotice) {
    const TSalesLetter opening; // the wizard's sample texts
    const std::vector<std::string> found = CheckPage(opening, "/nowhere");
    std::string all;
    for (const std::string& f : found)
        all += f + "\n";
    for (const char* expected :
         {"\"Page Settings\": Page Title (PT) is empty",
          "\"Meta-Tags\": Description of website (WD) is empty",
          "\"Feature Lists\": Feature 1 (F1) still holds the sample text \"Feature\"",
          "\"Testimonials\": Testimonial 1 website (TW1) still holds the sample text \"Website\"",
          "\"Bonus\": Bonus 1 value (FG1) still holds the sample text \"$Value\"",
          "\"Order Links\": order link (Link) is empty"})
        EXPECT_NE(all.find(expected), std::string::npos) << expected << "\n" << all;

    TSalesLetter l = testsupport::SampleLetter(1);
    l["HG"] = l["EC"] = "";
    const std::vector<std::string> http = CheckPage(l, "/nowhere");
    ASSERT_FALSE(http.empty());
    EXPECT_NE(http[0].find("is not an https:// address"), std::string::npos) << http[0];
    for (const char* key : {"Link", "TW1", "TW2", "TW3", "TW4", "TW5"}) {
        std::string& v = l[key];
        v.replace(0, 7, "https://");
    }
    EXPECT_EQ(CheckPage(l, "/nowhere"), std::vector<std::string>{});
    l["HG"] = "missing.png";
    ASSERT_EQ(CheckPage(l, "/nowhere").size(), 1u);
    EXPECT_NE(CheckPage(l, "/nowhere")[0].find("missing.png\" (Header Graphic)"),
              std::string::npos);
}
