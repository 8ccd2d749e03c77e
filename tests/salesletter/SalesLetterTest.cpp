#include "salesletter/SalesLetter.h"
#include "platform/TextEncoding.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

TEST(SalesLetter, FieldTableHoldsEveryKeyOnce) {
    std::set<std::string> keys;
    int multiLine = 0;
    for (const FieldInfo& f : TSalesLetter::Fields()) {
        EXPECT_TRUE(keys.insert(f.key).second) << f.key;
        EXPECT_GE(f.page, 2);
        EXPECT_LE(f.page, 17);
        if (f.kind == FieldKind::Text)
            ++multiLine;
    }
    EXPECT_EQ(keys.size(), 109u); // with the footer's three legal addresses
    EXPECT_EQ(multiLine, 37);
    EXPECT_STREQ(TSalesLetter::Fields()[0].key, "FN");
    EXPECT_STREQ(TSalesLetter::Fields()[104].key, "AffiliateID");
    EXPECT_STREQ(TSalesLetter::Fields()[105].key, "FeatureSummary");
    EXPECT_STREQ(TSalesLetter::Fields()[106].key, "TermsURL");
    EXPECT_STREQ(TSalesLetter::Fields()[108].key, "PrivacyURL");
}

TEST(SalesLetter, NewRecordHoldsTheOpeningDefaults) {
    const TSalesLetter r;
    EXPECT_TRUE(r.CB1);
    EXPECT_FALSE(r.CB2);
    EXPECT_FALSE(r.CB3);
    const std::pair<const char*, const char*> defaults[] = {{"WL", "English"},
                                                            {"RS", "Follow"},
                                                            {"TS", "General"},
                                                            {"PBC", "FFFFFF"},
                                                            {"F1", "Feature"},
                                                            {"FD1", "Description"},
                                                            {"TN1", "Name"},
                                                            {"TW1", "Website"},
                                                            {"T1", "Testimonial"},
                                                            {"TD1", "Key statement of testimonial"},
                                                            {"TBC", "FFFFCC"},
                                                            {"FG1", "$Value"},
                                                            {"FGD1", "Description"},
                                                            {"MBC", "FFFFCC"},
                                                            {"ClosingS", "Sincerely,"},
                                                            {"ES", "Subscribe"},
                                                            {"OLBC", "FFFFCC"}};
    int withDefault = 0;
    for (const FieldInfo& f : TSalesLetter::Fields())
        if (!r[f.key].empty())
            ++withDefault;
    EXPECT_EQ(withDefault, 17);
    for (auto [key, text] : defaults)
        EXPECT_EQ(r[key], text) << key;
    EXPECT_EQ(r["FN"], "");
    EXPECT_EQ(r["FeatureSummary"], "");
}

TEST(SalesLetter, ResetEmptiesEveryTextAndKeepsTheTemplate) {
    TSalesLetter r;
    r.SelectTemplate(2);
    r["FeatureSummary"] = "sum";
    r["PT"] = "title";
    r.ResetProject();
    for (const FieldInfo& f : TSalesLetter::Fields())
        EXPECT_EQ(r[f.key], "") << f.key;
    EXPECT_FALSE(r.CB1);
    EXPECT_TRUE(r.CB2);
    EXPECT_FALSE(r.CB3);
}

TEST(SalesLetter, UnknownKeysAreRefused) {
    TSalesLetter r;
    const TSalesLetter& c = r;
    EXPECT_THROW(r["fn"], std::out_of_range);
    EXPECT_THROW(c["CB1"], std::out_of_range);
    EXPECT_THROW(r[""], std::out_of_range);
    EXPECT_EQ(TSalesLetter::FindField("Nope"), nullptr);
    r["Headline"] = "x";
    EXPECT_EQ(c["Headline"], "x");
}

TEST(SalesLetter, TemplateOptionsBehaveAsRadioButtons) {
    TSalesLetter r;
    r.SelectTemplate(3);
    EXPECT_FALSE(r.CB1);
    EXPECT_TRUE(r.CB3);
    // Clearing one clears only itself; setting one clears the others.
    r.SetTemplateOption(1, true);
    r.SetTemplateOption(2, true);
    EXPECT_FALSE(r.CB1);
    EXPECT_TRUE(r.CB2);
    r.SetTemplateOption(1, false);
    EXPECT_TRUE(r.CB2);
    r.SetTemplateOption(2, false);
    EXPECT_FALSE(r.CB1 || r.CB2 || r.CB3);
}

TEST(SalesLetter, LineBreaksBecomeCrLf) {
    EXPECT_EQ(platform::toCrLf("a\nb\rc\r\nd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(platform::toCrLf("\r\r\n\n"), "\r\n\r\n\r\n");
    EXPECT_EQ(platform::toCrLf(""), "");
}
