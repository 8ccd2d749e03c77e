#include "GroupsFile.h"

#include "ini/BigIniFile.h"
#include "platform/DataFolder.h"
#include "platform/FileSystem.h"

std::string GroupsIniFileName() {
    return platform::dataFolder() + "Groups.ini";
}

std::vector<std::string> ReadProjectGroups() {
    TBigIniFile ini(GroupsIniFileName());
    TStrings groups;
    ini.ReadSections(groups);
    return groups;
}

std::vector<std::string> ReadGroupProjects(const std::string& group) {
    TBigIniFile ini(GroupsIniFileName());
    std::int32_t count = ini.ReadInteger(group, "ProjectCount", 0);
    // A damaged count must not stall the window: no group lists more entries than this.
    constexpr std::int32_t kMaxProjects = 100000;
    if (count > kMaxProjects)
        count = kMaxProjects;
    std::vector<std::string> projects;
    for (std::int32_t i = 0; i < count; ++i)
        projects.push_back(ini.ReadString(group, "Project" + std::to_string(i), "<no name>"));
    return projects;
}

std::string ProjectFolderPath(const std::string& group, const std::string& project) {
    return platform::dataFolder() + "Groups" + platform::kPathSeparator + group +
           platform::kPathSeparator + project;
}
