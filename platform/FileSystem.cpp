#include "FileSystem.h"
#include "PathParts.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace platform {
namespace {

std::string testProgramPath;
long long writeFaultBudget = -1;

} // namespace

std::string systemReason(int code) {
#ifdef _WIN32
    char buffer[256];
    strerror_s(buffer, sizeof buffer, code);
    return buffer;
#else
    return std::strerror(code);
#endif
}

fs::path fsPath(std::string_view utf8) {
#ifdef _WIN32
    // Converted as the narrow calls convert it under the program's UTF-8
    // code page, so both name the same file.
    const int size = static_cast<int>(utf8.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), n);
    return fs::path(std::move(wide));
#else
    return fs::path(utf8);
#endif
}

std::string programPath() {
    if (!testProgramPath.empty())
        return testProgramPath;
#ifdef _WIN32
    char buffer[MAX_PATH * 4];
    DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    return std::string(buffer, n);
#else
    std::error_code ec;
    auto p = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
#endif
}

std::string programFolder() {
    return folderPartWithDelimiter(programPath());
}

void setProgramPathForTesting(const std::string& path) {
    testProgramPath = path;
}

std::string tempFolder() {
    std::string folder;
#ifdef _WIN32
    char buffer[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof buffer, buffer);
    folder.assign(buffer, n);
#else
    if (const char* t = std::getenv("TMPDIR"); t && *t)
        folder = t;
    else
        folder = "/tmp";
#endif
    if (folder.empty() || (folder.back() != '/' && folder.back() != '\\'))
        folder += kPathSeparator;
    return folder;
}

std::uint32_t tickCount() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    auto st = fs::status(fsPath(path), ec);
    return !ec && fs::exists(st) && !fs::is_directory(st);
}

bool folderExists(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(fsPath(path), ec);
}

bool isReadOnly(const std::string& path) {
#ifdef _WIN32
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY);
#else
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !(st.st_mode & S_IWUSR);
#endif
}

bool setReadOnly(const std::string& path, bool readOnly) {
#ifdef _WIN32
    DWORD a = GetFileAttributesA(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES)
        return false;
    a = readOnly ? (a | FILE_ATTRIBUTE_READONLY) : (a & ~FILE_ATTRIBUTE_READONLY);
    return SetFileAttributesA(path.c_str(), a) != 0;
#else
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    mode_t mode = st.st_mode & 07777;
    mode = readOnly ? (mode & ~S_IWUSR) : (mode | S_IWUSR);
    return ::chmod(path.c_str(), mode) == 0;
#endif
}

bool deleteFile(const std::string& path) {
#ifdef _WIN32
    return DeleteFileA(path.c_str()) != 0;
#else
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    return ::unlink(path.c_str()) == 0;
#endif
}

bool createDirectory(const std::string& path) {
    std::error_code ec;
    return fs::create_directory(fsPath(path), ec);
}

bool forceDirectories(const std::string& path) {
    std::error_code ec;
    const fs::path p = fsPath(path);
    fs::create_directories(p, ec);
    return fs::is_directory(p, ec);
}

bool setCurrentDirectory(const std::string& path) {
    std::error_code ec;
    fs::current_path(fsPath(path), ec);
    return !ec;
}

std::string readFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        int e = errno;
        throw IoError("Cannot open file \"" + path + "\". " + systemReason(e), e);
    }
    std::string data;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        data.append(buffer, n);
    bool failed = std::ferror(f);
    int e = errno;
    std::fclose(f);
    if (failed)
        throw IoError("Cannot open file \"" + path + "\". " + systemReason(e), e);
    return data;
}

#ifdef _WIN32
// The error number for a Windows error code, so the reason shown is the real
// one ("No such file or directory", "No space left on device", ...).
int errnoFromWindows(unsigned long code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_NETWORK_ACCESS_DENIED:
        return EACCES;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
        return EINVAL;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    default:
        return EIO;
    }
}
#endif

void setWriteFaultForTesting(long long bytes) {
    writeFaultBudget = bytes;
}

