#include "PageCheck.h"

#include "Export.h"
#include "FieldHelpers.h"
#include "PageMarkup.h"

#include <stdexcept>

namespace {

// The label a field shows beside it, for the messages.
std::string label(std::string_view key) {
    static const struct {
        const char* key;
        const char* label;
    } kLabels[] = {{"PT", "Page Title"},
                   {"WD", "Description of website"},
                   {"Link", "order link"},
                   {"TermsURL", "Terms Of Service Address"},
                   {"DisclaimerURL", "Earnings Disclaimer Address"},
                   {"PrivacyURL", "Privacy Policy Address"},
                   {"HG", "Header Graphic"},
                   {"EC", "E-Cover"}};
    for (const auto& l : kLabels)
        if (key == l.key)
            return l.label;
    // Numbered items: "FD2" is "Feature 2 description".
    static const struct {
        const char* prefix;
        const char* item;
        const char* part;
    } kItems[] = {{"FGD", "Bonus", " description"},        {"FG", "Bonus", " value"},
                  {"FD", "Feature", " description"},       {"F", "Feature", ""},
                  {"TN", "Testimonial", " name"},          {"TW", "Testimonial", " website"},
                  {"TD", "Testimonial", " key statement"}, {"T", "Testimonial", ""}};
    for (const auto& i : kItems) {
        const std::string_view prefix = i.prefix;
        if (key.size() == prefix.size() + 1 && key.substr(0, prefix.size()) == prefix &&
            key.back() >= '1' && key.back() <= '9')
            return std::string(i.item) + " " + key.back() + i.part;
    }
    return std::string(key);
}

std::string where(std::string_view key) {
    const FieldInfo* f = TSalesLetter::FindField(key);
    return std::string("\"") + WizardPageCaption(f->page) + "\": " + label(key) + " (" +
           std::string(key) + ")";
}

} // namespace

const char* WizardPageCaption(int page) {
    static const char* const kCaptions[] = {"Welcome",
                                            "Select Template",
                                            "Meta-Tags",
                                            "Page Settings",
                                            "Headline",
                                            "Introduction",
                                            "Introduce Product",
                                            "Feature Lists",
                                            "Benefits",
                                            "Testimonials",
                                            "Body",
                                            "Bonus",
                                            "Guarantee",
                                            "Closing",
                                            "Legal Forms",
                                            "Pop-up",
                                            "Order Links",
                                            "Affiliate Program",
                                            "Main Menu"};
    return page >= 0 && page < 19 ? kCaptions[page] : "";
}

std::vector<std::string> CheckPage(const TSalesLetter& letter, const std::string& baseFolder) {
    std::vector<std::string> found;
    if (PlainText(letter["PT"]).empty())
        found.push_back(where("PT") +
                        " is empty: the browser tab and search results show no title.");
    if (PlainText(letter["WD"]).empty())
        found.push_back(where("WD") + " is empty: search results show no description.");

    // The wizard's sample texts, left where they were.
    const TSalesLetter opening;
    for (const FieldInfo& f : TSalesLetter::Fields()) {
        const std::string& sample = opening[f.key];
        if (f.kind == FieldKind::Colour || !*f.defaultText || sample == "English" ||
            sample == "Follow" || sample == "General" || sample == "Sincerely," ||
            sample == "Subscribe")
            continue;
        if (letter[f.key] == sample)
            found.push_back(where(f.key) + " still holds the sample text \"" + sample + "\".");
    }

    const bool hasLink = !LinkTarget(letter["Link"]).empty();
    if (!hasLink)
        found.push_back(where("Link") +
                        " is empty or no web address: the page shows no order button.");
    for (const FieldInfo& f : TSalesLetter::Fields()) {
        if (f.kind != FieldKind::Address)
            continue;
        const std::string& value = letter[f.key];
        const std::string target = LinkTarget(value);
        if (PlainText(value).empty() || IsBareScheme(value) || value == opening[f.key])
            continue;
        if (target.empty())
            found.push_back(where(f.key) + " is no web address: \"" + value + "\".");
        else if (target.compare(0, 8, "https://") != 0 && target.compare(0, 7, "mailto:") != 0)
            found.push_back(where(f.key) + " is not an https:// address: \"" + value + "\".");
    }

    try {
        PlanExport(letter, baseFolder);
    } catch (const std::exception& e) {
        std::string message = e.what();
        const std::string tail = " Nothing was written.";
        if (message.size() > tail.size() &&
            message.compare(message.size() - tail.size(), tail.size(), tail) == 0)
            message.erase(message.size() - tail.size());
        found.push_back(message);
    }
    return found;
}

namespace {

std::string sizeText(std::size_t bytes) {
    if (bytes < 1024)
        return std::to_string(bytes) + " bytes";
    if (bytes < 1024 * 1024)
        return std::to_string((bytes + 512) / 1024) + " KB";
    const std::size_t tenths = (bytes * 10 + 512 * 1024) / (1024 * 1024);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MB";
}

} // namespace

std::string FinishConfirmation(const std::vector<std::string>& findings, const ExportPlan& plan,
                               const std::string& target) {
    if (findings.empty() && plan.pictures.empty())
        return {};
    std::string text;
    if (!findings.empty()) {
        text += "A buyer would notice these points on the page:\n";
        for (const std::string& f : findings)
            text += "\n- " + f;
        text += "\n\n";
    }
    if (!plan.pictures.empty()) {
        text += "These pictures are copied into \"images\" beside \"" + target + "\":\n";
        for (const PagePicture& p : plan.pictures)
            text += "\n- " + p.name + " (" + sizeText(p.bytes.size()) +
                    (p.alreadyThere ? ", already there" : "") + ") from \"" + p.source + "\"";
        text += "\n\n";
    }
    text += findings.empty() ? "Create the page now?"
                             : "Create the page anyway? Choose No to go back and mend them.";
    return text;
}
