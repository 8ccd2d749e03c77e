// A page folder as one ZIP archive, for hosts whose only upload is a web
// panel: the same files as the folder, under the same relative paths.
#pragma once

#include <string>

namespace publish {

// Writes every file under `folder` into the archive `zipPath`, replacing it
// only when the archive is complete. Throws platform::IoError naming the
// file and the reason.
void zipFolder(const std::string& folder, const std::string& zipPath);

} // namespace publish
