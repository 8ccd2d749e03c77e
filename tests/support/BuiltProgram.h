// The programs this build made, for tests that run or copy them.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace testsupport {

// The program `name` in the build's program folder (QM_BIN_DIR), with ".exe"
// where programs are named so; empty when the folder is unknown or the program
// was not built.
inline std::string builtProgram(const std::string& name) {
    const char* bin = std::getenv("QM_BIN_DIR");
    if (!bin || !*bin)
        return {};
#ifdef _WIN32
    const std::string path = std::string(bin) + "/" + name + ".exe";
#else
    const std::string path = std::string(bin) + "/" + name;
#endif
    return std::filesystem::exists(path) ? path : std::string();
}

} // namespace testsupport
