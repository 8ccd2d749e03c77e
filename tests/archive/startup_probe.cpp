// A small program that runs the start-up routine as the real program does and
// reports what happened on standard output, one fact a line:
//
//   cwd <current folder>
//   start <path> [<argument>...]
//   error <text>
//   end <0|1>
//   doc <name> <size>        for each document of its own archive, in order
//
// QM_PROBE_READONLY_MEDIUM=1 makes flipping its read-only attribute have no
// effect, as on a medium that cannot be written.
#include "archive/ArchiveFormat.h"
#include "archive/ExeMod.h"
#include "platform/ScriptedServices.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

int main(int argc, char** argv) {
    platform::ScriptedServices services;
    platform::ScopedServices scoped(services);
    if (const char* ro = std::getenv("QM_PROBE_READONLY_MEDIUM"); ro && std::strcmp(ro, "1") == 0)
        ExeMod::SimulateReadOnlyMediumForTesting(true);

    ExeMod::ArchiveStartup(argc, argv);

    std::printf("cwd %s\n", std::filesystem::current_path().string().c_str());
    for (const auto& s : services.startedPrograms) {
        std::printf("start %s", s.path.c_str());
        for (const auto& a : s.args)
            std::printf(" %s", a.c_str());
        std::printf("\n");
    }
    for (const auto& e : services.errors)
        std::printf("error %s\n", e.c_str());
    std::printf("end %d\n", ExeMod::EndRequested() ? 1 : 0);
    if (!ExeMod::EndRequested()) {
        ExeMod::LoadExeImage();
        const std::string& image = ExeMod::ExeImage();
        if (auto offset = archiveformat::ArchiveOffset(image))
            for (const auto& d : archiveformat::ReadRecords(image, *offset))
                std::printf("doc %s %zu\n", d.name.c_str(), ExeMod::GetDocument(d.name).size());
    }
    ExeMod::ArchiveShutdown();
    return 0;
}
