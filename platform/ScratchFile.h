// A private scratch file in the user's temporary folder: a new, uniquely
// named file that only its owner may read, removed when the object goes.
#pragma once

#include <string>
#include <string_view>

namespace platform {

class ScratchFile {
public:
    // Creates the file "<temp folder>qm-<random><suffix>" holding `data`.
    // Throws IoError("Cannot create file \"<path>\". <reason>") when the file
    // cannot be created or written; nothing is left behind then.
    ScratchFile(std::string_view suffix, std::string_view data);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace platform
