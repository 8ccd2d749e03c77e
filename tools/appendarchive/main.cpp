// Build step: appends documents to an executable as its archive.
//
//   quillmere-appendarchive EXECUTABLE [DOCUMENT...]
//
// Each document is stored under its file name, in the order given. An archive
// already at the end of the executable is replaced, so running the step again
// never appends twice. The step fails, leaving the executable as it was, when
// the markers occur in the program itself or a document could not be found
// again by the program's own lookup.
#include "archive/ArchiveFormat.h"
#include "platform/FileSystem.h"
#include "platform/PathParts.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

int fail(const std::string& message) {
    std::fprintf(stderr, "quillmere-appendarchive: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: quillmere-appendarchive EXECUTABLE [DOCUMENT...]\n", stderr);
        return 2;
    }
    const std::string exe = argv[1];
    try {
        std::string image = platform::readFile(exe);
        if (auto offset = archiveformat::ArchiveOffset(image))
            image.resize(*offset);
        const std::string start = archiveformat::StartMarker(), end = archiveformat::EndMarker();
        if (image.find(start) != std::string::npos || image.find(end) != std::string::npos)
            return fail(exe + " contains an archive marker before its archive");

        const size_t programSize = image.size();
        std::vector<archiveformat::Document> documents;
        for (int i = 2; i < argc; ++i) {
            std::string name = platform::lastPathPart(argv[i]);
            if (name.find(archiveformat::kSeparator) != std::string::npos)
                return fail("document name contains the separator byte: " + name);
            std::string body = platform::readFile(argv[i]);
            if (body.empty())
                std::fprintf(stderr,
                             "quillmere-appendarchive: warning: %s is empty and will "
                             "read as missing\n",
                             argv[i]);
            image += archiveformat::MakeRecord(name, body);
            documents.push_back({name, body});
        }
        // Every document must come back whole through the program's own lookup.
        for (const auto& d : documents)
            if (archiveformat::FindDocument(image, d.name) != d.body)
                return fail("document " + d.name +
                            " would not read back intact (its body or an "
                            "earlier document holds a marker with its name)");
        if (!documents.empty() && archiveformat::ArchiveOffset(image) != programSize)
            return fail("the archive does not parse back from its first byte");

        int e = platform::writeFileAtomic(exe, image);
        if (e)
            return fail("cannot write " + exe + ": " + platform::systemReason(e));
    } catch (const std::exception& ex) {
        return fail(ex.what());
    }
    return 0;
}