namespace {

// How much of `wanted` bytes the test fault budget lets through next (0: the
// disk is "full").
size_t allowedChunk(size_t wanted) {
    if (writeFaultBudget < 0)
        return wanted;
    return std::min<size_t>(wanted, static_cast<size_t>(writeFaultBudget));
}

} // namespace

#ifndef _WIN32
namespace {

// Writes all of `data` to `fd`, honouring the test fault budget.
int writeAll(int fd, std::string_view data) {
    size_t done = 0;
    while (done < data.size()) {
        const size_t chunk = allowedChunk(data.size() - done);
        if (chunk == 0)
            return ENOSPC;
        ssize_t n = ::write(fd, data.data() + done, chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += static_cast<size_t>(n);
        if (writeFaultBudget >= 0)
            writeFaultBudget -= n;
    }
    return 0;
}

// Rewrites an existing file in place, for a file that may be changed in a
// folder that takes no new files (so no scratch file can be made beside it).
// The new bytes go over the old ones from the start and the file is cut only
// after all of them are written; if they do not fit, the old bytes are put
// back into the room they held.
int rewriteInPlace(const std::string& path, std::string_view data) {
    std::string old;
    try {
        old = readFile(path);
    } catch (const IoError& e) {
        return e.code();
    }
    int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int err = writeAll(fd, data);
    if (!err && ::ftruncate(fd, static_cast<off_t>(data.size())) != 0)
        err = errno;
    if (!err && ::fsync(fd) != 0)
        err = errno;
    if (err) {
        const long long budget = writeFaultBudget;
        writeFaultBudget = -1;
        if (::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, old) == 0)
            (void)!::ftruncate(fd, static_cast<off_t>(old.size()));
        ::fsync(fd);
        writeFaultBudget = budget;
    }
    if (::close(fd) != 0 && !err)
        err = errno;
    return err;
}

} // namespace
#else
namespace {

// A path for the wide-character calls: UTF-8 as the program holds it, read as
// fsPath reads it (so both name the same file), made absolute, and
// in the "\\?\" form when it would reach MAX_PATH, which the plain form
// cannot pass.
std::wstring systemPath(const std::string& path) {
    const std::wstring wide = fsPath(path).native();
    const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return wide;
    std::wstring full(n, L'\0');
    full.resize(GetFullPathNameW(wide.c_str(), n, full.data(), nullptr));
    if (full.size() < MAX_PATH - 1 || full.rfind(L"\\\\?\\", 0) == 0)
        return full;
    if (full.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// Writes all of `data` to `file`, honouring the test fault budget.
int writeAll(HANDLE file, std::string_view data) {
    size_t done = 0;
    while (done < data.size()) {
        const size_t chunk = std::min<size_t>(allowedChunk(data.size() - done), 1u << 30);
        if (chunk == 0)
            return ENOSPC;
        DWORD written = 0;
        if (!WriteFile(file, data.data() + done, static_cast<DWORD>(chunk), &written, nullptr))
            return errnoFromWindows(GetLastError());
        done += written;
        if (writeFaultBudget >= 0)
            writeFaultBudget -= written;
    }
    return 0;
}

} // namespace
#endif

namespace {

// Removes the scratch files of `target` ("<name>.~<digits>.tmp") that saves
// killed in mid-write left behind. Only those untouched for an hour go: a
// save in progress keeps its scratch file fresh.
void removeLeftoverScratchFiles(const std::string& target) {
    std::error_code ec;
    const fs::path t = fsPath(target);
    const std::string head = t.filename().string() + ".~";
    const auto cutoff = fs::file_time_type::clock::now() - std::chrono::hours(1);
    fs::path folder = t.parent_path();
    if (folder.empty())
        folder = ".";
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= head.size() + 4 || name.compare(0, head.size(), head) != 0 ||
            name.compare(name.size() - 4, 4, ".tmp") != 0)
            continue;
        const std::string number = name.substr(head.size(), name.size() - head.size() - 4);
        if (!std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        std::error_code fileEc;
        if (it->is_regular_file(fileEc) && it->last_write_time(fileEc) < cutoff && !fileEc)
            fs::remove(it->path(), fileEc);
    }
}

} // namespace

#ifndef _WIN32
namespace {

// The rights a new file gets from the process's file-creation mask, read
// without changing the mask (which other threads may rely on meanwhile).
mode_t newFileMode() {
    static const mode_t mode = [] {
        mode_t mask = 022;
        if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
            char line[128];
            while (std::fgets(line, sizeof line, f))
                if (std::strncmp(line, "Umask:", 6) == 0) {
                    mask = static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8));
                    break;
                }
            std::fclose(f);
        }
        return static_cast<mode_t>(0666 & ~mask);
    }();
    return mode;
}

} // namespace
#endif

