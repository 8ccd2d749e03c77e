// A page ready to upload: the compiled page with every local picture it shows
// copied into an "images" folder beside it, under web-safe names, and
// referred to by relative path.
#pragma once

#include "SalesLetter.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A picture the page shows: where it is now and its name in "images".
struct PagePicture {
    std::string source; // the file as the field names it, resolved
    std::string name;   // web-safe, unique within the page and the folder
    std::string bytes;  // the picture, read and checked
    int width = 0;      // pixels; 0 when the file does not say
    int height = 0;
    bool alreadyThere = false; // images/<name> holds these bytes already
};

// The record as the exported page needs it and the pictures to copy.
struct ExportPlan {
    TSalesLetter letter; // picture paths replaced by "images/<name>"
    std::vector<PagePicture> pictures;
};

struct ExportOptions {
    // The folder relative picture names are resolved against: the project
    // file's folder ("" for the working folder).
    std::string baseFolder;
    // The program's site address for the "Created by" credit ("" for none).
    std::string siteAddress;
};

// A file name fit for a web server: the last path component in lower case,
// each run of characters other than a-z, 0-9, "." , "_" and "-" as one "-",
// no "-" or "." at its start; "picture" when nothing is left of the name.
std::string WebSafeName(std::string_view path);

// The local file a picture reference names, or "" when it names none (a web
// address, a "data:" picture, an empty field). `fromAttribute`: the reference
// is an address from src="…" (its ?query and #fragment are dropped and %XX
// decoded), not a path typed into a picture field. Relative names are
// resolved against `baseFolder`. The preview and the export both use it.
std::string ResolvePicture(std::string_view reference, const std::string& baseFolder,
                           bool fromAttribute);

// The local pictures of the record: the header graphic and the e-cover
// (unless they are web addresses) and every src="…" in another field that
// names a local file (absolute, relative or file://). Each is read and
// checked (PictureFile.h) and gets a web-safe name unique within the page and
// within `imagesFolder` when given (a name used there by other bytes is not
// taken; the same bytes are reused). Throws std::runtime_error naming every
// picture that is missing or refused, and why.
ExportPlan PlanExport(const TSalesLetter& letter, const std::string& baseFolder = {},
                      const std::string& imagesFolder = {});

// The folder "images" beside `pagePath`.
std::string ImagesFolderFor(const std::string& pagePath);

// Writes the page to `pagePath` and its pictures to "images" beside it. Every
// picture is checked and read before anything is written; existing files in
// "images" are never replaced (new bytes get new names) and symbolic links
// there are never followed; the page is written last and atomically, so a
// failure leaves the old page and its pictures as they were.
// `templateText` is the chosen template.
void ExportPage(const TSalesLetter& letter, std::string_view templateText,
                const std::string& pagePath, const ExportOptions& options = {});

// ExportPage with the template from the executable (ReadTemplate).
void ExportSalesLetter(const TSalesLetter& letter, const std::string& pagePath,
                       const ExportOptions& options = {});
