// Path text helpers shared by the project file and the welcome page.
#pragma once

#include "platform/FileSystem.h"

// A character that ends a folder part: the path separator, and on Windows also
// "/" and the drive colon.
inline bool IsPathDelimiter(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/' || c == ':';
#else
    return c == platform::kPathSeparator;
#endif
}
