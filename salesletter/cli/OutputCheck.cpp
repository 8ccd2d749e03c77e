#include "OutputCheck.h"

#include "platform/UserFiles.h"
#include "salesletter/ProjectFile.h"

std::string OutputRefusal(const std::string& project, const std::string& output) {
    if (platform::sameFile(project, output))
        return "\"" + output + "\" is the project file itself; the page needs a name of its own";
    if (EnsureExtension(output, ".prj") == output)
        return "\"" + output + "\" is a project file name (.prj); the page needs another name";
    return {};
}
