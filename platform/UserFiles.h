// Where the user's own files are, and whether two names are one file.
#pragma once

#include <string>

namespace platform {

// The user's documents folder, without a separator at the end: the XDG
// documents folder ($XDG_DOCUMENTS_DIR or ~/.config/user-dirs.dirs) or
// ~/Documents when it exists, else the home folder; %USERPROFILE%\Documents on
// Windows. Empty only when the home folder itself is unknown. Never the file
// system's root and never the program's folder.
std::string documentsFolder();

// True when both paths name one existing file, however each is written (links,
// "..", another letter case where the file system ignores it): compared by
// device and file number.
bool sameFile(const std::string& a, const std::string& b);

// A short text that changes whenever the file is rewritten (its size and time
// of last change); empty when there is no such file.
std::string fileStamp(const std::string& path);

} // namespace platform
