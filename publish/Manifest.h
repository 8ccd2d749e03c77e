// What a published folder holds: each file's path (relative, "/"
// separated), size and SHA-256. The manifest ".quillmere-publish.json" in the
// remote folder records what the program put there, so a later publish sends
// only what changed and removes only files it published itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace publish {

inline constexpr const char* kManifestName = ".quillmere-publish.json";

struct FileEntry {
    std::string path; // relative, "/" separated, e.g. "images/cover.jpg"
    std::uint64_t size = 0;
    std::string sha256; // 64 lower-case hexadecimal digits
};

using Manifest = std::vector<FileEntry>; // sorted by path

std::string sha256Hex(std::string_view bytes);
// Reads the file in pieces; throws platform::IoError when it cannot be read.
std::string sha256OfFile(const std::string& path);

// Every file under `folder` (recursively), sorted by path. Throws when the
// folder cannot be read.
Manifest scanFolder(const std::string& folder);

std::string manifestJson(const Manifest& m);

// Reads a manifest. Entries whose path could point outside the folder
// ("..", absolute, backslashes, control characters) or whose fields are not
// well formed are dropped: a damaged or hostile manifest can make the
// program send more, never remove anything it did not publish. Throws
// std::runtime_error when the text is no manifest at all.
Manifest parseManifest(std::string_view json);

// True for a relative "/"-separated path that stays inside its folder.
bool safeRelativePath(std::string_view path);

} // namespace publish
