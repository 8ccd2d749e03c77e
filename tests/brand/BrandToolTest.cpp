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
    for (size_t n = 0; n <= 40; ++n) {
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
