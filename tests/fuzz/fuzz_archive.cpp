// Fuzz target: the appended-archive reader on any executable image and any
// document name. GetDocument (through a real image file, as the program
// loads it) agrees with a plain reading of the search rules; a record
// appended to an image that does not already hold its patterns is found;
// ExtractDocument writes exactly the body or nothing; a well-formed archive
// that ArchiveOffset finds is exactly its records.
#include "FuzzSupport.h"

#include "archive/ArchiveFormat.h"
#include "archive/ExeMod.h"
#include "platform/FileSystem.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <unistd.h>

namespace {

// The search rules step by step: the first start pattern from the first byte,
// the first end pattern again from the first byte, which must not lie before
// the body.
std::string referenceDocument(const std::string& image, const std::string& name) {
    const std::string start = std::string("SO!#") + name + '\xB6';
    const std::string end = std::string("EO!#") + name;
    std::size_t s = std::string::npos;
    for (std::size_t i = 0; i + start.size() <= image.size() && s == std::string::npos; ++i)
        if (image.compare(i, start.size(), start) == 0)
            s = i;
    if (s == std::string::npos)
        return {};
    std::size_t bodyStart = s + start.size();
    for (std::size_t i = 0; i + end.size() <= image.size(); ++i)
        if (image.compare(i, end.size(), end) == 0)
            return i >= bodyStart ? image.substr(bodyStart, i - bodyStart) : std::string();
    return {};
}

struct Setup {
    std::string program = fuzzsupport::scratch().file("quillmere");
    std::string extracted = fuzzsupport::scratch().file("extracted.html");
    Setup() {
        fuzzsupport::quietServices();
        platform::setProgramPathForTesting(program);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzzsupport::check;
    static Setup setup;
    FuzzedDataProvider fdp(data, size);
    const bool append = fdp.ConsumeBool();
    const std::string name = fdp.ConsumeBytesAsString(fdp.ConsumeIntegralInRange(0, 24));
    const std::string body =
        append ? fdp.ConsumeBytesAsString(fdp.ConsumeIntegralInRange(0, 512)) : std::string();
    const std::string prefix = fdp.ConsumeRemainingBytesAsString();
    const std::string image = append ? prefix + archiveformat::MakeRecord(name, body) : prefix;

    // The program's own file, as GetDocument loads it when its image is empty.
    fuzzsupport::writeBytes(setup.program, image);
    ExeMod::ArchiveShutdown();
    const std::string found = ExeMod::GetDocument(name);
    check(ExeMod::ExeImage() == image, "the image is the whole file");
    check(found == referenceDocument(image, name), "GetDocument follows the search rules");
    check(found == archiveformat::FindDocument(image, name), "one search rule everywhere");

    if (append) {
        const std::string start = archiveformat::StartPattern(name);
        const std::size_t ownEnd = prefix.size() + start.size() + body.size();
        // Found when no earlier start pattern stands before it and no end
        // pattern begins before its own.
        if (prefix.find(start) == std::string::npos &&
            image.find(archiveformat::EndPattern(name)) == ownEnd)
            check(found == body, "an appended record is found");
    }

    // ExtractDocument writes the body, or nothing at all for an empty one.
    platform::deleteFile(setup.extracted);
    char cwd[4096];
    check(::getcwd(cwd, sizeof cwd) != nullptr, "current folder");
    ExeMod::ExtractDocument(name, setup.extracted);
    check(::chdir(cwd) == 0, "back to the current folder");
    if (found.empty())
        check(!platform::fileExists(setup.extracted), "an empty document writes no file");
    else
        check(fuzzsupport::readBytes(setup.extracted) == found, "the extracted file is the body");

    // A well-formed archive is exactly the records it lists.
    if (auto offset = archiveformat::ArchiveOffset(image)) {
        auto records = archiveformat::ReadRecords(image, *offset);
        check(!records.empty(), "a found archive has records");
        std::string rebuilt;
        for (const auto& r : records) {
            check(r.name.find('\xB6') == std::string::npos, "names hold no separator");
            rebuilt += archiveformat::MakeRecord(r.name, r.body);
        }
        check(rebuilt == image.substr(*offset), "the records make up the archive");
    }
    ExeMod::ArchiveShutdown();
    return 0;
}
