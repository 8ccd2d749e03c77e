// File system and process services, window-free: the program's own path and
// folder, the temporary folder, the read-only attribute, folder creation,
// whole-file reads and the crash-safe whole-file write.
//
// Paths are UTF-8 text, as the rest of the program holds them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// An I/O failure with the system's error number and reason.
class IoError : public std::runtime_error {
public:
    IoError(const std::string& message, int code) : std::runtime_error(message), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

// The system's reason text for an error number ("No such file or directory").
std::string systemReason(int code);

// A path for std::filesystem from the program's UTF-8 text. Built straight
// from a char string, the library reads each byte as a character of its own
// on Windows ("Caf\xc3\xa9" would name "CafÃ©"), so every path handed to it
// goes through here. A byte that starts no UTF-8 character becomes U+FFFD
// there, as in the narrow Windows calls and the C library, so all of them
// name the same file; elsewhere the bytes are the name.
std::filesystem::path fsPath(std::string_view utf8);

// Full path of the running executable.
std::string programPath();
// Folder of the running executable, ending with a separator.
std::string programFolder();
// Tests point the program at another executable path (and so another program
// folder); an empty path returns to the real one.
void setProgramPathForTesting(const std::string& path);

// The user's temporary folder, ending with a separator (as GetTempPath gives it):
// %TMP%/%TEMP% on Windows, $TMPDIR or /tmp elsewhere.
std::string tempFolder();

// Milliseconds from an arbitrary start, steadily increasing.
std::uint32_t tickCount();

bool fileExists(const std::string& path);   // an existing entry that is not a folder
bool folderExists(const std::string& path); // an existing folder

// The read-only attribute. On Windows the FILE_ATTRIBUTE_READONLY bit; elsewhere
// a file counts as read-only when its owner has no write permission, and
// setting or clearing the attribute clears or sets that permission.
bool isReadOnly(const std::string& path);
bool setReadOnly(const std::string& path, bool readOnly);

bool deleteFile(const std::string& path);       // a file, not a folder
bool createDirectory(const std::string& path);  // one level
bool forceDirectories(const std::string& path); // with all missing parents
bool setCurrentDirectory(const std::string& path);

// Reads a whole file. Throws IoError("Cannot open file \"<path>\". <reason>")
// when it cannot be opened or read.
std::string readFile(const std::string& path);

// Replaces `path` with exactly `data`, never leaving a half-written file: the
// bytes go to a new file beside it, are flushed to disk, and only then take the
// old file's place. On failure the old file is untouched, the scratch file is
// removed, and the error number is returned (0 on success).
//
// An existing target with the read-only attribute is refused with EACCES, as
// Windows refuses to open it for writing (even for an administrator, unlike
// POSIX permissions for root). The target keeps its permissions.
//
// An existing file that may be written in a folder that takes no new files is
// rewritten in place instead (the old bytes are put back when the new ones do
// not fit); only there can a crash in mid-write leave a mixed file.
//
// A save that is killed leaves its scratch file ("<name>.~<digits>.tmp"); the
// next successful save of the same file removes those untouched for an hour.
//
// The scratch file is readable by its owner alone while it is written. With
// FileAccess::OwnerOnly the file itself ends up so too (0600), whatever rights
// an older file had: drafts, previews and other private copies.
enum class FileAccess { Shared, OwnerOnly };
int writeFileAtomic(const std::string& path, std::string_view data,
                    FileAccess access = FileAccess::Shared);

// Like writeFileAtomic, but throws IoError("Cannot create file \"<path>\". <reason>").
void saveFileAtomic(const std::string& path, std::string_view data,
                    FileAccess access = FileAccess::Shared);

#ifdef _WIN32
// The error number (errno) for a Windows error code (GetLastError).
int errnoFromWindows(unsigned long code);
#endif

// Test hook: make the next atomic writes fail with ENOSPC once `bytes` bytes
// have been written in total (-1, the default, turns the fault off).
void setWriteFaultForTesting(long long bytes);

} // namespace platform
