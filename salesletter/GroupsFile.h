// Read-only access to the workspace registry (Groups.ini in the program
// folder) for the wizard's welcome page: the groups, a group's projects and a
// project's folder. The workspace itself writes the registry.
#pragma once

#include <string>
#include <vector>

// Program folder + "Groups.ini".
std::string GroupsIniFileName();

// The section names of Groups.ini in file order; empty when the file is missing.
std::vector<std::string> ReadProjectGroups();

// The projects of a group: "Project0" .. "Project<n-1>" where n is the group's
// "ProjectCount" (0 when missing or not a number); a missing name reads as "<no name>".
std::vector<std::string> ReadGroupProjects(const std::string& group);

// Program folder + "Groups" + separator + group + separator + project, with no
// separator at the end.
std::string ProjectFolderPath(const std::string& group, const std::string& project);
