#include "app/Brand.h"
#include "archive/RunProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

using testsupport::runProcess;
using testsupport::TempDir;

namespace {

std::string tool() {
    const char* bin = std::getenv("QM_BIN_DIR");
    return std::string(bin ? bin : ".") + "/quillmere-brand";
}

} // namespace

TEST(BrandTool, WritesWhatItReadsBackForEveryLengthUpToForty) {
    TempDir dir;
    std::string f = dir.file("Quillmere.dat");
    // An empty brand is refused (see RefusesNamesTheProgramCannotUse).
    for (size_t n = 1; n <= 40; ++n) {
        std::string brand;
        for (size_t i = 0; i < n; ++i)
            brand += static_cast<char>(i % 5 == 3 && i + 1 < n ? ' ' : 'A' + (i * 11) % 58);
        auto w = runProcess({tool(), "write", brand, f});
        ASSERT_EQ(w.exitCode, 0) << w.err;
        auto r = runProcess({tool(), "read", f});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, brand) << n;
        EXPECT_EQ(r.err, "");
        // The program's own reader agrees.
        EXPECT_EQ(DecodeBrand(ReadBrandFileLine(f).line), brand);
    }
}

TEST(BrandTool, ReportsFailuresWithAOneLineMessageAndNonZeroExit) {
    TempDir dir;
    auto missing = runProcess({tool(), "read", dir.file("none.dat")});
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_EQ(missing.out, "");
    ASSERT_FALSE(missing.err.empty());
    EXPECT_EQ(missing.err.find('\n'), missing.err.size() - 1);

    testsupport::writeBytes(dir.file("empty.dat"), "");
    auto empty = runProcess({tool(), "read", dir.file("empty.dat")});
    EXPECT_NE(empty.exitCode, 0);
    EXPECT_EQ(empty.err.find('\n'), empty.err.size() - 1);

    auto noFolder = runProcess({tool(), "write", "x", dir.file("no/such/folder.dat")});
    EXPECT_NE(noFolder.exitCode, 0);

    for (auto args : std::vector<std::vector<std::string>>{
             {tool()}, {tool(), "read"}, {tool(), "write", "x"}, {tool(), "erase", "f"}}) {
        auto r = runProcess(args);
        EXPECT_NE(r.exitCode, 0);
        EXPECT_NE(r.err.find("usage"), std::string::npos);
    }
}

TEST(BrandTool, TheBuildPutsADemoBrandBesideTheProgram) {
    auto r =
        runProcess({tool(), "read", std::string(std::getenv("QM_BIN_DIR")) + "/Quillmere.dat"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(r.out.empty());
}

TEST(BrandTool, RefusesNamesTheProgramCannotUseAndSaysTheRule) {
    TempDir dir;
    const std::string f = dir.file("Quillmere.dat");
    testsupport::writeBytes(f, "untouched");
    for (const std::string& name :
         {std::string(), std::string("two\nlines"), std::string("tab\there"),
          std::string("bell\x07"), std::string("del\x7f"), std::string(65, 'x'),
          std::string("bad\xff utf8")}) {
        auto r = runProcess({tool(), "write", name, f});
        EXPECT_EQ(r.exitCode, 2) << name;
        EXPECT_NE(r.err.find("A brand NAME is 1 to 64 characters"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1);
        EXPECT_EQ(testsupport::readBytes(f), "untouched");
    }
    // The longest name, and one of 64 characters that are not all ASCII.
    std::string longest(64, 'x');
    std::string accents;
    for (int i = 0; i < 32; ++i)
        accents += "\xC3\xA9"
                   "a"; // 64 characters in 96 bytes
    for (const std::string& name : {longest, accents}) {
        ASSERT_EQ(runProcess({tool(), "write", name, f}).exitCode, 0);
        EXPECT_EQ(runProcess({tool(), "read", f}).out, name);
    }
}

TEST(BrandTool, ReadRefusesWhatIsNoBrandFile) {
    TempDir dir;
    // Bytes of every value but the line breaks, as a picture or a program holds them.
    std::string binary;
    unsigned state = 12345;
    while (binary.size() < 4096) {
        state = state * 1103515245u + 12345u;
        const char c = static_cast<char>(state >> 16);
        if (c != '\r' && c != '\n' && c != '\0')
            binary += c;
    }
    testsupport::writeBytes(dir.file("random.bin"), binary);
    testsupport::writeBytes(dir.file("text.txt"), "just some words\n");
    testsupport::writeBytes(dir.file("blank.dat"), "\r\nsecond line\r\n");
    for (const char* name : {"random.bin", "text.txt", "blank.dat"}) {
        auto r = runProcess({tool(), "read", dir.file(name)});
        EXPECT_EQ(r.exitCode, 1) << name;
        EXPECT_EQ(r.out, "") << name;
        EXPECT_NE(r.err.find("is not a brand file"), std::string::npos) << r.err;
    }
}

TEST(CommandLineTools, AnswerHelpAndVersion) {
    const std::string bin = std::getenv("QM_BIN_DIR");
    for (const std::string name : {"quillmere-brand", "quillmere-compile"}) {
        auto help = runProcess({bin + "/" + name, "--help"});
        EXPECT_EQ(help.exitCode, 0) << name;
        EXPECT_EQ(help.out.rfind("usage: " + name, 0), 0u) << help.out;
        EXPECT_EQ(help.err, "");
        auto version = runProcess({bin + "/" + name, "--version"});
        EXPECT_EQ(version.exitCode, 0) << name;
        EXPECT_EQ(version.out, name + " 2.0\n");
    }
    EXPECT_NE(runProcess({tool(), "--help"}).out.find("A brand NAME is 1 to 64 characters"),
              std::string::npos);
}
