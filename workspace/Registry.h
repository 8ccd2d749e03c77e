// The workspace registry: project groups and their projects, listed in the
// data folder's "Groups.ini" (platform::dataFolder(): the program folder when
// it can be written, else the per-user data folder), and the folder tree
// "Groups" beside it that
// holds one folder per group and, in it, one folder per project.
//
// Every registry operation opens the file with its own TBigIniFile, works and
// frees it, so an operation that changes something writes the file once, at
// its end (a write failure is shown by the engine). No call here shows a
// window of its own except the shell's error report of a folder deletion.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace workspace {

// The name listed for a project whose key is missing from the registry.
inline constexpr const char* kNoName = "<no name>";

// Data folder + "Groups.ini".
std::string RegistryFileName();
// Data folder + "Groups" (no separator at the end).
std::string GroupsFolder();
// Data folder + "Groups" + separator + group.
std::string GroupFolder(const std::string& group);
// The project's folder: group folder + separator + project, no separator at
// the end. The folder editor and the sales-letter wizard work in it.
std::string ProjectFolder(const std::string& group, const std::string& project);

// Group names in file order.
std::vector<std::string> ListGroups();
// The most projects a group lists. A count beyond it (a damaged registry)
// is read as this many, so no window builds or rewrites billions of names.
inline constexpr std::int32_t kMaxProjects = 100000;

// The group's project names in order: ProjectCount of them (0 when missing,
// not a number or negative; at most kMaxProjects), kNoName for each missing key.
std::vector<std::string> ListProjects(const std::string& group);
// Appends the group's section with ProjectCount = 0.
void CreateGroup(const std::string& group);
// Appends a project to the group: ProjectCount + 1 and the next Project key.
// A group that already lists kMaxProjects takes no more (std::runtime_error).
void AddProject(const std::string& group, const std::string& project);
// Why a group that lists kMaxProjects takes no more.
std::string GroupFullText(const std::string& group);
// Erases the group's section.
void DeleteGroup(const std::string& group);
// Writes ProjectCount and Project0... from `projects` in order; the keys of a
// longer former list beyond the new count are removed. Other sections stay.
void RewriteProjects(const std::string& group, const std::vector<std::string>& projects);

// Folder operations. Creation makes all missing parents and reports nothing.
bool CreateGroupFolder(const std::string& group);
bool CreateProjectFolder(const std::string& group, const std::string& project);
// Permanent deletion of the whole tree. A group folder must lie strictly
// inside the Groups folder, a project folder strictly inside its group's
// folder; anything else is refused (and reported like a failed deletion).
bool DeleteGroupFolder(const std::string& group);
bool DeleteProjectFolder(const std::string& group, const std::string& project);

// Name rules.
// A name that is empty after removing leading and trailing characters of code
// 32 or less; such answers are ignored.
bool IsBlankName(const std::string& name);
// Upper case of the letters a to z only.
std::string UpperAZ(const std::string& name);
// Whether `list` holds `name` ignoring the case of the letters A to Z.
bool ContainsNameAZ(const std::vector<std::string>& list, const std::string& name);
// Whether `list` holds a name that the registry takes for the same section.
bool ContainsSectionName(const std::vector<std::string>& list, const std::string& name);
// Why `name` cannot name a group or project folder ("." or "..", a path
// separator, too long), or nothing when it can.
std::optional<std::string> NameRefusal(const std::string& name);
// The longest name accepted, in bytes: the registry keeps lines of at most
// 255 characters, and the name must fit into its section header or key line.
inline constexpr std::size_t kMaxNameLength = 200;

} // namespace workspace
