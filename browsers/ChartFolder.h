// The folder the Legal Information window writes its date chart to, and the
// chart file's life: written afresh at every opening, removed with its folder
// when the window goes.
//
// On Windows the folder is the user's temporary folder + "LI\". Elsewhere the
// shared temporary folder (/tmp) is writable by every user, so a fixed name
// there would let another user plant a link that makes us write into, or
// delete, a place of their choosing. There the folder lies in a private
// per-user folder (mode 0700) under the temporary folder, and links are never
// followed when the folder is made, written or removed.
#pragma once

#include <string>

namespace browsers {

// `tempFolder` + a separator when it lacks one + "LI" + separator.
std::string ChartFolderFor(const std::string& tempFolder);

// The user's temporary folder, ending with a separator. On Windows the
// system's (GetTempPath). Elsewhere "quillmere-<uid>" under the temporary
// folder, created with mode 0700; when that name is taken by anything but a
// folder of ours (a link, another user's folder), a fresh private folder is
// made beside it instead.
std::string UserTempFolder();

// The chart folder of this user: ChartFolderFor(UserTempFolder()).
std::string ChartFolder();

// Creates `folder` with its missing parents, reusing one that exists. A link
// standing in its place, or in place of the chart file, is removed (never
// followed). Failures are left to the write that follows.
void PrepareChartFolder(const std::string& folder);

// Removes `folder` with everything in it, without following links: a link
// inside, or in the folder's place, is removed, never what it points to.
// The outcome is not reported.
void RemoveChartFolder(const std::string& folder);

// The name of the chart document and of its file in the chart folder.
inline constexpr const char* kChartName = "chart.html";

// Prepares `folder` and writes the chart for `year` there as kChartName (the
// carried pattern with that year's dates, see ChartPage.h), replacing any
// earlier file; year 0 stands for the current year. Nothing is written when
// the program carries no chart. Throws platform::IoError("Cannot create file
// \"%s\". %s") when the file cannot be written. Returns the file's path.
std::string WriteChart(const std::string& folder, int year = 0);

// The current year of the local calendar.
int CurrentYear();

// The folder a window writes its own pages to: UserTempFolder() + `name` +
// separator (the Legal Information window uses its chart folder).
std::string PagesFolder(const char* name);

// Like WriteChart, for the archive document `name`: prepares `folder` and
// writes the document there under its name. Returns the file's path.
std::string WriteDocument(const std::string& folder, const std::string& name);

} // namespace browsers
