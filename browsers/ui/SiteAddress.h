// The product website the browser windows take our own pages from, when the
// user has set one: the "SiteAddress" value of the user's settings. Empty by
// default, and then the pages shipped with the program are shown.
#pragma once

#include <string>

class QSettings;

// The "SiteAddress" value of `settings`, without surrounding spaces.
std::string ProductSiteAddress(const QSettings& settings);

// The same from the user's own settings of this program: organisation and
// application "Quillmere" (on Linux ~/.config/Quillmere/Quillmere.conf, on
// Windows the registry key HKEY_CURRENT_USER\Software\Quillmere\Quillmere).
std::string ProductSiteAddress();
