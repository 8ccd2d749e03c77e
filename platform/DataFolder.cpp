#include "DataFolder.h"

#include "FileSystem.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
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

} // namespace

std::string userDataFolder() {
#ifdef _WIN32
    std::string base = environment("APPDATA");
    if (base.empty())
        base = environment("USERPROFILE") + "\\AppData\\Roaming";
#else
    std::string base = environment("XDG_DATA_HOME");
    if (base.empty() || base.front() != '/')
        base = environment("HOME") + "/.local/share";
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

std::string dataFolder() {
    std::lock_guard lock(cacheMutex);
    if (!testDataFolder.empty())
        return testDataFolder;
    std::string program = programFolder();
    if (program != cachedProgramFolder || cachedDataFolder.empty()) {
        cachedProgramFolder = program;
        if (!program.empty() && folderIsWritable(program)) {
            cachedDataFolder = program;
        } else {
            cachedDataFolder = userDataFolder();
            forceDirectories(cachedDataFolder);
        }
    }
    return cachedDataFolder;
}

void setDataFolderForTesting(const std::string& folder) {
    std::lock_guard lock(cacheMutex);
    testDataFolder = folder.empty() ? std::string() : withSeparator(folder);
}

} // namespace platform
