// quillmere-brand: writes and reads brand files for resellers.
//
//   quillmere-brand write NAME FILE   FILE's first line becomes the enciphered NAME
//   quillmere-brand read FILE         prints the brand FILE holds, exactly, nothing added
#include "app/Brand.h"
#include "platform/CommandLine.h"
#include "platform/FileSystem.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace {

std::string usageText() {
    return "usage: quillmere-brand write NAME FILE\n"
           "       quillmere-brand read FILE\n"
           "  write    makes FILE a brand file for NAME (the program reads Quillmere.dat)\n"
           "  read     prints the brand NAME that FILE holds\n"
           "  --help     show this help;  --version  show the version\n"
           "  " +
           BrandNameRule() + "\n";
}

int usage() {
    std::fputs(usageText().c_str(), stderr);
    return 2;
}

int writeBrand(const std::string& text, const std::string& file) {
    if (std::string problem = BrandNameProblem(text); !problem.empty()) {
        std::fprintf(stderr, "quillmere-brand: %s %s Nothing was written.\n", problem.c_str(),
                     BrandNameRule().c_str());
        return 2;
    }
    if (static_cast<unsigned char>(text.front()) == ' ' ||
        static_cast<unsigned char>(text.back()) == ' ')
        std::fputs("quillmere-brand: warning: spaces at either end of the brand are dropped when "
                   "the program reads it\n",
                   stderr);
    if (int e = platform::writeFileAtomic(file, EncodeBrandLine(text) + "\r\n")) {
        std::fprintf(stderr, "quillmere-brand: cannot write \"%s\": %s\n", file.c_str(),
                     platform::systemReason(e).c_str());
        return 1;
    }
    return 0;
}

int readBrand(const std::string& file) {
    BrandFileLine first = ReadBrandFileLine(file);
    if (first.status == BrandReadStatus::Unreadable) {
        std::fprintf(stderr, "quillmere-brand: cannot read \"%s\"\n", file.c_str());
        return 1;
    }
    if (first.status == BrandReadStatus::NoLine) {
        std::fprintf(stderr, "quillmere-brand: \"%s\" is not a brand file (it has no line)\n",
                     file.c_str());
        return 1;
    }
    std::string brand = DecodeBrand(first.line);
    // Any file decodes to some bytes; only a brand file gives printable text.
    if (!IsPrintableBrand(brand)) {
        std::fprintf(stderr, "quillmere-brand: \"%s\" is not a brand file\n", file.c_str());
        return 1;
    }
    if (std::fwrite(brand.data(), 1, brand.size(), stdout) != brand.size() ||
        std::fflush(stdout) != 0) {
        std::fputs("quillmere-brand: cannot write to standard output\n", stderr);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string help = usageText();
    if (std::optional<int> status =
            platform::standardOption(argc, argv, "quillmere-brand", help.c_str()))
        return *status;
    if (argc == 4 && std::strcmp(argv[1], "write") == 0)
        return writeBrand(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "read") == 0)
        return readBrand(argv[2]);
    return usage();
}
