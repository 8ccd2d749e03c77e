// Recovery copies of the wizard's record: what the user typed since the last
// save, kept on disk so that a crash, a killed process or a power cut loses
// nothing.
//
// A copy is a project file (the "Project" section, every value whole, UTF-8 as
// typed) with a "Recovery" section that names the project file that was
// current, the window's caption and the time of the last change. Values that a
// project file cannot hold exactly (a "~~" typed into a memo, a lone line
// break, a Ctrl-Z) are repeated in an "Exact" section, so a copy gives back
// every field byte for byte; a program that opens the copy as a project file
// still finds every field in "Project".
//
// Copies live in their own folder (platform::dataFolder() + "Recovery"); a
// copy the user declines goes to its "Discarded" subfolder, which keeps the
// last five. Which copy belongs to which running program is the caller's
// business (a lock file beside each copy).
#pragma once

#include "SalesLetter.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct RecoveryCopy {
    TSalesLetter letter;
    std::string projectFile;     // the current project file; empty while untitled
    std::string caption;         // the window's caption when the copy was written
    std::int64_t lastChange = 0; // seconds since 1970-01-01 UTC
    // The welcome page as it was (group, project, name field), and the
    // project file's platform::fileStamp when it was last loaded or saved.
    std::string group, project, name, projectStamp;
};

// The recovery folder of this program (no separator at the end).
std::string RecoveryFolder();
// How many declined copies "Discarded" keeps.
inline constexpr std::size_t kDiscardedKept = 5;
// The extension of a copy.
inline constexpr const char* kRecoveryExtension = ".prj";

// The text of a copy, and back. ParseRecovery throws std::runtime_error when
// the text is not a recovery copy.
std::string RecoveryText(const RecoveryCopy& copy);
RecoveryCopy ParseRecovery(std::string_view text);

// Writes a copy atomically, creating the folder when missing. Throws
// platform::IoError naming the file.
void WriteRecovery(const std::string& path, const RecoveryCopy& copy);
// Reads a copy. Throws std::runtime_error naming the file and the reason.
RecoveryCopy ReadRecovery(const std::string& path);

// A new file name for this session's copy in `folder`, unlike any other.
std::string NewRecoveryPath(const std::string& folder);
// The copies in `folder` (not in its subfolders), the most recent first.
std::vector<std::string> ListRecoveries(const std::string& folder);
// Removes a copy; a copy that is already gone is fine.
void RemoveRecovery(const std::string& path);
// Moves a copy into "Discarded" beside it and keeps only the last `keep`
// copies there. Returns the new path. Throws platform::IoError.
std::string DiscardRecovery(const std::string& path, std::size_t keep = kDiscardedKept);
