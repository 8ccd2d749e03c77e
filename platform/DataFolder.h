// Where the program keeps its data: Groups.ini, the Groups tree, the preview
// page and the wizard's recovery copies.
//
// A portable copy keeps everything beside the executable: its folder belongs
// to the user who runs it and no one else may write there. Any other copy (an
// installed one, a folder the group shares, root's run of a copy in the
// system's program folders) keeps it in the per-user data folder instead, so
// that no user reads another's drafts. This is the one place that decides;
// nothing else looks at the executable's folder for data.
#pragma once

#include <string>

namespace platform {

// The data folder, ending with a separator: programFolder() for a portable
// copy (see isPortableFolder), otherwise userDataFolder(), created for its
// user alone (0700) when missing. The answer is worked out once for each
// program folder. Throws IoError when there is no per-user folder (no home
// folder): dataFolderProblem() tells why.
std::string dataFolder();

// Empty when dataFolder() has a folder to give; otherwise the message for the
// user, naming what is missing. The program ends after showing it.
std::string dataFolderProblem();

// The per-user data folder, ending with a separator: %APPDATA%\Quillmere\ on
// Windows; $XDG_DATA_HOME/Quillmere/ or ~/.local/share/Quillmere/ elsewhere.
// Empty when the user has no home folder (HOME unset or not an absolute
// path). Not created here.
std::string userDataFolder();

// Whether `folder` may hold a portable copy's data: a new file can be created
// there, and (outside Windows) the folder belongs to the user running the
// program, neither its group nor others may write it, and for root it lies
// outside the system's program folders. On Windows the program folders
// (%ProgramFiles% and its kin) never hold data.
bool isPortableFolder(const std::string& folder);

// Whether `folder` (links followed) is one of the system's program folders or
// lies in one: /usr, /opt, /bin and /sbin; on Windows the program folders,
// the user's own included (%LOCALAPPDATA%\Programs).
bool isSystemProgramFolder(const std::string& folder);

// True when a new file can be created in `folder` (tried for real: permissions,
// read-only media and access rules all count).
bool folderIsWritable(const std::string& folder);

// Creates `folder` (with any missing parents) so that only its owner may
// enter it; a folder that exists keeps its rights. True when it exists
// afterwards.
bool makePrivateFolder(const std::string& folder);

// Tests point the data folder at a folder of their own; an empty path returns
// to the real choice, worked out afresh.
void setDataFolderForTesting(const std::string& folder);

} // namespace platform
