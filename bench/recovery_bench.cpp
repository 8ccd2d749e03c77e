// Times the wizard's recovery copy for a fully filled record: building the
// text, writing it (atomically, flushed to disk, as the wizard does) and
// reading it back. Each is run `repeats` times; the table shows the median,
// the fastest and the slowest run.
//
//   recovery_bench [folder] [repeats]
//
// The folder defaults to the temporary folder; use one on the disk that holds
// the user's data folder to time that disk.
#include "salesletter/Recovery.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

// Every field filled as a long evening's work fills it: one-line fields of 80
// characters, memos of 30 lines of 70 characters, some text outside ASCII.
RecoveryCopy filledCopy() {
    RecoveryCopy copy;
    const auto& fields = TSalesLetter::Fields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::string value;
        if (fields[i].kind == FieldKind::Text) {
            for (int line = 0; line < 30; ++line)
                value += (line ? "\r\n" : "") + std::string("<p>Caf\xc3\xa9 line ") +
                         std::to_string(line) + " " + std::string(56, 'm') + "</p>";
        } else {
            value = std::string(fields[i].key) + " " + std::string(76, 'w');
        }
        copy.letter.at(i) = value;
    }
    copy.projectFile = "/home/user/Documents/Letters/launch.prj";
    copy.caption = "Create Salesletters - launch.prj";
    copy.lastChange = 1765300000;
    return copy;
}

struct Timing {
    double median, fastest, slowest;
};

Timing time(int repeats, const std::function<void()>& work) {
    std::vector<double> ms;
    for (int i = 0; i < repeats; ++i) {
        auto start = std::chrono::steady_clock::now();
        work();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front(), ms.back()};
}

} // namespace

int main(int argc, char** argv) {
    std::string folder = argc > 1 ? argv[1] : platform::tempFolder();
    int repeats = argc > 2 ? std::atoi(argv[2]) : 100;
    if (repeats < 1)
        repeats = 1;
    std::string path = NewRecoveryPath(folder);
    RecoveryCopy copy = filledCopy();
    std::size_t size = RecoveryText(copy).size();

    std::printf("recovery copy of a fully filled record: %zu bytes, %d runs, in %s\n", size,
                repeats, folder.c_str());
    std::printf("%-28s %10s %10s %10s\n", "work", "median ms", "fastest", "slowest");
    auto row = [](const char* name, Timing t) {
        std::printf("%-28s %10.3f %10.3f %10.3f\n", name, t.median, t.fastest, t.slowest);
    };
    row("build the text", time(repeats, [&] {
            volatile std::size_t n = RecoveryText(copy).size();
            (void)n;
        }));
    row("write (atomic, flushed)", time(repeats, [&] { WriteRecovery(path, copy); }));
    row("read back", time(repeats, [&] {
            volatile std::size_t n = ReadRecovery(path).caption.size();
            (void)n;
        }));
    RemoveRecovery(path);
    return 0;
}
