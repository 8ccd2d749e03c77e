// The record format of the documents appended to an executable:
//
//   start marker, name, byte 0xB6, body, end marker, name
//
// one record after the other up to the end of the file. The markers are held
// in lower case and upper-cased at run time only, so that the upper-case
// marker bytes never occur in a program before its archive (a search of the
// program's own image would otherwise find the code's copy first).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace archiveformat {

inline constexpr char kSeparator = '\xB6';

// The upper-case start and end markers, built at run time.
std::string StartMarker();
std::string EndMarker();

// Start marker + name + separator: the pattern that finds a record.
std::string StartPattern(const std::string& name);
// End marker + name.
std::string EndPattern(const std::string& name);

// One complete record.
std::string MakeRecord(const std::string& name, const std::string& body);

// The body of the named document: the first start pattern searched from the
// first byte; its end pattern searched again from the first byte, which must
// lie at or after the body start. Empty when missing.
std::string FindDocument(const std::string& image, const std::string& name);

struct Document {
    std::string name;
    std::string body;
};

// Where a well-formed archive begins: records from there that run exactly to
// the end of the image. Nothing when the image has no archive (or the first
// start marker does not begin one).
std::optional<size_t> ArchiveOffset(const std::string& image);

// The records from `offset` to the end, in file order.
std::vector<Document> ReadRecords(const std::string& image, size_t offset);

} // namespace archiveformat
