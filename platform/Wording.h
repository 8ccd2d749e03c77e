// Which desktop's wording the program's messages follow. On Windows the
// messages keep the texts Windows users know (file names in capitals, file
// attributes); elsewhere they name the full path and the system's reason.
#pragma once

namespace platform {

#ifdef _WIN32
inline constexpr bool kWindowsWording = true;
#else
inline constexpr bool kWindowsWording = false;
#endif

} // namespace platform
