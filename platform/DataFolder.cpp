#include "DataFolder.h"

#include "FileSystem.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {
namespace {

std::mutex cacheMutex;
std::string testDataFolder;
std::string cachedProgramFolder;
std::string cachedDataFolder;

std::string withSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\')
        folder += kPathSeparator;
    return folder;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// `path` with links and "." / ".." resolved as far as it exists.
std::string resolved(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::weakly_canonical(fsPath(path), ec);
    return ec ? path : real.generic_string();
}

// Whether `path` is `folder` or lies inside it ('/' separators both).
bool inside(std::string path, std::string folder) {
#ifdef _WIN32
    for (std::string* s : {&path, &folder})
        for (char& c : *s)
            c = c == '\\' ? '/' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
#endif
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (folder.empty() || folder == "/")
        return false;
    return path.compare(0, folder.size(), folder) == 0 &&
           (path.size() == folder.size() || path[folder.size()] == '/');
}

} // namespace

std::string userDataFolder() {
#ifdef _WIN32
    std::string base = environment("APPDATA");
    if (base.empty()) {
        const std::string profile = environment("USERPROFILE");
        if (profile.empty())
            return {};
        base = profile + "\\AppData\\Roaming";
    }
#else
    std::string base = environment("XDG_DATA_HOME");
    if (base.empty() || base.front() != '/') {
        // Without a home folder there is no per-user place (never "/.local").
        const std::string home = environment("HOME");
        if (home.empty() || home.front() != '/')
            return {};
        base = home + "/.local/share";
    }
#endif
    return withSeparator(withSeparator(base) + "Quillmere");
}

bool folderIsWritable(const std::string& folder) {
    std::string probe = withSeparator(folder) + ".quillmere-write-probe-";
#ifdef _WIN32
    probe += std::to_string(GetCurrentProcessId());
    HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
#else
    probe += std::to_string(::getpid());
    int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
#endif
}

bool isSystemProgramFolder(const std::string& folder) {
    const std::string path = resolved(folder);
#ifdef _WIN32
    for (const char* name : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"}) {
        const std::string system = environment(name);
        if (!system.empty() && inside(path, resolved(system)))
            return true;
    }
    // Where a program is installed for one user alone (the user's own
    // program files): installed, so its data goes to the user's data folder
    // and survives the uninstaller.
    const std::string local = environment("LOCALAPPDATA");
    return !local.empty() && inside(path, resolved(local + "\\Programs"));
#else
    for (const char* system : {"/usr", "/opt", "/bin", "/sbin"})
        if (inside(path, system) || inside(path, resolved(system)))
            return true;
    return false;
#endif
}

bool isPortableFolder(const std::string& folder) {
    if (folder.empty())
        return false;
#ifndef _WIN32
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    const uid_t user = ::geteuid();
    if (st.st_uid != user || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return false;
    if (user == 0 && isSystemProgramFolder(folder))
        return false;
#else
    if (isSystemProgramFolder(folder))
        return false;
#endif
    return folderIsWritable(folder);
}

bool makePrivateFolder(const std::string& folder) {
    std::string path = folder;
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    if (folderExists(path))
        return true;
#ifdef _WIN32
    return forceDirectories(path);
#else
    const std::string parent = fsPath(path).parent_path().string();
    if (!parent.empty() && !folderExists(parent) && !forceDirectories(parent))
        return false;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    return folderExists(path);
#endif
}

std::string dataFolderProblem() {
    {
        std::lock_guard lock(cacheMutex);
        if (!testDataFolder.empty())
            return {};
    }
    if (isPortableFolder(programFolder()) || !userDataFolder().empty())
        return {};
#ifdef _WIN32
    return "Quillmere cannot find your user profile folder (APPDATA and USERPROFILE are not "
           "set), so it has no place for your projects and drafts. Please start it from your "
           "own account.";
#else
    return "Quillmere cannot find your home folder (HOME is not set to an absolute path), so "
           "it has no place for your projects and drafts. Please start it with HOME set to "
           "your home folder.";
#endif
}

std::string dataFolder() {
    std::lock_guard lock(cacheMutex);
    if (!testDataFolder.empty())
        return testDataFolder;
    std::string program = programFolder();
    if (program != cachedProgramFolder || cachedDataFolder.empty()) {
        if (isPortableFolder(program)) {
            cachedDataFolder = program;
        } else {
            const std::string users = userDataFolder();
            if (users.empty())
                throw IoError("There is no data folder: no home folder is set (HOME).", ENOENT);
            cachedDataFolder = users;
            makePrivateFolder(cachedDataFolder);
        }
        cachedProgramFolder = program;
    }
    return cachedDataFolder;
}

void setDataFolderForTesting(const std::string& folder) {
    std::lock_guard lock(cacheMutex);
    testDataFolder = folder.empty() ? std::string() : withSeparator(folder);
    cachedProgramFolder.clear();
    cachedDataFolder.clear();
}

} // namespace platform
