// ArchiveStartup: runs at every start, before any window exists.
//
// 1. The program folder becomes the current folder.
// 2. An executable with the read-only attribute loses it; when that has no
//    effect (a medium that cannot be written) the executable is copied to a
//    writable place, the copy is started and the end of this run is requested.
// 3. Started with "deltemp": the rewriting copy temp0a0.exe is removed.
// 4. Running as TEMP0A0.EXE: this copy replaces the program named by its first
//    argument with its own bytes, starts it with "deltemp" and asks to end.
#include "ExeMod.h"

#include "ExeModDetail.h"
#include "platform/FileSystem.h"
#include "platform/PathParts.h"
#include "platform/Services.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace ExeMod {
namespace {

// The brand file that a copy on a writable medium needs beside it.
const char kBrandFileName[] = "Quillmere.dat";
const char kRewriterName[] = "TEMP0A0.EXE";

std::uint32_t deletionTimeout = 60000;
bool readOnlyMedium = false;
std::function<bool(const std::string&)> deleteHook;

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool removeFile(const std::string& path) {
    return deleteHook ? deleteHook(path) : platform::deleteFile(path);
}

// Deletes `path`, retrying while it cannot be deleted (the program holding it
// has not ended yet), clearing its read-only attribute between tries. Gives up
// after the deletion timeout instead of retrying for ever. True when gone.
bool deleteUntilGone(const std::string& path) {
    const std::uint32_t start = platform::tickCount();
    while (platform::fileExists(path)) {
        if (platform::tickCount() - start >= deletionTimeout)
            return false;
        if (removeFile(path))
            continue;
        if (platform::isReadOnly(path))
            platform::setReadOnly(path, false);
        DelayWithMessages(10);
    }
    return true;
}

void reportFailure(const std::string& text) {
    platform::showError(text);
}

std::string stillRunning(const std::string& path) {
    return "Cannot delete \"" + path +
           "\": the program is still running. It was left as it is; close it and try again.";
}

// Copies the brand file along unless the copy's folder already has one; without
// it the copy could only report that it is not branded. Failures are left to
// that same report.
void copyBrandFileAlong(const std::string& toFolder) {
    std::string from = platform::programFolder() + kBrandFileName;
    std::string to = toFolder + kBrandFileName;
    if (platform::fileExists(to) || !platform::fileExists(from))
        return;
    try {
        platform::writeFileAtomic(to, platform::readFile(from));
    } catch (const platform::IoError&) {
    }
}

void handleReadOnlyExecutable(const std::string& exe) {
    if (!platform::isReadOnly(exe))
        return;
    if (!readOnlyMedium)
        platform::setReadOnly(exe, false);
    if (!platform::isReadOnly(exe))
        return;

    // The medium cannot be written: run from a copy in a writable place,
    // <root>/<name>/<name>, the folder bearing the executable's full file name.
    const std::string name = platform::lastPathPart(exe);
    const std::string folder = WindowsDriveRoot() + name;
    const std::string copy = folder + platform::kPathSeparator + name;
    try {
        if (!platform::fileExists(copy)) {
            platform::forceDirectories(WindowsDriveRoot());
            platform::createDirectory(folder);
            SaveExeImage(copy);
        }
        copyBrandFileAlong(folder + platform::kPathSeparator);
        platform::services().startProgram(copy, {});
    } catch (const std::exception& e) {
        reportFailure(e.what());
    }
    RequestEnd();
}

// The rewriting copies in the program folder: "temp0a0.exe" in any letter case,
// as a case-insensitive file system would match it.
std::vector<std::string> rewriterCopies() {
    std::vector<std::string> found;
    std::error_code ec;
    for (auto it =
             std::filesystem::directory_iterator(platform::fsPath(platform::programFolder()), ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (upper(name) == kRewriterName && !it->is_directory(ec))
            found.push_back(platform::programFolder() + name);
    }
    return found;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(platform::fsPath(a), platform::fsPath(b), ec);
}

void rewriteTarget(const std::string& exe, int argc, char** argv) {
    // Without a target there is nothing to rewrite; a copy that names itself
    // would destroy itself.
    std::string target = argc > 1 ? detail::fullPathOf(argv[1]) : std::string();
    if (!target.empty() && argv[1][0] != '\0' && !sameFile(target, exe)) {
        try {
            LoadExeImage();
            // A target that cannot be deleted belongs to a program still
            // running: leave it as it is and start nothing.
            if (!deleteUntilGone(target)) {
                reportFailure(stillRunning(target));
                RequestEnd();
                return;
            }
            SaveExeImage(target);
            platform::services().startProgram(target, {"deltemp"});
        } catch (const std::exception& e) {
            reportFailure(e.what());
        }
    }
    RequestEnd();
}

} // namespace

void SetDeletionTimeoutForTesting(std::uint32_t ms) {
    deletionTimeout = ms;
}
void SimulateReadOnlyMediumForTesting(bool on) {
    readOnlyMedium = on;
}
void SetDeleteFileForTesting(std::function<bool(const std::string&)> deleteFile) {
    deleteHook = std::move(deleteFile);
}

void ArchiveStartup(int argc, char** argv) {
    const std::string exe = platform::programPath();
    platform::setCurrentDirectory(platform::programFolder());

    handleReadOnlyExecutable(exe);

    if (argc > 1 && std::string(argv[1]) == "deltemp")
        for (const std::string& copy : rewriterCopies())
            if (!sameFile(copy, exe) && !deleteUntilGone(copy))
                reportFailure(stillRunning(copy));

    if (upper(platform::lastPathPart(exe)) == kRewriterName)
        rewriteTarget(exe, argc, argv);
}

} // namespace ExeMod