int writeFileAtomic(const std::string& path, std::string_view data,
                    [[maybe_unused]] FileAccess access) {
    std::error_code ec;
    // Write through a symbolic link to the file it names, keeping the link.
    std::string target = path;
    if (const fs::path p = fsPath(path); fs::is_symlink(p, ec)) {
        auto resolved = fs::weakly_canonical(p, ec);
        if (!ec)
            target = resolved.string();
    }
    if (fs::is_directory(fsPath(target), ec))
        return EISDIR;
    if (fileExists(target) && isReadOnly(target))
        return EACCES;

    static std::mt19937 rng{std::random_device{}()};
    auto scratchName = [&] { return target + ".~" + std::to_string(rng() % 1000000) + ".tmp"; };
    std::string scratch = scratchName();

#ifdef _WIN32
    // A scratch file of the same name, left by a save that was killed, is
    // passed over.
    HANDLE file = INVALID_HANDLE_VALUE;
    std::wstring wideScratch;
    for (int attempt = 0;; ++attempt) {
        wideScratch = systemPath(scratch);
        file = CreateFileW(wideScratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || attempt == 99 ||
            (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS))
            break;
        scratch = scratchName();
    }
    if (file == INVALID_HANDLE_VALUE)
        return errnoFromWindows(GetLastError());
    int err = writeAll(file, data);
    // The bytes reach the disk before the new file takes the old one's place.
    if (!err && !FlushFileBuffers(file))
        err = errnoFromWindows(GetLastError());
    if (!CloseHandle(file) && !err)
        err = errnoFromWindows(GetLastError());
    if (!err && !MoveFileExW(wideScratch.c_str(), systemPath(target).c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        err = errnoFromWindows(GetLastError());
    if (err) {
        DeleteFileW(wideScratch.c_str());
        return err;
    }
    removeLeftoverScratchFiles(target);
    return 0;
#else
    struct stat st {};
    bool existed = ::stat(target.c_str(), &st) == 0;
    const mode_t mode = access == FileAccess::OwnerOnly ? 0600
                        : existed ? st.st_mode & 07777
                                  : newFileMode();

    // A scratch file of the same name, left by a save that was killed (or
    // made by a process that shares this one's random state), is passed over.
    int fd = -1;
    for (int attempt = 0;; ++attempt) {
        fd = ::open(scratch.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST || attempt == 99)
            break;
        scratch = scratchName();
    }
    if (fd < 0) {
        const int e = errno;
        if (existed && S_ISREG(st.st_mode) && (e == EACCES || e == EPERM)) {
            const int e2 = rewriteInPlace(target, data);
            if (e2 == 0 && access == FileAccess::OwnerOnly)
                ::chmod(target.c_str(), 0600);
            return e2;
        }
        return e;
    }
    int err = writeAll(fd, data);
    if (!err && ::fsync(fd) != 0)
        err = errno;
    if (!err && (mode & 07777) != 0600 && ::fchmod(fd, mode) != 0)
        err = errno;
    if (::close(fd) != 0 && !err)
        err = errno;
    if (!err && ::rename(scratch.c_str(), target.c_str()) != 0)
        err = errno;
    if (err) {
        ::unlink(scratch.c_str());
        return err;
    }
    // Make the rename itself durable.
    std::string dir = folderPartWithDelimiter(target);
    int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    removeLeftoverScratchFiles(target);
    return 0;
#endif
}

void saveFileAtomic(const std::string& path, std::string_view data, FileAccess access) {
    if (int e = writeFileAtomic(path, data, access))
        throw IoError("Cannot create file \"" + path + "\". " + systemReason(e), e);
}

} // namespace platform
