// quillmere-status: whether works are in the public domain, from the command
// line; see StatusCommand.h and the manual page quillmere-status(1).
#include "browsers/ChartFolder.h"
#include "browsers/StatusCommand.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status =
        browsers::RunStatusCommand(args, browsers::CurrentYear(), std::cout, std::cerr);
    std::cout.flush();
    return status;
}
