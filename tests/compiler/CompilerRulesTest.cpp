// The compiler's text rules: placeholder filling, block dropping, line ends,
// the order of the steps and the optional groups, on small templates and on
// the three shipped ones.
#include "salesletter/Compiler.h"
#include "salesletter/SalesLetter.h"
#include "tests/compiler/SampleLetter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string templateText(int n) {
    const char* src = std::getenv("QM_SOURCE_DIR");
    std::string path =
        std::string(src ? src : ".") + "/resources/TEMPLATE" + std::to_string(n) + ".HTML";
    return testsupport::readBytes(path);
}

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

TSalesLetter emptyLetter() {
    TSalesLetter l;
    for (std::size_t i = 0; i < TSalesLetter::kFieldCount; ++i)
        l.at(i).clear();
    return l;
}

} // namespace

TEST(FillPlaceholder, ReplacesEveryOccurrenceWithoutRegardToCase) {
    std::string text = "<title>{@PageTitle@}</title><h1>{@pagetitle@}</h1>{@PAGETITLE@}";
    FillPlaceholder(text, "{@pagetitle@}", "Jam");
    EXPECT_EQ(text, "<title>Jam</title><h1>Jam</h1>Jam");

    std::string none = "nothing {@here@}";
    FillPlaceholder(none, "{@pagetitle@}", "x");
    EXPECT_EQ(none, "nothing {@here@}");
}

TEST(FillPlaceholder, InsertedValueIsNotSearchedAgain) {
    std::string text = "a{@x@}b{@x@}c";
    FillPlaceholder(text, "{@x@}", "[{@X@}]");
    EXPECT_EQ(text, "a[{@X@}]b[{@X@}]c");
    // A value that ends in the start of the placeholder does not join with the text after it.
    std::string joined = "{@x@}@}";
    FillPlaceholder(joined, "{@x@}", "{@x");
    EXPECT_EQ(joined, "{@x@}");
}

TEST(DropBlock, RemovesFromOpeningTagBeforeThroughClosingTagAfter) {
    std::string text = "<ul>\r\n<li><b>{@feature2@}</b> - {@featuredescription2@}</li>\r\n</ul>";
    DropBlock(text, "{@Feature2@}", "<li>", "</li>");
    EXPECT_EQ(text, "<ul>\r\n\r\n</ul>");

    // "<p" also matches a paragraph with attributes, tags compared without case.
    std::string bonus = "x <P align=\"center\">Bonus ({@giftprice1@})</P> y";
    DropBlock(bonus, "{@giftprice1@}", "<p", "</p>");
    EXPECT_EQ(bonus, "x  y");

    // Only the block around the first occurrence goes.
    std::string twice = "<li>{@a@}</li><li>{@a@}</li>";
    DropBlock(twice, "{@a@}", "<li>", "</li>");
    EXPECT_EQ(twice, "<li>{@a@}</li>");
}

TEST(DropBlock, LeavesTextUnchangedWhenAPartIsMissing) {
    const std::string noPlaceholder = "<li>{@other@}</li>";
    const std::string noOpening = "text {@a@}</li>";
    const std::string noClosing = "<li>{@a@} text";
    const std::string closingBefore = "</li><li>{@a@}";
    for (const std::string& original : {noPlaceholder, noOpening, noClosing, closingBefore}) {
        std::string text = original;
        DropBlock(text, "{@a@}", "<li>", "</li>");
        EXPECT_EQ(text, original);
    }
}

