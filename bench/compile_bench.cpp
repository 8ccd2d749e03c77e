// Times the sales-letter compiler on a record with every field filled, without
// the browser: the whole compile as Preview and Finish run it (reload of the
// executable's image, template extraction to "Tmp.html", filling, atomic page
// write) and the filling alone.
//
//   compile_bench [executable with appended templates] [repeats]
//
// The executable defaults to this program, which carries the templates; pass
// build/bin/quillmere to time the reload of the full program's image. The table
// shows the median and the fastest run of each template.
#include "archive/ExeMod.h"
#include "platform/FileSystem.h"
#include "salesletter/Compiler.h"
#include "tests/compiler/SampleLetter.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

template <class F> std::vector<double> timeRuns(int repeats, F run) {
    std::vector<double> ms;
    for (int i = 0; i < repeats; ++i) {
        auto start = Clock::now();
        run();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms;
}

void row(const char* what, int t, const std::vector<double>& ms) {
    std::printf("%-34s %d  %9.3f  %9.3f\n", what, t, ms[ms.size() / 2], ms.front());
}

} // namespace

int main(int argc, char** argv) {
    const std::string exe = argc > 1 && argv[1][0] ? argv[1] : platform::programPath();
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;

    // Work in a folder of our own: the program path decides where "Tmp.html" goes.
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "qm-compile-bench";
    std::filesystem::create_directories(dir);
    const std::string copy = (dir / "quillmere").string();
    std::filesystem::copy_file(exe, copy, std::filesystem::copy_options::overwrite_existing);
    platform::setProgramPathForTesting(copy);
    const std::string page = (dir / "letter.html").string();

    std::printf("executable image: %s, %.1f MB; %d runs\n", exe.c_str(),
                std::filesystem::file_size(copy) / 1048576.0, repeats);
    std::printf("%-34s %s  %9s  %9s\n", "", "T", "median ms", "best ms");
    for (int t = 1; t <= 3; ++t) {
        const TSalesLetter letter = testsupport::SampleLetter(t);
        const std::string templateText = platform::readFile(
            std::string(std::getenv("QM_SOURCE_DIR") ? std::getenv("QM_SOURCE_DIR") : "") +
            "/resources/TEMPLATE" + std::to_string(t) + ".HTML");
        CompileSalesLetter(letter, page); // warm the file cache
        row("CompileSalesLetter (whole compile)", t,
            timeRuns(repeats, [&] { CompileSalesLetter(letter, page); }));
        if (t == 1) {
            row("  of which: LoadExeImage", t, timeRuns(repeats, [] { ExeMod::LoadExeImage(); }));
            const std::string filled = BuildSalesPage(letter, templateText);
            row("  of which: page write (atomic)", t,
                timeRuns(repeats, [&] { platform::saveFileAtomic(page, filled); }));
        }
        if (!templateText.empty()) {
            std::size_t size = 0;
            row("BuildSalesPage (filling only)", t,
                timeRuns(repeats, [&] { size += BuildSalesPage(letter, templateText).size(); }));
        }
    }
    std::filesystem::remove_all(dir);
    return 0;
}
