#include "ArchiveFormat.h"

namespace archiveformat {
namespace {

// Volatile, so the compiler must read the lower-case bytes at run time and
// cannot fold the upper-cased result into a constant.
volatile const char kStartLower[] = "so!#";
volatile const char kEndLower[] = "eo!#";

std::string upperMarker(volatile const char* lower) {
    std::string marker;
    for (size_t i = 0; lower[i] != '\0'; ++i) {
        char c = lower[i];
        marker += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return marker;
}

} // namespace

std::string StartMarker() {
    return upperMarker(kStartLower);
}
std::string EndMarker() {
    return upperMarker(kEndLower);
}

std::string StartPattern(const std::string& name) {
    return StartMarker() + name + kSeparator;
}
std::string EndPattern(const std::string& name) {
    return EndMarker() + name;
}

std::string MakeRecord(const std::string& name, const std::string& body) {
    return StartPattern(name) + body + EndPattern(name);
}

std::string FindDocument(const std::string& image, const std::string& name) {
    std::string start = StartPattern(name);
    size_t found = image.find(start);
    if (found == std::string::npos)
        return {};
    size_t bodyStart = found + start.size();
    size_t end = image.find(EndPattern(name));
    if (end == std::string::npos || end < bodyStart)
        return {};
    return image.substr(bodyStart, end - bodyStart);
}

namespace {

// Parses the records from `offset`; false unless they end exactly at the end.
bool parseRecords(const std::string& image, size_t offset, std::vector<Document>* out) {
    const std::string startMarker = StartMarker(), endMarker = EndMarker();
    size_t pos = offset;
    while (pos < image.size()) {
        if (image.compare(pos, startMarker.size(), startMarker) != 0)
            return false;
        size_t nameStart = pos + startMarker.size();
        size_t sep = image.find(kSeparator, nameStart);
        if (sep == std::string::npos)
            return false;
        std::string name = image.substr(nameStart, sep - nameStart);
        size_t end = image.find(endMarker + name, sep + 1);
        if (end == std::string::npos)
            return false;
        if (out)
            out->push_back({name, image.substr(sep + 1, end - sep - 1)});
        pos = end + endMarker.size() + name.size();
    }
    return pos == image.size() && pos > offset;
}

} // namespace

std::optional<size_t> ArchiveOffset(const std::string& image) {
    size_t first = image.find(StartMarker());
    if (first == std::string::npos || !parseRecords(image, first, nullptr))
        return std::nullopt;
    return first;
}

std::vector<Document> ReadRecords(const std::string& image, size_t offset) {
    std::vector<Document> records;
    if (!parseRecords(image, offset, &records))
        records.clear();
    return records;
}

} // namespace archiveformat
