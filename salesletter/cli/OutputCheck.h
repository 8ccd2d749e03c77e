// What the compile tool will not write its page over.
#pragma once

#include <string>

// Empty when the page may be written to `output`; otherwise why not: `output`
// is the project file itself (however it is named: another path, a link) or
// any other project file (a ".prj" name, in any letter case).
std::string OutputRefusal(const std::string& project, const std::string& output);