TEST(JoinLines, EndsEveryLineWithCrLf) {
    EXPECT_EQ(JoinLines("a\r\nb\nc\rd"), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(JoinLines("a\r\n"), "a\r\n");
    EXPECT_EQ(JoinLines("a\n\r"), "a\r\n\r\n");
    EXPECT_EQ(JoinLines("\r\n\r\n"), "\r\n\r\n");
    EXPECT_EQ(JoinLines(""), "");
}

TEST(TemplateChoice, FirstSelectedOptionElseTemplateThree) {
    TSalesLetter l;
    EXPECT_STREQ(TemplateDocumentName(l), "TEMPLATE1.HTML");
    l.SelectTemplate(2);
    EXPECT_STREQ(TemplateDocumentName(l), "TEMPLATE2.HTML");
    l.SelectTemplate(3);
    EXPECT_STREQ(TemplateDocumentName(l), "TEMPLATE3.HTML");
    l.CB3 = false;
    EXPECT_STREQ(TemplateDocumentName(l), "TEMPLATE3.HTML");
}

TEST(BuildSalesPage, LaterStepsFillPlaceholdersInsideEarlierValues) {
    TSalesLetter l = emptyLetter();
    l["PT"] = "By {@lastname@} for {@PageTitle@}";
    l["LN"] = "Whitcombe";
    l["FN"] = "{@firstname@}";
    l["N"] = "Ada";
    std::string page = BuildSalesPage(l, "<title>{@pagetitle@}</title>\n{@metaauthor@}\n");
    EXPECT_EQ(page, "<title>By Whitcombe for {@PageTitle@}</title>\r\nAda\r\n");
}

TEST(BuildSalesPage, EzineDescriptionOnOneLineOtherFieldsKeepLineBreaks) {
    TSalesLetter l = emptyLetter();
    l["ED"] = "one\r\ntwo\r\nthree";
    l["Headline"] = "first\r\nsecond\r\nthird";
    l["PS"] = "lone\nfeed and lone\rreturn";
    std::string page = BuildSalesPage(l, "<p>{@ezinedescription@}</p>\n<h1>{@orderpullingheadline@}"
                                         "</h1>\n{@ps@}");
    EXPECT_EQ(page, "<p>one<br>two<br>three</p>\r\n<h1>first\r\nsecond\r\nthird</h1>\r\n"
                    "lone\r\nfeed and lone\r\nreturn\r\n");
}

TEST(BuildSalesPage, OptionalGroupsKeepFilledItemsAndDropEmptyOnes) {
    const std::string tmpl =
        "<ul>\n<li><strong>{@feature1@}</strong> - {@featuredescription1@}</li>\n"
        "<li><strong>{@feature2@}</strong> - {@featuredescription2@}</li>\n"
        "<li><strong>{@feature3@}</strong> - {@featuredescription3@}</li>\n"
        "</ul>\n<ul><li>{@benefit1@}</li><li>{@benefit2@}</li></ul>\n"
        "<table border=\"1\">\n<tr><td>{@TestimonialDescription1@} "
        "{@Testimonial1@} {@Testimonial1Name@} {@TestimonialURL1@}</td></tr>\n"
        "</table>\n";
    TSalesLetter l = emptyLetter();
    l["F1"] = " ";         // one space counts as filled
    l["F2"] = "Title";     // a title without description keeps its item
    l["Benefit2"] = "Yes"; // benefit 1 empty
    std::string page = BuildSalesPage(l, tmpl);
    EXPECT_EQ(page, "<ul>\r\n<li><strong> </strong> - </li>\r\n"
                    "<li><strong>Title</strong> - </li>\r\n\r\n</ul>\r\n<ul><li>Yes</li></ul>\r\n"
                    "<table border=\"1\">\r\n\r\n</table>\r\n");

    // An older project left "http://" in every empty address field: that is
    // empty, so the row still goes.
    l["TW1"] = "http://";
    EXPECT_EQ(BuildSalesPage(l, tmpl).find("<tr>"), std::string::npos);

    l["TW1"] = "http://x"; // any one testimonial field keeps the row
    page = BuildSalesPage(l, tmpl);
    EXPECT_NE(page.find("<tr><td>   http://x</td></tr>"), std::string::npos);

    l["TW1"] = "HTTP://";
    l["TN1"] = "Ada"; // kept for the name; the bare scheme prints nothing
    page = BuildSalesPage(l, tmpl);
    EXPECT_NE(page.find("<tr><td>  Ada </td></tr>"), std::string::npos);
}

TEST(BuildSalesPage, GuaranteeOrderHeadlineAndBonusBlocks) {
    const std::string tmpl =
        "<p class=\"b\">Free Bonus #1 ({@giftprice1@} Value)</p>\n<p>{@pricedesc1@}</p>\n"
        "<table bgcolor=\"#{@MoneyBackGuaranteeBackgroundColor@}\"><tr><td><h2>"
        "{@moneybackguarantee@}</h2>{@yourguarantee@}</td></tr></table>\n"
        "<p><strong><input type=\"checkbox\"> Yes</strong> <a href=\"{@orderlink@}\">"
        "{@orderheadline@}</a></p>\n<a href=\"{@orderlink@}\">Click Here To Order Today</a>\n";
    TSalesLetter l = emptyLetter();
    l["Link"] = "http://shop";
    EXPECT_EQ(BuildSalesPage(l, tmpl), "\r\n\r\n\r\n<p></p>\r\n"
                                       "<a href=\"http://shop\">Click Here To Order Today</a>\r\n");

    l["FGD1"] = "Guide";
    l["YG"] = "Promise";
    l["OH"] = "Order";
    l["MBC"] = "EEEEEE";
    EXPECT_EQ(BuildSalesPage(l, tmpl),
              "<p class=\"b\">Free Bonus #1 ( Value)</p>\r\n<p>Guide</p>\r\n"
              "<table bgcolor=\"#EEEEEE\"><tr><td><h2></h2>Promise</td></tr></table>\r\n"
              "<p><strong><input type=\"checkbox\"> Yes</strong> <a href=\"http://shop\">Order</a>"
              "</p>\r\n<a href=\"http://shop\">Click Here To Order Today</a>\r\n");
}

TEST(ShippedTemplates, AsciiCrLfWithEveryPlaceholderOfTheTable) {
    // Every placeholder a template must hold, in the table's spelling.
    std::vector<std::string> names = {
        "metaauthor", "metasubject", "metadescription", "metakeywords", "metalanguage",
        "metarobots", "metarating", "metaclass", "pagetitle", "currentdate", "yourfullname",
        "support", "pagebackgroundcolor", "orderpullingheadline", "notice", "subheadline", "line1",
        "para1", "problem", "introheadline", "smallreasonwhy", "introtheproduct", "featuresummary",
        "TestimonialBackgroundColor", "MoneyBackGuaranteeBackgroundColor",
        "OrderLinkBackgroundColor", "introbenefits", "howworks", "thisprice", "receive",
        "introbonus", "moneybackguarantee", "yourguarantee", "close", "closingstatement", "ps",
        "firstname", "lastname", "businessname", "ezinedescription", "optinaddress", "optintitle",
        "emailsubject", "orderheadline", "orderlink",
        // The page's own parts and the footer's addresses;
        // the pictures stand in headerimage and ecoverimage,
        // the affiliate ID in the credit.
        "langcode", "year", "headerimage", "ecoverimage", "icon", "credit", "termsurl",
        "disclaimerurl", "privacyurl"};
    for (int n = 1; n <= 9; ++n) {
        names.push_back("feature" + std::to_string(n));
        names.push_back("featuredescription" + std::to_string(n));
    }
    for (int n = 1; n <= 5; ++n) {
        const std::string k = std::to_string(n);
        for (const char* p : {"benefit", "orderreason"})
            names.push_back(p + k);
        for (std::string p : {"TestimonialDescription" + k, "Testimonial" + k,
                              "Testimonial" + k + "Name", "TestimonialURL" + k})
            names.push_back(p);
    }
    for (int n = 1; n <= 3; ++n) {
        names.push_back("giftprice" + std::to_string(n));
        names.push_back("pricedesc" + std::to_string(n));
    }
    ASSERT_EQ(names.size(), 108u);

    for (int t = 1; t <= 3; ++t) {
        SCOPED_TRACE("template " + std::to_string(t));
        const std::string text = templateText(t);
        ASSERT_GT(text.size(), 10000u);
        EXPECT_LT(text.size(), 40000u);
        EXPECT_TRUE(std::all_of(text.begin(), text.end(),
                                [](char c) { return static_cast<unsigned char>(c) < 128; }));
        EXPECT_EQ(count(text, "\n"), count(text, "\r\n"));
        EXPECT_EQ(count(text, "\r"), count(text, "\r\n"));

        const std::string folded = lower(text);
        std::size_t placeholders = 0;
        for (const std::string& name : names) {
            EXPECT_NE(folded.find(lower("{@" + name + "@}")), std::string::npos) << name;
            placeholders += count(folded, lower("{@" + name + "@}"));
        }
        // Nothing else in the page looks like a placeholder, and some are in mixed case.
        EXPECT_EQ(count(text, "{@"), placeholders);
        std::size_t mixed = 0;
        for (const std::string& name : names)
            mixed += count(text, "{@" + name + "@}") != count(folded, lower("{@" + name + "@}"));
        EXPECT_GE(mixed, 3u);
        for (const char* absent : {"giftprice4", "giftprice5", "pricedesc4", "pricedesc5"})
            EXPECT_EQ(folded.find(absent), std::string::npos);
    }
}

TEST(ShippedTemplates, EveryFieldEmptyLeavesNoPlaceholderAndKeepsFixedParts) {
    TSalesLetter l = emptyLetter();
    for (int t = 1; t <= 3; ++t) {
        SCOPED_TRACE("template " + std::to_string(t));
        const std::string page = BuildSalesPage(l, templateText(t));
        EXPECT_EQ(page.find("{@"), std::string::npos);
        EXPECT_EQ(page.find("<tr>"), std::string::npos);
        EXPECT_EQ(page.find("class=\"bonus-title\""), std::string::npos);
        EXPECT_EQ(page.find("class=\"guarantee\""), std::string::npos);
        EXPECT_EQ(page.find("type=\"checkbox\""), std::string::npos);
        EXPECT_NE(page.find("class=\"testimonials\""), std::string::npos);
        for (const char* fixed : {"Contact", "Order Now", "&copy;"})
            EXPECT_NE(page.find(fixed), std::string::npos) << fixed;
        // No link the seller did not give, and no script.
        for (const char* gone : {"Terms Of Service", "Earnings Disclaimer", "Privacy Policy",
                                 "Created", "<script", "15 days", "GLOBAL"})
            EXPECT_EQ(page.find(gone), std::string::npos) << gone;
    }
}

TEST(ShippedTemplates, FilledRecordKeepsEveryItemAndBonusesFourAndFiveChangeNothing) {
    for (int t = 1; t <= 3; ++t) {
        SCOPED_TRACE("template " + std::to_string(t));
        TSalesLetter l = testsupport::SampleLetter(t);
        const std::string page = BuildSalesPage(l, templateText(t));
        EXPECT_EQ(page.find("{@"), std::string::npos);
        // Features, benefits and order reasons are the optional list items.
        EXPECT_EQ(count(page, "<li>") -
                      count(BuildSalesPage(emptyLetter(), templateText(t)), "<li>"),
                  9u + 5u + 5u);
        EXPECT_EQ(count(page, "<tr>"), 5u + 1u); // testimonials and the guarantee
        EXPECT_NE(page.find("background-color: #E9EEF4;"), std::string::npos);
        EXPECT_NE(page.find("#FFFBE6"), std::string::npos);
        EXPECT_NE(page.find("#EEF8EC"), std::string::npos);
        EXPECT_NE(page.find("#FFF4D6"), std::string::npos);
        EXPECT_NE(page.find("src=\"/home/ada/pictures/header.jpg\""), std::string::npos);
        EXPECT_NE(page.find("One forgotten recipe every week.<br>Tested"), std::string::npos);
        EXPECT_NE(page.find("Cook Like Your Great-Grandmother Did -\r\nWith"), std::string::npos);
        EXPECT_EQ(page.find("adawhit"), std::string::npos); // no credit without a site address

        for (const char* key : {"FG4", "FGD4", "FG5", "FGD5"})
            l[key] = "changed {@pagetitle@}";
        EXPECT_EQ(BuildSalesPage(l, templateText(t)), page);
        for (const char* key : {"FG4", "FGD4", "FG5", "FGD5"})
            l[key].clear();
        EXPECT_EQ(BuildSalesPage(l, templateText(t)), page);

        // One testimonial left empty loses its row; the table stays.
        for (const char* key : {"TN3", "TW3", "T3", "TD3"})
            l[key].clear();
        const std::string fewer = BuildSalesPage(l, templateText(t));
        EXPECT_EQ(count(fewer, "<tr>"), 5u);
        EXPECT_EQ(fewer.find("Ellen Park"), std::string::npos);
        EXPECT_NE(fewer.find("class=\"testimonials\""), std::string::npos);
    }
}

// The page says only what the user wrote: with every field empty, what is
// left to read is a handful of neutral labels (no claims, promises or
// headings of ours), and "P.S." or "Yes!" never stand before the user's text.
TEST(ShippedTemplates, EmptyRecordLeavesOnlyNeutralLabels) {
    auto visibleWords = [](std::string page) {
        for (const char* element : {"style", "script", "title"}) {
            const std::string open = std::string("<") + element,
                              close = std::string("</") + element + ">";
            for (std::size_t a; (a = page.find(open)) != std::string::npos;)
                page.erase(a, page.find(close, a) + close.size() - a);
        }
        std::string text;
        bool inTag = false;
        for (char c : page) {
            if (c == '<')
                inTag = true;
            else if (c == '>')
                inTag = false, text += ' ';
            else if (!inTag)
                text += c;
        }
        std::vector<std::string> words;
        std::string word;
        for (char c : text + " ") {
            if (c == ' ' || c == '\r' || c == '\n' || c == '\t') {
                if (!word.empty())
                    words.push_back(word);
                word.clear();
            } else {
                word += c;
            }
        }
        return words;
    };
    const std::vector<std::string> neutral = {
        "Bonus",   "1",        "2",          "3",       "Order",   "Now",       "Terms",  "Of",
        "Service", "Earnings", "Disclaimer", "Privacy", "Policy",  "Contact",   "&copy;", "Created",
        "By",      "Tarrowby", "E-mail",     "address", "&times;", "Subscribe", "by",     "e-mail"};
    for (int t = 1; t <= 3; ++t) {
        SCOPED_TRACE("template " + std::to_string(t));
        const std::string text = templateText(t);
        const std::string year = std::to_string(DefaultPageContext().year);
        for (const std::string& word : visibleWords(BuildSalesPage(emptyLetter(), text)))
            EXPECT_TRUE(std::find(neutral.begin(), neutral.end(), word) != neutral.end() ||
                        word == year)
                << word;
        for (const char* doubled : {"P.S.", "Yes!", "&ldquo;", "Value)"})
            EXPECT_EQ(text.find(doubled), std::string::npos) << doubled;
        EXPECT_EQ(text.find("<head>\r\n<meta charset=\"utf-8\">\r\n"), text.find("<head>"));
        EXPECT_NE(text.find("{@headerimage@}"), std::string::npos);
        EXPECT_NE(text.find("name=\"viewport\""), std::string::npos);
    }
}

TEST(ShippedTemplates, WindowsPicturePathStandsUnchanged) {
    TSalesLetter l = testsupport::SampleLetter(2);
    l["HG"] = "C:\\Pictures\\head.jpg";
    EXPECT_NE(BuildSalesPage(l, templateText(2)).find("src=\"C:\\Pictures\\head.jpg\""),
              std::string::npos);
}
