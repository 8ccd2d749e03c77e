// Copying and deleting files and whole folder trees, the way the desktop shell
// does it for the program's windows: no progress window, no questions (files
// of the same name at the destination are replaced), no undo.
//
// Both operations stay inside the folder tree they are given: a symbolic link
// met on the way is copied or removed as a link, never followed. A failure is
// shown as the shell shows it, a message box with the system's reason, and the
// operation stops there; the result says whether everything was done.
#pragma once

#include <string>

namespace platform {

// Copies the file or folder `source` to `destination` (the full path of the
// copy, not the folder that receives it). A folder is copied with its whole
// tree and merged into a folder of the same name that already exists.
// `within`, when not empty, is the folder the copy must land strictly inside;
// any other destination is refused. A folder is never copied into itself.
bool shellCopy(const std::string& source, const std::string& destination,
               const std::string& within = std::string());

// Deletes the file or folder tree `path` permanently. `within` is the folder
// the target must lie strictly inside ("." and ".." included in the path do
// not get around it); any other target is refused. A missing target is not
// an error.
bool shellDelete(const std::string& path, const std::string& within);

// Whether `path` lies strictly inside the folder `root`, judged on the real
// folders (symbolic links of the folders above `path` resolved, `path`'s own
// last component taken as it is).
bool liesStrictlyInside(const std::string& path, const std::string& root);

} // namespace platform
