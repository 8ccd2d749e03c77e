#include "CommandLine.h"

#include <cstdio>
#include <cstring>

#ifndef QM_VERSION
#define QM_VERSION "unknown"
#endif

namespace platform {

const char* programVersion() {
    return QM_VERSION;
}

std::optional<int> standardOption(int argc, char** argv, const char* tool, const char* usage) {
    if (argc != 2)
        return std::nullopt;
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(usage, stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s %s\n", tool, programVersion());
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    return std::nullopt;
}

} // namespace platform
