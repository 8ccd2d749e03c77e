// Where the program keeps its data: Groups.ini, the Groups tree, the preview
// page and the wizard's recovery copies.
//
// A copy whose own folder can be written (a portable copy, the build folder)
// keeps everything beside the executable. An installed copy, whose folder
// belongs to the system, keeps it in the per-user data folder instead. This is
// the one place that decides; nothing else looks at the executable's folder
// for data.
#pragma once

#include <string>

namespace platform {

// The data folder, ending with a separator: programFolder() when a file can be
// created there, otherwise userDataFolder() (created when missing). The answer
// is worked out once for each program folder.
std::string dataFolder();

// The per-user data folder, ending with a separator: %APPDATA%\Quillmere\ on
// Windows; $XDG_DATA_HOME/Quillmere/ or ~/.local/share/Quillmere/ elsewhere.
// Not created here.
std::string userDataFolder();

// True when a new file can be created in `folder` (tried for real: permissions,
// read-only media and access rules all count).
bool folderIsWritable(const std::string& folder);

// Tests point the data folder at a folder of their own; an empty path returns
// to the real choice.
void setDataFolderForTesting(const std::string& folder);

} // namespace platform
