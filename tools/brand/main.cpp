// quillmere-brand: writes and reads brand files for resellers.
//
//   quillmere-brand write TEXT FILE   FILE's first line becomes the enciphered TEXT
//   quillmere-brand read FILE         prints the brand FILE holds, exactly, nothing added
#include "app/Brand.h"
#include "platform/FileSystem.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int usage() {
    std::fputs("usage: quillmere-brand write TEXT FILE\n"
               "       quillmere-brand read FILE\n",
               stderr);
    return 2;
}

int writeBrand(const std::string& text, const std::string& file) {
    if (!text.empty() && (static_cast<unsigned char>(text.front()) <= 0x20 ||
                          static_cast<unsigned char>(text.back()) <= 0x20))
        std::fputs("quillmere-brand: warning: spaces and control characters at either end of "
                   "the brand are dropped when the program reads it\n",
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
        std::fprintf(stderr, "quillmere-brand: \"%s\" has no line\n", file.c_str());
        return 1;
    }
    std::string brand = DecodeBrand(first.line);
    if (std::fwrite(brand.data(), 1, brand.size(), stdout) != brand.size() ||
        std::fflush(stdout) != 0) {
        std::fputs("quillmere-brand: cannot write to standard output\n", stderr);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "write") == 0)
        return writeBrand(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "read") == 0)
        return readBrand(argv[2]);
    return usage();
}
