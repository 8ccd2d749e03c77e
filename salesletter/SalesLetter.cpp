#include "SalesLetter.h"

#include <stdexcept>

namespace {

using K = FieldKind;
using F = FillRule;

constexpr std::array<FieldInfo, TSalesLetter::kFieldCount> kFields{{
    // Meta-Tags
    {"FN", K::Line, 2, "", "{@metaauthor@}", 1, F::Plain},
    {"SW", K::Line, 2, "", "{@metasubject@}", 2, F::Plain},
    {"WL", K::Line, 2, "English", "{@metalanguage@}", 5, F::Plain},
    {"WD", K::Text, 2, "", "{@metadescription@}", 3, F::Plain},
    {"KP", K::Text, 2, "", "{@metakeywords@}", 4, F::Plain},
    {"RS", K::Choice, 2, "Follow", "{@metarobots@}", 6, F::Plain},
    {"TS", K::Line, 2, "General", "{@metarating@}", 7, F::Plain},
    {"CW", K::Line, 2, "", "{@metaclass@}", 8, F::Plain},
    // Page Settings
    {"PT", K::Line, 3, "", "{@pagetitle@}", 9, F::Plain},
    {"CD", K::Line, 3, "", "{@currentdate@}", 10, F::Plain},
    {"YFN", K::Line, 3, "", "{@yourfullname@}", 11, F::Plain},
    {"PBC", K::Colour, 3, "FFFFFF", "{@pagebackgroundcolor@}", 13, F::Plain},
    {"CS", K::Line, 3, "", "{@support@}", 12, F::Plain},
    {"HG", K::Image, 3, "", "{@header@}", 14, F::Plain},
    {"EC", K::Image, 3, "", "{@ecover@}", 15, F::Plain},
    // Headline
    {"Headline", K::Text, 4, "", "{@orderpullingheadline@}", 16, F::Plain},
    {"NH", K::Line, 4, "", "{@notice@}", 17, F::Plain},
    {"Subheadline", K::Text, 4, "", "{@subheadline@}", 18, F::Plain},
    // Introduction
    {"IntroLine", K::Text, 5, "", "{@line1@}", 19, F::Plain},
    {"FirstParagraph", K::Text, 5, "", "{@para1@}", 20, F::Plain},
    {"Problem", K::Text, 5, "", "{@problem@}", 21, F::Plain},
    // Introduce Product
    {"IntroHeadline", K::Text, 6, "", "{@introheadline@}", 22, F::Plain},
    {"FeatureList", K::Text, 6, "", "{@smallreasonwhy@}", 23, F::Plain},
    {"Introduction", K::Text, 6, "", "{@introtheproduct@}", 24, F::Plain},
    // Feature Lists
    {"F1", K::Line, 7, "Feature", "{@feature1@}", 29, F::Group},
    {"FD1", K::Text, 7, "Description", "{@featuredescription1@}", 29, F::Group},
    {"F2", K::Line, 7, "", "{@feature2@}", 30, F::Group},
    {"FD2", K::Text, 7, "", "{@featuredescription2@}", 30, F::Group},
    {"F3", K::Line, 7, "", "{@feature3@}", 31, F::Group},
    {"FD3", K::Text, 7, "", "{@featuredescription3@}", 31, F::Group},
    {"F4", K::Line, 7, "", "{@feature4@}", 32, F::Group},
    {"FD4", K::Text, 7, "", "{@featuredescription4@}", 32, F::Group},
    {"F5", K::Line, 7, "", "{@feature5@}", 33, F::Group},
    {"FD5", K::Text, 7, "", "{@featuredescription5@}", 33, F::Group},
    {"F6", K::Line, 7, "", "{@feature6@}", 34, F::Group},
    {"FD6", K::Text, 7, "", "{@featuredescription6@}", 34, F::Group},
    {"F7", K::Line, 7, "", "{@feature7@}", 35, F::Group},
    {"FD7", K::Text, 7, "", "{@featuredescription7@}", 35, F::Group},
    {"F8", K::Line, 7, "", "{@feature8@}", 36, F::Group},
    {"FD8", K::Text, 7, "", "{@featuredescription8@}", 36, F::Group},
    {"F9", K::Line, 7, "", "{@feature9@}", 37, F::Group},
    {"FD9", K::Text, 7, "", "{@featuredescription9@}", 37, F::Group},
    // Benefits
    {"Benefits", K::Text, 8, "", "{@introbenefits@}", 38, F::Plain},
    {"Benefit1", K::Line, 8, "", "{@benefit1@}", 39, F::Group},
    {"Benefit2", K::Line, 8, "", "{@benefit2@}", 40, F::Group},
    {"Benefit3", K::Line, 8, "", "{@benefit3@}", 41, F::Group},
    {"Benefit4", K::Line, 8, "", "{@benefit4@}", 42, F::Group},
    {"Benefit5", K::Line, 8, "", "{@benefit5@}", 43, F::Group},
    // Testimonials
    {"TN1", K::Line, 9, "Name", "{@Testimonial1Name@}", 44, F::Group},
    {"TW1", K::Address, 9, "Website", "{@TestimonialURL1@}", 44, F::Group},
    {"T1", K::Line, 9, "Testimonial", "{@Testimonial1@}", 44, F::Group},
    {"TD1", K::Text, 9, "Key statement of testimonial", "{@TestimonialDescription1@}", 44,
     F::Group},
    {"TN2", K::Line, 9, "", "{@Testimonial2Name@}", 45, F::Group},
    {"TW2", K::Address, 9, "", "{@TestimonialURL2@}", 45, F::Group},
    {"T2", K::Line, 9, "", "{@Testimonial2@}", 45, F::Group},
    {"TD2", K::Text, 9, "", "{@TestimonialDescription2@}", 45, F::Group},
    {"TN3", K::Line, 9, "", "{@Testimonial3Name@}", 46, F::Group},
    {"TW3", K::Address, 9, "", "{@TestimonialURL3@}", 46, F::Group},
    {"T3", K::Line, 9, "", "{@Testimonial3@}", 46, F::Group},
    {"TD3", K::Text, 9, "", "{@TestimonialDescription3@}", 46, F::Group},
    {"TN4", K::Line, 9, "", "{@Testimonial4Name@}", 47, F::Group},
    {"TW4", K::Address, 9, "", "{@TestimonialURL4@}", 47, F::Group},
    {"T4", K::Line, 9, "", "{@Testimonial4@}", 47, F::Group},
    {"TD4", K::Text, 9, "", "{@TestimonialDescription4@}", 47, F::Group},
    {"TN5", K::Line, 9, "", "{@Testimonial5Name@}", 48, F::Group},
    {"TW5", K::Address, 9, "", "{@TestimonialURL5@}", 48, F::Group},
    {"T5", K::Line, 9, "", "{@Testimonial5@}", 48, F::Group},
    {"TD5", K::Text, 9, "", "{@TestimonialDescription5@}", 48, F::Group},
    {"TBC", K::Colour, 9, "FFFFCC", "{@TestimonialBackgroundColor@}", 26, F::Plain},
    // Body
    {"HowItWorks", K::Text, 10, "", "{@howworks@}", 49, F::Plain},
    {"PriceReason", K::Text, 10, "", "{@thisprice@}", 50, F::Plain},
    {"Receive", K::Text, 10, "", "{@receive@}", 51, F::Plain},
    // Bonus
    {"IntroBonus", K::Line, 11, "", "{@introbonus@}", 52, F::Plain},
    {"FG1", K::Line, 11, "$Value", "{@giftprice1@}", 53, F::Group},
    {"FGD1", K::Text, 11, "Description", "{@pricedesc1@}", 53, F::Group},
    {"FG2", K::Line, 11, "", "{@giftprice2@}", 54, F::Group},
    {"FGD2", K::Text, 11, "", "{@pricedesc2@}", 54, F::Group},
    {"FG3", K::Line, 11, "", "{@giftprice3@}", 55, F::Group},
    {"FGD3", K::Text, 11, "", "{@pricedesc3@}", 55, F::Group},
    {"FG4", K::Line, 11, "", "{@giftprice4@}", 56, F::Group},
    {"FGD4", K::Text, 11, "", "{@pricedesc4@}", 56, F::Group},
    {"FG5", K::Line, 11, "", "{@giftprice5@}", 57, F::Group},
    {"FGD5", K::Text, 11, "", "{@pricedesc5@}", 57, F::Group},
    // Guarantee
    {"MBG", K::Line, 12, "", "{@moneybackguarantee@}", 58, F::Group},
    {"YG", K::Text, 12, "", "{@yourguarantee@}", 58, F::Group},
    {"MBC", K::Colour, 12, "FFFFCC", "{@MoneyBackGuaranteeBackgroundColor@}", 27, F::Plain},
    // Closing
    {"Closing", K::Text, 13, "", "{@close@}", 59, F::Plain},
    {"ClosingS", K::Line, 13, "Sincerely,", "{@closingstatement@}", 60, F::Plain},
    {"PS", K::Text, 13, "", "{@ps@}", 61, F::Plain},
    // Legal Forms
    {"N", K::Line, 14, "", "{@firstname@}", 62, F::Plain},
    {"LN", K::Line, 14, "", "{@lastname@}", 63, F::Plain},
    {"BN", K::Line, 14, "", "{@businessname@}", 64, F::Plain},
    // Pop-up
    {"EEA", K::Line, 15, "", "{@optinaddress@}", 66, F::Plain},
    {"ES", K::Line, 15, "Subscribe", "{@emailsubject@}", 68, F::Plain},
    {"ED", K::Text, 15, "", "{@ezinedescription@}", 65, F::LineBreaksAsBr},
    {"PopT", K::Line, 15, "", "{@optintitle@}", 67, F::Plain},
    // Order Links
    {"Link", K::Address, 16, "", "{@orderlink@}", 70, F::Plain},
    {"OH", K::Line, 16, "", "{@orderheadline@}", 69, F::Group},
    {"OR1", K::Line, 16, "", "{@orderreason1@}", 71, F::Group},
    {"OR2", K::Line, 16, "", "{@orderreason2@}", 72, F::Group},
    {"OR3", K::Line, 16, "", "{@orderreason3@}", 73, F::Group},
    {"OR4", K::Line, 16, "", "{@orderreason4@}", 74, F::Group},
    {"OR5", K::Line, 16, "", "{@orderreason5@}", 75, F::Group},
    {"OLBC", K::Colour, 16, "FFFFCC", "{@OrderLinkBackgroundColor@}", 28, F::Plain},
    // Affiliate Program
    {"AffiliateID", K::Line, 17, "", "{@affiliateID@}", 76, F::Plain},
    // Shown on the Feature Lists page, stored after AffiliateID
    {"FeatureSummary", K::Line, 7, "", "{@featuresummary@}", 25, F::Plain},
    // The footer's legal pages, shown on Page Settings beside the contact
    // address; stored under their own keys after the others, so a file
    // without them loads with the entries empty (and not shown).
    {"TermsURL", K::Address, 3, "", "{@termsurl@}", 77, F::Group},
    {"DisclaimerURL", K::Address, 3, "", "{@disclaimerurl@}", 78, F::Group},
    {"PrivacyURL", K::Address, 3, "", "{@privacyurl@}", 79, F::Group},
}};

std::size_t indexOf(std::string_view key) {
    if (const FieldInfo* f = TSalesLetter::FindField(key))
        return static_cast<std::size_t>(f - kFields.data());
    throw std::out_of_range("Unknown sales letter field \"" + std::string(key) + "\"");
}

} // namespace

std::span<const FieldInfo, TSalesLetter::kFieldCount> TSalesLetter::Fields() {
    return kFields;
}

const FieldInfo* TSalesLetter::FindField(std::string_view key) {
    for (const FieldInfo& f : kFields)
        if (key == f.key)
            return &f;
    return nullptr;
}

TSalesLetter::TSalesLetter() {
    for (std::size_t i = 0; i < kFieldCount; ++i)
        values_[i] = kFields[i].defaultText;
}

std::string& TSalesLetter::operator[](std::string_view key) {
    return values_[indexOf(key)];
}

const std::string& TSalesLetter::operator[](std::string_view key) const {
    return values_[indexOf(key)];
}

void TSalesLetter::SelectTemplate(int n) {
    CB1 = n == 1;
    CB2 = n == 2;
    CB3 = n == 3;
}

void TSalesLetter::SetTemplateOption(int n, bool selected) {
    if (selected) {
        SelectTemplate(n);
        return;
    }
    if (n == 1)
        CB1 = false;
    else if (n == 2)
        CB2 = false;
    else if (n == 3)
        CB3 = false;
}

void TSalesLetter::ResetProject() {
    for (std::string& v : values_)
        v.clear();
}
