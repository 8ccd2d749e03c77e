// What the export lets leave the machine: a picture file the seller chose,
// checked before a single byte of it is read into memory.
#pragma once

#include <cstdint>
#include <string>

struct PictureFile {
    std::string path;  // the file checked (a symbolic link resolved)
    std::string bytes; // the whole file
    const char* type;  // "PNG", "JPEG", "GIF", "WebP" or "SVG"
    int width = 0;     // pixels, 0 when the file does not say
    int height = 0;
};

// Largest picture the export copies.
inline constexpr std::uintmax_t kMaxPictureBytes = 20u * 1024 * 1024;

// Reads `path` when it is a picture: a regular file (a symbolic link is
// resolved and its target checked; devices, FIFOs and folders are refused
// without being opened) of at most kMaxPictureBytes whose first bytes are
// those of a PNG, JPEG, GIF, WebP or SVG picture, an SVG holding no script.
// Throws std::runtime_error with the reason ("is not a regular file", "is
// larger than 20 MB", "is not a PNG, JPEG, GIF, WebP or SVG picture", ...),
// without the path.
PictureFile ReadPictureFile(const std::string& path);

// The picture's type and size from its bytes; type nullptr when the bytes are
// no picture the export accepts.
PictureFile InspectPictureBytes(std::string bytes);
