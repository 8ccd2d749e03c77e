// ExeMod: the documents appended to the program's own executable, and the
// start-up routine that runs before any window exists.
//
// The executable's path is platform::programPath(). Everything runs on the
// user-interface thread, except compiles of the live preview (see ImageLock).
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace ExeMod {

// A copy of the whole executable file; empty until first needed. Only for a
// caller that holds ImageLock().
const std::string& ExeImage();

// The one lock of ExeImage. The live preview compiles on a thread of its own
// while the window's thread may write the chart or end the program: every
// operation below that reads or replaces the image takes this lock, and a
// caller that needs several in a row (a reload, then a lookup) holds it
// across them.
std::recursive_mutex& ImageLock();

// Replaces ExeImage with the executable file's current content. Throws
// platform::IoError("Cannot open file \"<path>\". <reason>").
void LoadExeImage();

// The body of the named document (loading the image when it is empty), or
// empty when the document is missing. Names are matched exactly.
std::string GetDocument(const std::string& name);

// Writes the named document's body to `fileName`; nothing happens when the
// body is empty.
void ExtractDocument(const std::string& name, const std::string& fileName);

// Non-empty `bytes`: makes the program folder current, then creates or
// overwrites `fileName` (relative names lie in the program folder) with
// exactly those bytes. Throws platform::IoError("Cannot create file \"<full
// path>\". <reason>"). Empty `bytes`: nothing happens.
void SaveBytesToFile(const std::string& bytes, const std::string& fileName);

// SaveBytesToFile of ExeImage, loading it first when it is empty.
void SaveExeImage(const std::string& fileName);

// Waits `ms` milliseconds, processing pending events meanwhile.
void DelayWithMessages(int ms);

// The drive letter of the Windows folder. Elsewhere the first character of the
// system's root folder, '/'.
char WindowsDrive();

// The folder that stands for WindowsDrive() + ":\", ending with a separator.
// On Windows exactly that; elsewhere a per-user writable folder:
// $XDG_DATA_HOME/Quillmere/, or ~/.local/share/Quillmere/ when it is unset.
std::string WindowsDriveRoot();
// Tests put the drive's root in a folder of their own (ending with a
// separator), so nothing lands in the real one; empty returns to the real one.
void SetWindowsDriveRootForTesting(const std::string& folder);

// The start-up routine: makes the program folder current, handles an
// executable with the read-only attribute or on a read-only medium, the
// "deltemp" clean-up and the TEMP0A0.EXE rewriting copy. It may request the
// end of the program; it never stops early because of that.
void ArchiveStartup(int argc, char** argv);

// Releases ExeImage at program end.
void ArchiveShutdown();

// The end request: the program's entry checks it on the first turn of its
// message loop and then ends.
bool EndRequested();
void RequestEnd();

// Test hooks.
void ResetEndRequestForTesting();
// The longest time a deletion loop of ArchiveStartup retries (default 60 s).
void SetDeletionTimeoutForTesting(std::uint32_t ms);
// Makes flipping the read-only attribute of the executable have no effect, as
// on a medium that cannot be written (root may write anywhere else).
void SimulateReadOnlyMediumForTesting(bool on);
// Replaces the file deletion of the deletion loops (nullptr: the real one).
void SetDeleteFileForTesting(std::function<bool(const std::string&)> deleteFile);

} // namespace ExeMod
