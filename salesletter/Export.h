// A page ready to upload: the compiled page with every local picture it shows
// copied into an "images" folder beside it, under web-safe names, and
// referred to by relative path.
#pragma once

#include "SalesLetter.h"

#include <string>
#include <string_view>
#include <vector>

// A picture the page shows: where it is now and its name in "images".
struct PagePicture {
    std::string source; // the path as the field gives it
    std::string name;   // web-safe, unique within the page
};

// The record as the exported page needs it and the pictures to copy.
struct ExportPlan {
    TSalesLetter letter; // picture paths replaced by "images/<name>"
    std::vector<PagePicture> pictures;
};

// A file name fit for a web server: the last path component in lower case,
// each run of characters other than a-z, 0-9, "." , "_" and "-" as one "-",
// no "-" or "." at its start; "picture" when nothing is left of the name.
std::string WebSafeName(std::string_view path);

// The local pictures of the record: the header graphic and the e-cover
// (unless they are web addresses) and every src="…" in another field that
// names an absolute path or a file:// address. Each gets a unique web-safe
// name (the same picture used twice gets one). Throws std::runtime_error
// naming every picture that does not exist.
ExportPlan PlanExport(const TSalesLetter& letter);

// Writes the page to `pagePath` and its pictures to "images" beside it. The
// pictures are checked and read before anything is written, and the page is
// written last and atomically, so a failure never leaves a page pointing at
// pictures that are not there. `templateText` is the chosen template.
void ExportPage(const TSalesLetter& letter, std::string_view templateText,
                const std::string& pagePath);

// ExportPage with the template from the executable (ReadTemplate).
void ExportSalesLetter(const TSalesLetter& letter, const std::string& pagePath);
