#include "Links.h"

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#endif

namespace testsupport {

bool makeLink(const std::string& target, const std::string& link, bool folder) {
#ifdef _WIN32
    DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
    if (folder)
        flags |= SYMBOLIC_LINK_FLAG_DIRECTORY;
    if (!CreateSymbolicLinkA(link.c_str(), target.c_str(), flags))
        return false;
    const DWORD attributes = GetFileAttributesA(link.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
#else
    std::error_code ec;
    if (folder)
        std::filesystem::create_directory_symlink(target, link, ec);
    else
        std::filesystem::create_symlink(target, link, ec);
    return !ec;
#endif
}

} // namespace testsupport
