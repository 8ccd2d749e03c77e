// The parts of a path as text: the last part (a file or folder name) and the
// folder part. Window-free and allocation-light; the one place that knows
// which characters end a folder part.
#pragma once

#include "FileSystem.h"

#include <string>

namespace platform {

// A character that ends a folder part: the path separator, and on Windows
// also "/" and the drive colon.
constexpr bool isPathDelimiter(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/' || c == ':';
#else
    return c == kPathSeparator;
#endif
}

// Where the last part begins: just after the last delimiter, 0 when none.
inline std::size_t lastPartStart(const std::string& path) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (isPathDelimiter(path[i - 1]))
            return i;
    return 0;
}

// What follows the last delimiter; the whole text when there is none.
inline std::string lastPathPart(const std::string& path) {
    return path.substr(lastPartStart(path));
}

// The folder part with its closing delimiter ("/a/" for "/a/b"); empty when
// the path has no folder part.
inline std::string folderPartWithDelimiter(const std::string& path) {
    return path.substr(0, lastPartStart(path));
}

// The folder part without its closing delimiter ("/a" for "/a/b"), except
// that the root keeps it ("/" for "/b"); empty when the path has none.
inline std::string folderPart(const std::string& path) {
    const std::size_t start = lastPartStart(path);
    return path.substr(0, start > 1 ? start - 1 : start);
}

} // namespace platform
