// quillmere-status: whether works are in the public domain, from the command
// line; see StatusCommand.h and the manual page quillmere-status(1).
#include "browsers/StatusCommand.h"

#include <ctime>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status = browsers::RunStatusCommand(args, local.tm_year + 1900, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
