// The sales-letter compiler: fills one of the three page templates appended to
// the executable with the fields of a sales-letter record and writes the page.
//
// Window-free. The wizard's Preview and Finish commands and the command-line
// compiler call CompileSalesLetter / BuildSalesPage; the smaller operations are
// public so that their rules can be tested on their own.
#pragma once

#include <string>
#include <string_view>

struct TSalesLetter;

// Name of the scratch file in the program folder that holds the template
// between its extraction and its reading.
inline constexpr const char* kTemplateScratchName = "Tmp.html";
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

// The finished page: the template text (any line ends) with all placeholder
// steps applied in their fixed order and every line ended by CR LF.
std::string BuildSalesPage(const TSalesLetter& letter, std::string_view templateText);

// The page compiled from the record, as CompileSalesLetter writes it: reloads
// the executable's image and fills the chosen template. Throws platform::IoError
// like CompileSalesLetter when the template cannot be had. Safe to call from
// any thread; calls run one after another.
std::string CompileSalesPage(const TSalesLetter& letter);

// Compiles the record into the page at `targetFileName` (a full path): reloads
// the executable's image, extracts the chosen template to "Tmp.html" in the
// program folder, reads and deletes it, fills it and replaces the target file
// atomically. Throws platform::IoError "Cannot open file "<path>". <reason>"
// or "Cannot create file "<path>". <reason>"; the target is then untouched.
void CompileSalesLetter(const TSalesLetter& letter, const std::string& targetFileName);
