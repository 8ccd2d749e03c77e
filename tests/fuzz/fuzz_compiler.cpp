// Fuzz target: the sales-letter compiler with any template and any field
// values: placeholders anywhere (also inside values and at the text's first
// character), optional blocks with and without their tags, line breaks of
// every kind. Properties:
//   - the page always consists of whole CR LF lines;
//   - a value that holds no placeholder text, no "{" and no "@" stands in the
//     page when its own placeholder is the only one in the template;
//   - CompileSalesLetter, through an executable image that carries the
//     template, writes exactly the page BuildSalesPage gives and leaves no
//     scratch file in the temporary folder; a template missing from the image
//     (or empty) fails with "The template … is missing" and leaves the target
//     alone.
#include "FuzzSupport.h"

#include "archive/ArchiveFormat.h"
#include "archive/ExeMod.h"
#include "platform/FileSystem.h"
#include "salesletter/Compiler.h"
#include "salesletter/SalesLetter.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kValues = {"",
                                          " ",
                                          "x",
                                          "Value",
                                          "{@lastname@}",
                                          "{@PageTitle@}",
                                          "{@feature1@}",
                                          "one\r\ntwo\r\nthree",
                                          "a\rb\nc",
                                          "<li>",
                                          "</li>",
                                          "<p",
                                          "</table>",
                                          "~~"};

struct Setup {
    std::string program = fuzzsupport::scratch().file("quillmere");
    std::string target = fuzzsupport::scratch().file("page.html");
    std::string temp = fuzzsupport::scratch().file("tmp");
    Setup() {
        fuzzsupport::quietServices();
        platform::setProgramPathForTesting(program);
        platform::createDirectory(temp);
        ::setenv("TMPDIR", temp.c_str(), 1);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzzsupport::check;
    static Setup setup;
    FuzzedDataProvider fdp(data, size);

    // Choices from the input's end, texts from its front.
    TSalesLetter letter;
    const int option = fdp.ConsumeIntegralInRange(0, 3); // 0: none selected
    if (option == 0)
        letter.SetTemplateOption(1, false);
    else
        letter.SelectTemplate(option);
    const int fill = fdp.ConsumeIntegralInRange(0, 3);
    const std::string own = fdp.ConsumeRandomLengthString(64);
    for (std::size_t i = 0; i < TSalesLetter::kFieldCount; ++i) {
        switch (fill) {
        case 0:
            letter.at(i).clear();
            break;
        case 1: // the defaults of a new window
            break;
        default: {
            std::size_t n = fdp.ConsumeIntegralInRange<std::size_t>(0, kValues.size());
            letter.at(i) = n < kValues.size() ? kValues[n] : own;
        }
        }
    }
    const int imageKind = fdp.ConsumeIntegralInRange(0, 3);
    const std::string templateText = fdp.ConsumeRemainingBytesAsString();

    const std::string page = BuildSalesPage(letter, templateText);
    check(JoinLines(page) == page, "the page is whole CR LF lines");
    check(page.empty() || page.ends_with("\r\n"), "the page's last line ends with CR LF");
    // The published page: every field written for its spot, then tidied.
    const std::string published = BuildSalesPage(letter, templateText, DefaultPageContext());
    check(JoinLines(published) == published, "the published page is whole CR LF lines");

    // A one-placeholder template with a plain value.
    if (!own.empty() && own.find_first_of("{@\r\n") == std::string::npos) {
        TSalesLetter single = letter;
        single["PT"] = own;
        check(BuildSalesPage(single, "<title>{@PageTitle@}</title>") ==
                  "<title>" + own + "</title>\r\n",
              "a plain value fills its placeholder in any letter case");
    }

    if (imageKind == 0)
        return 0; // the text steps alone, most of the time faster
    // The program image: some code, then the archive; kind 2 carries the other
    // templates only, kind 3 puts the template in every record.
    const std::string chosen = TemplateDocumentName(letter);
    std::string image = "\x7f"
                        "ELF program code";
    for (const char* name : {"TEMPLATE1.HTML", "TEMPLATE2.HTML", "TEMPLATE3.HTML"}) {
        if (name == chosen)
            image += imageKind == 2 ? "" : archiveformat::MakeRecord(name, templateText);
        else
            image += archiveformat::MakeRecord(name, imageKind == 3 ? templateText : "other");
    }
    fuzzsupport::writeBytes(setup.program, image);
    fuzzsupport::writeBytes(setup.target, "old page");
    // What the reader finds (the template itself, unless its text holds markers).
    const std::string document = archiveformat::FindDocument(image, chosen);
    const bool present = !document.empty();
    try {
        CompileSalesLetter(letter, setup.target);
        check(present, "a compile without its template fails");
        check(fuzzsupport::readBytes(setup.target) ==
                  BuildSalesPage(letter, document, DefaultPageContext()),
              "the written page is the published page");
    } catch (const platform::IoError& e) {
        check(!present, "a compile with its template succeeds");
        check(std::string(e.what()).starts_with("The template \""), "a missing template is named");
        check(fuzzsupport::readBytes(setup.target) == "old page",
              "a failed compile writes nothing");
    }
    check(std::filesystem::is_empty(setup.temp), "no scratch file is left");
    ExeMod::ArchiveShutdown();
    return 0;
}
