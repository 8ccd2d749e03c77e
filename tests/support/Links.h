// Symbolic links for tests, on systems that can make them.
#pragma once

#include <string>

namespace testsupport {

// Makes `link` a symbolic link to `target` (a folder when `folder`). False
// where the system cannot: Windows without the right to make links (or
// developer mode), and Wine, which only pretends.
bool makeLink(const std::string& target, const std::string& link, bool folder);

// The reason given when a test skips for want of links.
inline constexpr const char* kNoLinks =
    "this system cannot make symbolic links (on Windows it needs the right to, "
    "and Wine only pretends)";

} // namespace testsupport
