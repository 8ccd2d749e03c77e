// The options every command-line tool of the program answers alike.
#pragma once

#include <optional>

namespace platform {

// The program's version ("2.0").
const char* programVersion();

// `tool --help` (or -h) prints `usage` on standard output, `tool --version`
// prints "<tool> <version>"; both give exit status 0. Anything else gives
// nothing, and the tool goes on with its own arguments.
std::optional<int> standardOption(int argc, char** argv, const char* tool, const char* usage);

} // namespace platform
