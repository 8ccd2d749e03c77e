// quillmere-compile PROJECT OUTPUT
//
// Loads a sales-letter project file as the wizard's Open does (starting from a
// record with the wizard's opening defaults), fills the chosen template from
// this executable's appended documents and writes the page to OUTPUT, exactly
// that name. Never opens a browser.
//
// Exit status: 0 on success, 1 when a file cannot be read or written or a
// template is missing, 2 on bad arguments; every failure prints one line on
// standard error and leaves no output file behind (an existing one is kept).
//
// Unlike the wizard it needs no scratch file in its own folder: the template
// is taken from the executable's image in memory, which gives the same page
// and lets several runs work side by side or from a read-only install.
#include "archive/ExeMod.h"
#include "platform/FileSystem.h"
#include "salesletter/Compiler.h"
#include "salesletter/ProjectFile.h"
#include "salesletter/SalesLetter.h"

#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>

namespace {

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

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 || argv[1][0] == '\0' || argv[2][0] == '\0') {
        std::fprintf(stderr, "usage: quillmere-compile PROJECT OUTPUT\n");
        return 2;
    }
    const std::string project = argv[1];
    const std::string output = argv[2];
    try {
        // The wizard would load a missing file as an empty project; a batch
        // build must say so instead.
        platform::readFile(project);
        TSalesLetter letter;
        LoadProject(letter, project);

        ExeMod::LoadExeImage();
        const std::string name = TemplateDocumentName(letter);
        const std::string templateText = ExeMod::GetDocument(name);
        if (templateText.empty())
            return fail("The template \"" + name + "\" is missing from " + platform::programPath());
        platform::saveFileAtomic(output, BuildSalesPage(letter, templateText));
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    return 0;
}
