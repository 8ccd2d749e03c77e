#include "ShellFileOps.h"

#include "Services.h"

#include "FileSystem.h"

#include <filesystem>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace platform {
namespace {

// The path without "." and ".." components and without a trailing separator.
fs::path tidy(const std::string& path) {
    fs::path p = fsPath(path).lexically_normal();
    if (!p.has_filename() && p.has_relative_path())
        p = p.parent_path();
    return p;
}

bool badLastComponent(const fs::path& p) {
    const fs::path name = p.filename();
    return name.empty() || name == "." || name == "..";
}

// The real location of `p`: the folders above it resolved, its own name kept,
// so a symbolic link at the end stays a link.
fs::path realLocation(const fs::path& p, std::error_code& ec) {
    fs::path absolute = fs::absolute(p, ec);
    if (ec)
        return {};
    fs::path parent = fs::weakly_canonical(absolute.parent_path(), ec);
    if (ec)
        return {};
    return parent / absolute.filename();
}

fs::path realFolder(const std::string& root, std::error_code& ec) {
    fs::path r = fs::weakly_canonical(fs::absolute(tidy(root), ec), ec);
    if (!r.has_filename() && r.has_relative_path())
        r = r.parent_path();
    return r;
}

bool strictlyBelow(const fs::path& p, const fs::path& root) {
    auto pi = p.begin();
    for (auto ri = root.begin(); ri != root.end(); ++ri, ++pi) {
        if (ri->empty())
            continue; // a trailing separator of the root
        if (pi == p.end() || *pi != *ri)
            return false;
    }
    return pi != p.end() && !pi->empty();
}

std::string displayName(const std::string& path) {
    fs::path p = tidy(path);
    std::string name = p.filename().string();
    return name.empty() ? path : name;
}

void report(const std::string& verb, const std::string& caption, const std::string& name,
            const std::string& reason) {
    messageBox("Cannot " + verb + " " + name + ": " + reason + ".", caption, Icon::Error,
               Buttons::Ok);
}

// A symbolic link or, on Windows, any reparse point (symbolic link, junction,
// mount point): something that leads elsewhere and is never followed.
bool isLink(const fs::path& p, const fs::file_status& status) {
#ifdef _WIN32
    (void)status;
    const DWORD attributes = GetFileAttributesW(p.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
#else
    (void)p;
    return fs::is_symlink(status);
#endif
}

#ifdef _WIN32
std::error_code lastWindowsError() {
    return std::error_code(errnoFromWindows(GetLastError()), std::generic_category());
}

// Clears the read-only attribute, which Windows would let no deletion or
// overwrite pass.
void makeWritable(const fs::path& p) {
    const DWORD attributes = GetFileAttributesW(p.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(p.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

// Whether a folder between `root` and the last component of `real` is a
// reparse point: the path then leads out of the tree.
bool passesThroughLink(const fs::path& real, const fs::path& root) {
    for (fs::path p = real.parent_path();
         p != root && p.has_relative_path() && p != p.parent_path(); p = p.parent_path())
        if (isLink(p, fs::file_status()))
            return true;
    return false;
}
#endif

// Removes a file or a whole folder; a link is removed itself, never what it
// points at.
void removeTree(const fs::path& p, std::error_code& ec) {
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(p.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    makeWritable(p);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        std::vector<fs::path> entries;
        for (auto it = fs::directory_iterator(p, ec); !ec && it != fs::directory_iterator();
             it.increment(ec))
            entries.push_back(it->path());
        for (const fs::path& entry : entries) {
            if (ec)
                return;
            removeTree(entry, ec);
        }
        if (ec)
            return;
    }
    const bool removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(p.c_str())
                                                                 : DeleteFileW(p.c_str());
    if (!removed)
        ec = lastWindowsError();
#else
    fs::remove_all(p, ec);
#endif
}

const char* const kCopyCaption = "Error Copying File or Folder";
const char* const kDeleteCaption = "Error Deleting File or Folder";

// The first failure of a copy: the item it happened to and the reason.
struct CopyFailure {
    std::string item;
    std::string reason;
    bool failed() const { return !reason.empty(); }
    void set(const fs::path& where, const std::error_code& ec) {
        item = where.filename().string();
        reason = ec.message();
    }
};

void copyOneFile(const fs::path& from, const fs::path& to, CopyFailure& failure) {
    std::error_code ec;
    fs::file_status target = fs::symlink_status(to, ec);
    if (isLink(to, target)) {
        // Writing through a link would change whatever it points at.
        removeTree(to, ec);
        if (ec)
            return failure.set(to, ec);
        target = fs::file_status(fs::file_type::not_found);
    } else if (fs::exists(target) && fs::equivalent(from, to, ec)) {
        return; // already there
    }
#ifdef _WIN32
    // The C++ library's overwriting copy fails there on any existing file;
    // CopyFileW replaces it and keeps the time of last change.
    makeWritable(to);
    if (!CopyFileW(from.c_str(), to.c_str(), FALSE))
        return failure.set(from, lastWindowsError());
    return;
#endif
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    if (ec == std::errc::permission_denied && fs::is_regular_file(target)) {
        // A read-only file of the same name is replaced like any other.
        std::error_code removeError;
        if (fs::remove(to, removeError)) {
            ec.clear();
            fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
        }
    }
    if (ec)
        return failure.set(from, ec);
    fs::last_write_time(to, fs::last_write_time(from, ec), ec);
}

void copyLink(const fs::path& from, const fs::path& to, CopyFailure& failure) {
    std::error_code ec;
    fs::file_status target = fs::symlink_status(to, ec);
    const bool targetIsLink = isLink(to, target);
    if (fs::exists(target) || targetIsLink) {
        if (fs::is_directory(target) && !targetIsLink) {
            failure.set(to, std::make_error_code(std::errc::file_exists));
            return;
        }
        removeTree(to, ec);
        if (ec)
            return failure.set(to, ec);
    }
    fs::copy_symlink(from, to, ec);
    if (ec)
        failure.set(from, ec);
}

void copyTree(const fs::path& from, const fs::path& to, CopyFailure& failure) {
    std::error_code ec;
    fs::file_status target = fs::symlink_status(to, ec);
    if (isLink(to, target)) {
        removeTree(to, ec);
        if (ec)
            return failure.set(to, ec);
        target = fs::file_status(fs::file_type::not_found);
    }
    if (!fs::exists(target)) {
        fs::create_directory(to, from, ec);
        if (ec)
            return failure.set(to, ec);
    } else if (!fs::is_directory(target)) {
        return failure.set(to, std::make_error_code(std::errc::file_exists));
    }
    fs::directory_iterator it(from, ec);
    if (ec)
        return failure.set(from, ec);
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        const fs::path source = it->path();
        const fs::path dest = to / source.filename();
        fs::file_status kind = it->symlink_status(ec);
        if (ec)
            return failure.set(source, ec);
        if (isLink(source, kind))
            copyLink(source, dest, failure);
        else if (fs::is_directory(kind))
            copyTree(source, dest, failure);
        else if (fs::is_regular_file(kind))
            copyOneFile(source, dest, failure);
        // Devices, pipes and sockets are not copied.
        if (failure.failed())
            return;
    }
    if (ec)
        failure.set(from, ec);
}

} // namespace

bool liesStrictlyInside(const std::string& path, const std::string& root) {
    fs::path p = tidy(path);
    if (badLastComponent(p) || root.empty())
        return false;
    std::error_code ec;
    fs::path real = realLocation(p, ec);
    if (ec)
        return false;
    fs::path realRoot = realFolder(root, ec);
    if (ec)
        return false;
#ifdef _WIN32
    // The library does not resolve reparse points there: one on the way
    // down leads out of the tree.
    if (passesThroughLink(real, realRoot))
        return false;
#endif
    return strictlyBelow(real, realRoot);
}

bool shellDelete(const std::string& path, const std::string& within) {
    const std::string name = displayName(path);
    if (!liesStrictlyInside(path, within)) {
        report("delete", kDeleteCaption, name,
               "It does not lie inside the folder \"" + within + "\"");
        return false;
    }
    std::error_code ec;
    fs::path real = realLocation(tidy(path), ec);
    if (!ec)
        removeTree(real, ec); // removes a link itself, never what it points at
    if (ec) {
        report("delete", kDeleteCaption, name, ec.message());
        return false;
    }
    return true;
}

bool shellCopy(const std::string& source, const std::string& destination,
               const std::string& within) {
    const std::string name = displayName(source);
    if (!within.empty() && !liesStrictlyInside(destination, within)) {
        report("copy", kCopyCaption, name,
               "The destination does not lie inside the folder \"" + within + "\"");
        return false;
    }
    std::error_code ec;
    fs::path from = tidy(source);
    fs::file_status kind = fs::status(from, ec);
    if (!fs::exists(kind)) {
        report("copy", kCopyCaption, name,
               (ec ? ec : std::make_error_code(std::errc::no_such_file_or_directory)).message());
        return false;
    }
    fs::path to = realLocation(tidy(destination), ec);
    if (ec || badLastComponent(tidy(destination))) {
        report("copy", kCopyCaption, name,
               (ec ? ec : std::make_error_code(std::errc::invalid_argument)).message());
        return false;
    }
    // The folder that receives the copy must be there: say so, rather than
    // leaving the system's "No such file" to be read as the source missing.
    if (const fs::path folder = to.parent_path(); !fs::is_directory(folder, ec)) {
        report("copy", kCopyCaption, name,
               "The destination folder \"" + folder.string() + "\" does not exist");
        return false;
    }
    CopyFailure failure;
    if (fs::is_directory(kind)) {
        fs::path realSource = fs::canonical(from, ec);
        if (ec) {
            report("copy", kCopyCaption, name, ec.message());
            return false;
        }
        if (to == realSource || strictlyBelow(to, realSource)) {
            report("copy", kCopyCaption, name,
                   "The destination folder is a subfolder of the source folder");
            return false;
        }
        copyTree(realSource, to, failure);
    } else if (fs::is_regular_file(kind)) {
        copyOneFile(from, to, failure);
    } else {
        failure.item = name;
        failure.reason = "It is neither a file nor a folder";
    }
    if (failure.failed()) {
        report("copy", kCopyCaption, failure.item.empty() ? name : failure.item, failure.reason);
        return false;
    }
    return true;
}

} // namespace platform
