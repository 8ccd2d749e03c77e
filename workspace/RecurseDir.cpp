#include "RecurseDir.h"

#include "platform/FileSystem.h"

#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

char fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool wildMatch(const char* name, const char* mask) {
    // Iterative matching with one back-track point for the last "*".
    const char* starMask = nullptr;
    const char* starName = nullptr;
    while (*name) {
        if (*mask == '*') {
            starMask = ++mask;
            starName = name;
        } else if (*mask == '?' || (*mask && fold(*mask) == fold(*name))) {
            ++mask;
            ++name;
        } else if (starMask) {
            mask = starMask;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*mask == '*')
        ++mask;
    return *mask == '\0';
}

// A folder, or a link to one (a link is a folder here, as the walk reports it).
bool isFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A symbolic link or, on Windows, any reparse point (symbolic link, junction,
// mount point): entered, it would lead the walk out of the tree.
bool isLink(const std::string& path) {
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
#else
    struct stat own {};
    return lstat(path.c_str(), &own) == 0 && S_ISLNK(own.st_mode);
#endif
}

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};

} // namespace

bool TRecurseDir::MatchesMask(const std::string& name, const std::string& mask) {
    if (mask == "*.*" || mask == "*")
        return true;
    return wildMatch(name.c_str(), mask.c_str());
}

void TRecurseDir::DoDirFound(TRecurseDir* Sender, const std::string& DirName) {
    if (OnDirFound)
        OnDirFound(Sender, DirName);
}

void TRecurseDir::DoFileFound(TRecurseDir* Sender, const std::string& FileName) {
    if (OnFileFound)
        OnFileFound(Sender, FileName);
}

void TRecurseDir::Execute() {
    if (!Directory.empty())
        Walk(Directory);
    if (OnEnd)
        OnEnd(this);
}

void TRecurseDir::Walk(const std::string& dir) {
    DoDirFound(this, dir);
    std::string base = dir;
    if (base.back() != platform::kPathSeparator && base.back() != '/')
        base += platform::kPathSeparator;

    std::unique_ptr<DIR, DirCloser> listing(opendir(base.c_str()));
    if (!listing)
        return; // nothing to enumerate
    // The names are collected first, so reporting (which may change the
    // folder) cannot disturb the enumeration.
    std::vector<std::string> names;
    while (const dirent* entry = readdir(listing.get()))
        if (MatchesMask(entry->d_name, Mask))
            names.emplace_back(entry->d_name);
    listing.reset();

    for (const std::string& name : names) {
        const std::string path = base + name;
        if (!isFolder(path)) {
            DoFileFound(this, path);
            continue;
        }
        if (!RecurseSubDirs) {
            DoDirFound(this, path);
            continue;
        }
        if (name == "." || name == "..")
            continue;
        if (isLink(path))
            DoDirFound(this, path); // reported, not entered
        else
            Walk(path);
    }
}
