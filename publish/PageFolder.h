// The page made ready to upload in a private temporary folder (only the user
// can read it), removed with the object.
#pragma once

#include "salesletter/SalesLetter.h"

#include <string>

namespace publish {

class PageFolder {
public:
    // Exports the record as the wizard's Finish does: index.html and images/.
    // Throws like ExportSalesLetter (a missing picture, a missing template).
    explicit PageFolder(const TSalesLetter& letter);
    ~PageFolder();
    PageFolder(const PageFolder&) = delete;
    PageFolder& operator=(const PageFolder&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// A project file loaded as the wizard's Open does; throws when the file is
// missing or no project file.
TSalesLetter loadProjectFile(const std::string& project);

} // namespace publish
