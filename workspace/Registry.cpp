#include "Registry.h"

#include "ini/BigIniFile.h"
#include "ini/IniText.h"
#include "platform/DataFolder.h"
#include "platform/FileSystem.h"
#include "platform/ShellFileOps.h"

#include <stdexcept>

namespace workspace {
namespace {

const char* const kProjectCount = "ProjectCount";

std::string projectKey(std::size_t index) {
    return "Project" + std::to_string(index);
}

// ProjectCount as every operation reads it: 0 when missing, not a number or
// negative, and never more than kMaxProjects.
std::int32_t readProjectCount(TBigIniFile& ini, const std::string& group) {
    const std::int32_t count = ini.ReadInteger(group, kProjectCount, 0);
    return count < 0 ? 0 : count > kMaxProjects ? kMaxProjects : count;
}

} // namespace

std::string RegistryFileName() {
    return platform::dataFolder() + "Groups.ini";
}

std::string GroupsFolder() {
    return platform::dataFolder() + "Groups";
}

std::string GroupFolder(const std::string& group) {
    return GroupsFolder() + platform::kPathSeparator + group;
}

std::string ProjectFolder(const std::string& group, const std::string& project) {
    return GroupFolder(group) + platform::kPathSeparator + project;
}

std::vector<std::string> ListGroups() {
    TBigIniFile ini(RegistryFileName());
    std::vector<std::string> groups;
    ini.ReadSections(groups);
    return groups;
}

std::vector<std::string> ListProjects(const std::string& group) {
    TBigIniFile ini(RegistryFileName());
    const std::int32_t count = readProjectCount(ini, group);
    std::vector<std::string> projects;
    projects.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i)
        projects.push_back(ini.ReadString(group, projectKey(i), kNoName));
    return projects;
}

void CreateGroup(const std::string& group) {
    TBigIniFile ini(RegistryFileName());
    ini.WriteInteger(group, kProjectCount, 0);
}

void AddProject(const std::string& group, const std::string& project) {
    TBigIniFile ini(RegistryFileName());
    // A damaged negative count lists nothing; the list starts afresh.
    const std::int32_t count = readProjectCount(ini, group);
    if (count >= kMaxProjects)
        throw std::runtime_error(GroupFullText(group));
    ini.WriteInteger(group, kProjectCount, count + 1);
    ini.WriteString(group, projectKey(static_cast<std::size_t>(count)), project);
}

void DeleteGroup(const std::string& group) {
    TBigIniFile ini(RegistryFileName());
    ini.EraseSection(group);
}

void RewriteProjects(const std::string& group, const std::vector<std::string>& projects) {
    TBigIniFile ini(RegistryFileName());
    const std::int32_t former = readProjectCount(ini, group);
    ini.WriteInteger(group, kProjectCount, static_cast<std::int32_t>(projects.size()));
    for (std::size_t i = 0; i < projects.size(); ++i)
        ini.WriteString(group, projectKey(i), projects[i]);
    // Keys beyond the new count are never read; drop the ones the former
    // list used so the file holds no stale names.
    for (std::int32_t i = static_cast<std::int32_t>(projects.size()); i < former; ++i)
        ini.DeleteKey(group, projectKey(static_cast<std::size_t>(i)));
}

std::string GroupFullText(const std::string& group) {
    return "The project group \"" + group + "\" already holds " + std::to_string(kMaxProjects) +
           " projects, the most a group can hold.";
}

bool CreateGroupFolder(const std::string& group) {
    return platform::forceDirectories(GroupFolder(group));
}

bool CreateProjectFolder(const std::string& group, const std::string& project) {
    return platform::forceDirectories(ProjectFolder(group, project));
}

bool DeleteGroupFolder(const std::string& group) {
    return platform::shellDelete(GroupFolder(group), GroupsFolder());
}

bool DeleteProjectFolder(const std::string& group, const std::string& project) {
    // Strictly inside its group's folder, and really inside the Groups folder
    // (a group folder that is a link leads elsewhere).
    const std::string path = ProjectFolder(group, project);
    const bool inTree = platform::liesStrictlyInside(path, GroupsFolder());
    return platform::shellDelete(path, inTree ? GroupFolder(group) : GroupsFolder());
}

bool IsBlankName(const std::string& name) {
    for (char c : name)
        if (static_cast<unsigned char>(c) > 32)
            return false;
    return true;
}

std::string UpperAZ(const std::string& name) {
    std::string upper = name;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return upper;
}

bool ContainsNameAZ(const std::vector<std::string>& list, const std::string& name) {
    const std::string wanted = UpperAZ(name);
    for (const std::string& entry : list)
        if (UpperAZ(entry) == wanted)
            return true;
    return false;
}

bool ContainsSectionName(const std::vector<std::string>& list, const std::string& name) {
    for (const std::string& entry : list)
        if (initext::sameName(entry, name))
            return true;
    return false;
}

std::optional<std::string> NameRefusal(const std::string& name) {
    if (name == "." || name == ".." || name.find('/') != std::string::npos ||
        name.find('\\') != std::string::npos)
        return std::string("The name \"" + name +
                           "\" cannot be used: names are used as folder names, so a name may "
                           "not be \".\" or \"..\" and may not contain \"/\" or \"\\\".");
    // A line break would add a line of its own to the registry, and the
    // registry stops reading at Ctrl-Z; no control character makes a usable
    // folder name either.
    for (unsigned char c : name)
        if (c < 32)
            return std::string("The name cannot be used: it may not contain control characters "
                               "such as line breaks or tabs.");
    if (name.size() > kMaxNameLength)
        return std::string("The name is too long: a name may hold at most " +
                           std::to_string(kMaxNameLength) + " characters.");
    return std::nullopt;
}

} // namespace workspace
