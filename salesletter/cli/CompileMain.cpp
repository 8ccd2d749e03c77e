// quillmere-compile PROJECT OUTPUT
// quillmere-compile --export FOLDER PROJECT
//
// Loads a sales-letter project file as the wizard's Open does (starting from a
// record with the wizard's opening defaults) and fills the chosen template
// from this executable's appended documents. Never opens a browser.
//
// The first form writes the page to OUTPUT, exactly that name, with the
// pictures referred to where the project's fields point (as Preview shows
// it). The second writes a page ready to upload: FOLDER/index.html and its
// pictures in FOLDER/images, as the wizard's Finish does; FOLDER is created
// when missing.
//
// Exit status: 0 on success, 1 when a file cannot be read or written, the
// project is no project file, a picture is missing or a template is missing,
// 2 on bad arguments (an OUTPUT that is the project file or another .prj
// among them); every failure prints one line on standard error and
// leaves no output file behind (an existing one is kept).
//
// Unlike the wizard it needs no scratch file: the template is taken from the
// executable's image in memory, which gives the same page.
#include "archive/ExeMod.h"
#include "ini/BigIniFile.h"
#include "OutputCheck.h"
#include "platform/CommandLine.h"
#include "platform/FileSystem.h"
#include "salesletter/Compiler.h"
#include "salesletter/Export.h"
#include "salesletter/ProjectFile.h"
#include "salesletter/SalesLetter.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>

namespace {

const char kUsage[] =
    "usage: quillmere-compile PROJECT OUTPUT\n"
    "       quillmere-compile --export FOLDER PROJECT\n"
    "  PROJECT  a salesletter project file (.prj) saved by the wizard\n"
    "  OUTPUT   the HTML page to write; pictures stay where the project points\n"
    "  FOLDER   where to write index.html and its pictures (images/), ready to upload\n"
    "  --help     show this help;  --version  show the version\n";

// Messages go out on one line whatever a path holds.
std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "quillmere-compile: %s\n", oneLine(message).c_str());
    return 1;
}

TSalesLetter loadLetter(const std::string& project) {
    // The wizard would load a missing file as an empty project; a batch
    // build must say so instead, and so for a file that is no project.
    platform::readFile(project);
    {
        TBigIniFile ini(project, TBigIniFile::kNoLineLimit);
        if (!ini.SectionExists(kProjectSection))
            throw std::runtime_error(project + " is not a salesletter project file (it has no [" +
                                     kProjectSection + "] section)");
    }
    TSalesLetter letter;
    LoadProject(letter, project);
    return letter;
}

std::string templateFor(const TSalesLetter& letter) {
    ExeMod::LoadExeImage();
    const std::string name = TemplateDocumentName(letter);
    std::string text = ExeMod::GetDocument(name);
    if (text.empty())
        throw std::runtime_error("The template \"" + name + "\" is missing from " +
                                 platform::programPath());
    return text;
}

} // namespace

int main(int argc, char** argv) {
    if (std::optional<int> status =
            platform::standardOption(argc, argv, "quillmere-compile", kUsage))
        return *status;
    const bool exporting = argc == 4 && std::strcmp(argv[1], "--export") == 0;
    if ((argc != 3 && !exporting) || argv[1][0] == '\0' || argv[2][0] == '\0' ||
        (exporting && argv[3][0] == '\0') || (!exporting && argv[1][0] == '-')) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    try {
        if (exporting) {
            const std::string folder = argv[2];
            const TSalesLetter letter = loadLetter(argv[3]);
            PlanExport(letter); // a missing picture stops everything before any write
            if (!platform::folderExists(folder) && !platform::forceDirectories(folder))
                return fail("Cannot create the folder \"" + folder + "\"");
            const std::string page =
                folder +
                (folder.back() == platform::kPathSeparator || folder.back() == '/'
                     ? ""
                     : std::string(1, platform::kPathSeparator)) +
                "index.html";
            ExportPage(letter, templateFor(letter), page);
        } else {
            if (std::string refusal = OutputRefusal(argv[1], argv[2]); !refusal.empty()) {
                std::fprintf(stderr, "quillmere-compile: %s\n", oneLine(refusal).c_str());
                return 2;
            }
            const TSalesLetter letter = loadLetter(argv[1]);
            platform::saveFileAtomic(argv[2], BuildSalesPage(letter, templateFor(letter)));
        }
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    return 0;
}
