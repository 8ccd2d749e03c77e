// The sales-letter record: the template choice and the text of every field of
// the wizard, addressed by key. Keys are the names of the wizard's controls and
// the keys of the project file.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

enum class FieldKind {
    Line,   // one line of text
    Text,   // several lines separated by CR LF
    Choice, // one line, with a list of suggestions
    Colour, // RRGGBB, six hexadecimal digits, no "#"
    Image,  // full path of a JPEG file
    Address // a web address; a bare one ("www.example.com") gets "http://" when the field is left
};

// How the compiler puts a field into the page.
enum class FillRule {
    Plain,          // the placeholder becomes the field's text as it stands
    LineBreaksAsBr, // the same, with every CR LF as "<br>" (the page needs one line)
    Group           // an optional item: filled, or its markup block dropped, by its group's rule
};

// One field of the record: what the wizard shows and what the page receives.
// The compiler runs its steps in increasing `step` order, plain fields in one
// loop and each group of optional items at its step; every occurrence of the
// placeholder, compared without regard to letter case, is filled.
struct FieldInfo {
    const char* key;
    FieldKind kind;
    int page;                // tab index of the wizard page that shows the field
    const char* defaultText; // the text when the window opens
    const char* placeholder; // what the field becomes in the page templates
    int step;                // the compiler's step that fills it (1 to 79)
    FillRule fill;
};

struct TSalesLetter {
    // Number of text values of the original project file; FeatureSummary and
    // the three footer addresses come after them.
    static constexpr std::size_t kStoredTextCount = 105;
    static constexpr std::size_t kFieldCount = kStoredTextCount + 4;

    // Every text field: the 105 original ones in the order of the project
    // file (which is page order), then FeatureSummary, TermsURL,
    // DisclaimerURL and PrivacyURL.
    static std::span<const FieldInfo, kFieldCount> Fields();
    // The table entry for a key (exact spelling), or nullptr.
    static const FieldInfo* FindField(std::string_view key);

    // The template options; at most one is selected. Option 1 when opened.
    bool CB1 = true;
    bool CB2 = false;
    bool CB3 = false;

    // Every field holds its default text, option 1 is selected.
    TSalesLetter();

    // The text of a field by key; throws std::out_of_range for an unknown key.
    std::string& operator[](std::string_view key);
    const std::string& operator[](std::string_view key) const;

    // The text of a field by its position in Fields().
    std::string& at(std::size_t index) { return values_.at(index); }
    const std::string& at(std::size_t index) const { return values_.at(index); }

    // Selects option n (1 to 3) and clears the other two.
    void SelectTemplate(int n);
    // Applies one option as a radio button does: selecting it clears the other
    // two, clearing it clears only itself.
    void SetTemplateOption(int n, bool selected);

    // The reset for a new project: every text field becomes empty (also those
    // that have a default, and FeatureSummary); the template choice stays.
    void ResetProject();

private:
    std::array<std::string, kFieldCount> values_;
};
