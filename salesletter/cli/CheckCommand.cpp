#include "CheckCommand.h"

#include "ini/BigIniFile.h"
#include "platform/FileSystem.h"
#include "platform/PathParts.h"
#include "salesletter/PageCheck.h"
#include "salesletter/ProjectFile.h"

#include <cstdio>
#include <exception>
#include <string>

int RunCheckCommand(int argc, char** argv) {
    if (argc != 3 || argv[2][0] == '\0') {
        std::fputs("usage: quillmere-compile --check PROJECT\n", stderr);
        return 2;
    }
    const std::string project = argv[2];
    TSalesLetter letter;
    try {
        platform::readFile(project); // a missing file is an error here, not an empty project
        {
            TBigIniFile ini(project, TBigIniFile::kNoLineLimit);
            if (!ini.SectionExists(kProjectSection)) {
                std::fprintf(stderr,
                             "quillmere-compile: %s is not a salesletter project file (it has no "
                             "[%s] section)\n",
                             project.c_str(), kProjectSection);
                return 2;
            }
        }
        LoadProject(letter, project);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quillmere-compile: %s\n", e.what());
        return 2;
    }
    const std::vector<std::string> found =
        CheckPage(letter, platform::folderPartWithDelimiter(project));
    if (found.empty()) {
        std::printf("%s: nothing to fix\n", project.c_str());
        return 0;
    }
    std::printf("%s: %zu thing%s to fix before publishing\n", project.c_str(), found.size(),
                found.size() == 1 ? "" : "s");
    for (const std::string& line : found) {
        std::string one = line;
        for (char& c : one)
            if (c == '\r' || c == '\n')
                c = ' ';
        std::printf("- %s\n", one.c_str());
    }
    return 1;
}
