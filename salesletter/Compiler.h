// The sales-letter compiler: fills one of the three page templates appended to
// the executable with the fields of a sales-letter record and writes the page.
//
// Window-free. The wizard's Preview and Finish commands and the command-line
// compiler call CompileSalesLetter / BuildSalesPage; the smaller operations are
// public so that their rules can be tested on their own.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>

struct TSalesLetter;

// What a published page needs beyond the record.
struct PageContext {
    int year = 0;            // for the copyright line
    std::string siteAddress; // the program's site, for the "Created by" credit ("" for none)
    std::string baseFolder;  // relative picture names are resolved against it
    // Width and height in pixels of the pictures the page shows, by their src.
    std::map<std::string, std::pair<int, int>> pictureSizes;
};

// A context for this year, without site address or picture sizes.
PageContext DefaultPageContext();

// Name of the page that Preview writes in the program folder.
inline constexpr const char* kPreviewPageName = "Temp.html";

// Replaces every occurrence of `placeholder` in `text`, compared without regard
// to ASCII letter case, with `value`. The inserted values are not searched again.
void FillPlaceholder(std::string& text, std::string_view placeholder, std::string_view value);

// Removes the markup block around the first occurrence of `placeholder`: from
// the nearest `openTag` before it through the end of the first `closeTag` after
// it (tags compared without regard to case). The text stays unchanged when the
// placeholder, the opening tag or the closing tag is missing.
void DropBlock(std::string& text, std::string_view placeholder, std::string_view openTag,
               std::string_view closeTag);

// Splits `text` into lines at CR LF, a lone CR and a lone LF and joins them
// again, each line followed by CR LF (a final line break adds no empty line).
std::string JoinLines(std::string_view text);

// The archive document of the chosen template: "TEMPLATE1.HTML" when option 1
// is selected, else "TEMPLATE2.HTML" for option 2, else "TEMPLATE3.HTML".
const char* TemplateDocumentName(const TSalesLetter& letter);

// The template text (any line ends) with all placeholder steps applied in
// their fixed order, each value inserted as it stands, and every line ended
// by CR LF. The page's own placeholders ({@langcode@}, {@year@},
// {@headerimage@}, {@ecoverimage@}, {@icon@}, {@credit@}) are filled for this
// year.
std::string BuildSalesPage(const TSalesLetter& letter, std::string_view templateText);

// The page as it is published: the same steps, each value written for where
// it lands (entities in attributes, encoded web addresses, typed line breaks
// of list fields as <br>, colours that are colours, a title and description
// taken from the headlines when left empty), then the last pass of
// TidyPage: no empty element, empty <meta> or link without an address.
std::string BuildSalesPage(const TSalesLetter& letter, std::string_view templateText,
                           const PageContext& context);

// The chosen template's text: reloads the executable's image and passes the
// document through a private scratch file in the temporary folder, removed
// at once. Throws platform::IoError when the template is missing ("The
// template "TEMPLATE2.HTML" is missing from <program>") or the scratch file
// cannot be written. Safe to call from any thread; calls run one after another.
std::string ReadTemplate(const TSalesLetter& letter);

// The page compiled from the record, as CompileSalesLetter writes it (the live
// preview shows it). Throws like ReadTemplate.
std::string CompileSalesPage(const TSalesLetter& letter,
                             const PageContext& context = DefaultPageContext());

// Compiles the record into the page at `targetFileName` (a full path) and
// replaces the target file atomically; pictures stay where the fields point
// (Preview). Throws platform::IoError (ReadTemplate's, or "Cannot create file
// "<path>". <reason>"); the target is then untouched.
void CompileSalesLetter(const TSalesLetter& letter, const std::string& targetFileName,
                        const PageContext& context = DefaultPageContext());
