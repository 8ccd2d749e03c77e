// The INI engine's warning for a file it cannot write: on Windows the text
// Windows users know, naming the file in capitals; elsewhere the full path and
// the system's reason, with nothing about file attributes.
#pragma once

#include "platform/Wording.h"

#include <string>

namespace testsupport {

inline std::string writeWarning(const std::string& path, const std::string& upperName,
                                const std::string& reason) {
    if (platform::kWindowsWording)
        return "The program is unable to write to the " + upperName +
               " file. \rPlease check to see whether this file is available. In order for \r"
               "this software to work properly, this file's attributes must \r"
               "be set to Archive and it must not be used by any other programs.";
    return "The program is unable to write to " + path + ": " + reason + ".";
}

} // namespace testsupport
