#include "ExeMod.h"

#include "ArchiveFormat.h"
#include "ExeModDetail.h"
#include "platform/FileSystem.h"
#include "platform/Services.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace ExeMod {
namespace {

std::string image;
bool endRequested = false;

using Guard = std::lock_guard<std::recursive_mutex>;

} // namespace

namespace detail {

std::string fullPathOf(const std::string& fileName) {
    if (platform::fsPath(fileName).is_absolute())
        return fileName;
    return platform::programFolder() + fileName;
}

void makeRunnable([[maybe_unused]] const std::string& path) {
#ifndef _WIN32
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return;
    mode_t mode = st.st_mode & 07777;
    if (mode & S_IRUSR)
        mode |= S_IXUSR;
    if (mode & S_IRGRP)
        mode |= S_IXGRP;
    if (mode & S_IROTH)
        mode |= S_IXOTH;
    ::chmod(path.c_str(), mode);
#endif
}

} // namespace detail

const std::string& ExeImage() {
    return image;
}

std::recursive_mutex& ImageLock() {
    static std::recursive_mutex lock;
    return lock;
}

void LoadExeImage() {
    const Guard guard(ImageLock());
    // Read in one go; the running program file is shared with everyone.
    std::string fresh = platform::readFile(platform::programPath());
    image.swap(fresh);
}

std::string GetDocument(const std::string& name) {
    const Guard guard(ImageLock());
    if (image.empty())
        LoadExeImage();
    return archiveformat::FindDocument(image, name);
}

void ExtractDocument(const std::string& name, const std::string& fileName) {
    std::string body = GetDocument(name);
    if (!body.empty())
        SaveBytesToFile(body, fileName);
}

void SaveBytesToFile(const std::string& bytes, const std::string& fileName) {
    if (bytes.empty())
        return;
    platform::setCurrentDirectory(platform::programFolder());
    std::string path = detail::fullPathOf(fileName);
    if (int e = platform::writeFileAtomic(path, bytes))
        throw platform::IoError("Cannot create file \"" + path + "\". " + platform::systemReason(e),
                                e);
}

void SaveExeImage(const std::string& fileName) {
    const Guard guard(ImageLock());
    if (image.empty())
        LoadExeImage();
    SaveBytesToFile(image, fileName);
    detail::makeRunnable(detail::fullPathOf(fileName));
}

void DelayWithMessages(int ms) {
    const std::uint32_t start = platform::tickCount();
    const std::uint32_t wait = ms > 0 ? static_cast<std::uint32_t>(ms) : 0;
    // Unsigned difference: correct across the tick counter's wrap-around.
    while (platform::tickCount() - start < wait) {
        platform::processEvents();
        // A short nap instead of spinning, so the wait does not hog a core.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

char WindowsDrive() {
#ifdef _WIN32
    char buffer[MAX_PATH + 1];
    UINT n = GetWindowsDirectoryA(buffer, sizeof buffer);
    return n > 0 ? buffer[0] : 'C';
#else
    return '/';
#endif
}

namespace {
std::string testDriveRoot;
}

void SetWindowsDriveRootForTesting(const std::string& folder) {
    testDriveRoot = folder;
}

std::string WindowsDriveRoot() {
    if (!testDriveRoot.empty())
        return testDriveRoot;
#ifdef _WIN32
    return std::string(1, WindowsDrive()) + ":\\";
#else
    // No drives here: a per-user writable folder stands for the drive's root.
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.local/share";
    else
        base = platform::tempFolder();
    if (base.back() != '/')
        base += '/';
    return base + "Quillmere/";
#endif
}

void ArchiveShutdown() {
    const Guard guard(ImageLock());
    std::string().swap(image);
}

bool EndRequested() {
    return endRequested;
}
void RequestEnd() {
    endRequested = true;
}
void ResetEndRequestForTesting() {
    endRequested = false;
}

} // namespace ExeMod
