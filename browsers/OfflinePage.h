// The page a browser tab shows in place of a web page it could not reach:
// the address, that it needs the internet, "Try again" and "Open in your
// browser", in the program's own colours.
#pragma once

#include <string>

namespace browsers {

// Where the offline page lies (its base address); it never resolves.
inline constexpr const char* kOfflinePageBase = "https://offline.quillmere.invalid/";

// The page for `address` (escaped for HTML; any text is safe).
std::string OfflinePageHtml(const std::string& address);

// What a link followed from the offline page asks for.
enum class OfflineAction { None, TryAgain, OpenInBrowser };
OfflineAction OfflineActionOf(const std::string& link);

} // namespace browsers
