// Helpers shared by the archive reader and the start-up routine.
#pragma once

#include <string>

namespace ExeMod::detail {

// `fileName` as a full path: relative names lie in the program folder.
std::string fullPathOf(const std::string& fileName);

// Gives the owner, group and others the right to run `path` where they may read
// it (a written program image must stay startable). No effect on Windows.
void makeRunnable(const std::string& path);

} // namespace ExeMod::detail
