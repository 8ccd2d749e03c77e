#include "SalesLetter.h"

#include <stdexcept>

namespace {

using K = FieldKind;

constexpr std::array<FieldInfo, TSalesLetter::kFieldCount> kFields{{
    // Meta-Tags
    {"FN", K::Line, 2, ""},
    {"SW", K::Line, 2, ""},
    {"WL", K::Line, 2, "English"},
    {"WD", K::Text, 2, ""},
    {"KP", K::Text, 2, ""},
    {"RS", K::Choice, 2, "Follow"},
    {"TS", K::Line, 2, "General"},
    {"CW", K::Line, 2, ""},
    // Page Settings
    {"PT", K::Line, 3, ""},
    {"CD", K::Line, 3, ""},
    {"YFN", K::Line, 3, ""},
    {"PBC", K::Colour, 3, "FFFFFF"},
    {"CS", K::Line, 3, ""},
    {"HG", K::Image, 3, ""},
    {"EC", K::Image, 3, ""},
    // Headline
    {"Headline", K::Text, 4, ""},
    {"NH", K::Line, 4, ""},
    {"Subheadline", K::Text, 4, ""},
    // Introduction
    {"IntroLine", K::Text, 5, ""},
    {"FirstParagraph", K::Text, 5, ""},
    {"Problem", K::Text, 5, ""},
    // Introduce Product
    {"IntroHeadline", K::Text, 6, ""},
    {"FeatureList", K::Text, 6, ""},
    {"Introduction", K::Text, 6, ""},
    // Feature Lists
    {"F1", K::Line, 7, "Feature"},
    {"FD1", K::Text, 7, "Description"},
    {"F2", K::Line, 7, ""},
    {"FD2", K::Text, 7, ""},
    {"F3", K::Line, 7, ""},
    {"FD3", K::Text, 7, ""},
    {"F4", K::Line, 7, ""},
    {"FD4", K::Text, 7, ""},
    {"F5", K::Line, 7, ""},
    {"FD5", K::Text, 7, ""},
    {"F6", K::Line, 7, ""},
    {"FD6", K::Text, 7, ""},
    {"F7", K::Line, 7, ""},
    {"FD7", K::Text, 7, ""},
    {"F8", K::Line, 7, ""},
    {"FD8", K::Text, 7, ""},
    {"F9", K::Line, 7, ""},
    {"FD9", K::Text, 7, ""},
    // Benefits
    {"Benefits", K::Text, 8, ""},
    {"Benefit1", K::Line, 8, ""},
    {"Benefit2", K::Line, 8, ""},
    {"Benefit3", K::Line, 8, ""},
    {"Benefit4", K::Line, 8, ""},
    {"Benefit5", K::Line, 8, ""},
    // Testimonials
    {"TN1", K::Line, 9, "Name"},
    {"TW1", K::Address, 9, "Website"},
    {"T1", K::Line, 9, "Testimonial"},
    {"TD1", K::Text, 9, "Key statement of testimonial"},
    {"TN2", K::Line, 9, ""},
    {"TW2", K::Address, 9, ""},
    {"T2", K::Line, 9, ""},
    {"TD2", K::Text, 9, ""},
    {"TN3", K::Line, 9, ""},
    {"TW3", K::Address, 9, ""},
    {"T3", K::Line, 9, ""},
    {"TD3", K::Text, 9, ""},
    {"TN4", K::Line, 9, ""},
    {"TW4", K::Address, 9, ""},
    {"T4", K::Line, 9, ""},
    {"TD4", K::Text, 9, ""},
    {"TN5", K::Line, 9, ""},
    {"TW5", K::Address, 9, ""},
    {"T5", K::Line, 9, ""},
    {"TD5", K::Text, 9, ""},
    {"TBC", K::Colour, 9, "FFFFCC"},
    // Body
    {"HowItWorks", K::Text, 10, ""},
    {"PriceReason", K::Text, 10, ""},
    {"Receive", K::Text, 10, ""},
    // Bonus
    {"IntroBonus", K::Line, 11, ""},
    {"FG1", K::Line, 11, "$Value"},
    {"FGD1", K::Text, 11, "Description"},
    {"FG2", K::Line, 11, ""},
    {"FGD2", K::Text, 11, ""},
    {"FG3", K::Line, 11, ""},
    {"FGD3", K::Text, 11, ""},
    {"FG4", K::Line, 11, ""},
    {"FGD4", K::Text, 11, ""},
    {"FG5", K::Line, 11, ""},
    {"FGD5", K::Text, 11, ""},
    // Guarantee
    {"MBG", K::Line, 12, ""},
    {"YG", K::Text, 12, ""},
    {"MBC", K::Colour, 12, "FFFFCC"},
    // Closing
    {"Closing", K::Text, 13, ""},
    {"ClosingS", K::Line, 13, "Sincerely,"},
    {"PS", K::Text, 13, ""},
    // Legal Forms
    {"N", K::Line, 14, ""},
    {"LN", K::Line, 14, ""},
    {"BN", K::Line, 14, ""},
    // Pop-up
    {"EEA", K::Line, 15, ""},
    {"ES", K::Line, 15, "Subscribe"},
    {"ED", K::Text, 15, ""},
    {"PopT", K::Line, 15, ""},
    // Order Links
    {"Link", K::Address, 16, ""},
    {"OH", K::Line, 16, ""},
    {"OR1", K::Line, 16, ""},
    {"OR2", K::Line, 16, ""},
    {"OR3", K::Line, 16, ""},
    {"OR4", K::Line, 16, ""},
    {"OR5", K::Line, 16, ""},
    {"OLBC", K::Colour, 16, "FFFFCC"},
    // Affiliate Program
    {"AffiliateID", K::Line, 17, ""},
    // Shown on the Feature Lists page, stored after AffiliateID
    {"FeatureSummary", K::Line, 7, ""},
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

std::string NormalizeLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += "\r\n";
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}
