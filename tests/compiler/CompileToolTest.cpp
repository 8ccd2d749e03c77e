// The built quillmere-compile with its appended templates: the same page as
// the wizard's Finish, valid HTML, exit codes and no partial output.
#include "platform/FileSystem.h"
#include "salesletter/Compiler.h"
#include "salesletter/ProjectFile.h"
#include "tests/compiler/SampleLetter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

struct Result {
    int status = -1;
    std::string err;
    std::string out;
};

std::string shellQuoted(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class CompileTool : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("QM_BIN_DIR");
        ASSERT_NE(bin, nullptr);
        // A copy of the tool in a folder of its own, so that the in-process
        // compile below finds the same appended templates without touching bin/.
        tool_ = dir_.file("quillmere-compile");
        std::filesystem::copy_file(std::string(bin) + "/quillmere-compile", tool_);
        std::filesystem::permissions(tool_, std::filesystem::perms::owner_all);
    }
    void TearDown() override { platform::setProgramPathForTesting(""); }

    Result run(const std::string& arguments) {
        const std::string out = dir_.file("stdout.txt"), err = dir_.file("stderr.txt");
        Result r;
        int raw = std::system((shellQuoted(tool_) + " " + arguments + " >" + shellQuoted(out) +
                               " 2>" + shellQuoted(err))
                                  .c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = readBytes(out);
        r.err = readBytes(err);
        std::filesystem::remove(out);
        std::filesystem::remove(err);
        return r;
    }

    testsupport::TempDir dir_;
    std::string tool_;
};

bool isOneLine(const std::string& message) {
    return !message.empty() && message.back() == '\n' && message.find('\n') == message.size() - 1;
}

} // namespace

TEST_F(CompileTool, SavedProjectGivesTheSameBytesAsTheWizardsFinish) {
    for (int t = 1; t <= 3; ++t) {
        SCOPED_TRACE("template " + std::to_string(t));
        const TSalesLetter letter = testsupport::SampleLetter(t);
        const std::string project = dir_.file("letter.prj");
        std::filesystem::remove(project);
        SaveProject(letter, project);

        const std::string page = dir_.file("batch.html");
        Result r = run(shellQuoted(project) + " " + shellQuoted(page));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, "");

        // Finish in the wizard: the record as it stands, compiled by the program.
        platform::setProgramPathForTesting(tool_);
        const std::string finish = dir_.file("finish.html");
        CompileSalesLetter(letter, finish);
        const std::string expected = readBytes(finish);
        EXPECT_GT(expected.size(), 15000u);
        EXPECT_EQ(readBytes(page), expected);
        EXPECT_FALSE(platform::fileExists(dir_.file("Tmp.html")));

        // And the wizard after opening the saved project.
        TSalesLetter loaded;
        LoadProject(loaded, project);
        CompileSalesLetter(loaded, finish);
        EXPECT_EQ(readBytes(finish), expected);
    }
}

TEST_F(CompileTool, CompiledPagesAreValidHtml) {
    ASSERT_EQ(std::system("command -v tidy >/dev/null 2>&1"), 0) << "tidy is not installed";
    for (int t = 1; t <= 3; ++t) {
        SCOPED_TRACE("template " + std::to_string(t));
        const std::string project = dir_.file("t.prj");
        std::filesystem::remove(project);
        SaveProject(testsupport::SampleLetter(t), project);
        const std::string page = dir_.file("t.html");
        ASSERT_EQ(run(shellQuoted(project) + " " + shellQuoted(page)).status, 0);

        const std::string report = dir_.file("tidy.txt");
        int raw =
            std::system(("tidy -q -e " + shellQuoted(page) + " 2>" + shellQuoted(report)).c_str());
        const std::string messages = readBytes(report);
        // Exit status 2 means errors; 1 means warnings only.
        ASSERT_TRUE(WIFEXITED(raw));
        EXPECT_LT(WEXITSTATUS(raw), 2) << messages;
        EXPECT_EQ(messages.find("Error:"), std::string::npos) << messages;
        // The template's own markup draws no warning beyond the legacy
        // background attribute; the rest would come from the values.
        std::size_t start = 0;
        while (start < messages.size()) {
            std::size_t end = messages.find('\n', start);
            const std::string line = messages.substr(start, end - start);
            if (!line.empty() && line.find("bgcolor") == std::string::npos &&
                line.find("URI") == std::string::npos)
                ADD_FAILURE() << line;
            start = end == std::string::npos ? messages.size() : end + 1;
        }
    }
}

TEST_F(CompileTool, WritesTheOutputNameExactlyAndUsesTheProjectsTemplate) {
    TSalesLetter letter = testsupport::SampleLetter(1);
    letter.CB1 = false; // no option selected: template 3
    const std::string project = dir_.file("none.prj");
    SaveProject(letter, project);
    const std::string page = dir_.file("page");
    ASSERT_EQ(run(shellQuoted(project) + " " + shellQuoted(page)).status, 0);
    EXPECT_FALSE(platform::fileExists(page + ".html"));
    EXPECT_NE(readBytes(page).find("class=\"showcase\""), std::string::npos);
}

TEST_F(CompileTool, FailuresGiveOneLineNonZeroExitAndNoOutput) {
    const std::string project = dir_.file("ok.prj");
    SaveProject(testsupport::SampleLetter(2), project);
    const std::string page = dir_.file("page.html");

    Result missing = run(shellQuoted(dir_.file("nothere.prj")) + " " + shellQuoted(page));
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(isOneLine(missing.err)) << missing.err;
    EXPECT_NE(missing.err.find("nothere.prj"), std::string::npos);
    EXPECT_FALSE(platform::fileExists(page));

    Result folder = run(shellQuoted(dir_.path()) + " " + shellQuoted(page));
    EXPECT_EQ(folder.status, 1);
    EXPECT_TRUE(isOneLine(folder.err)) << folder.err;
    EXPECT_FALSE(platform::fileExists(page));

    const std::string nowhere = dir_.file("gone") + "/page.html";
    Result unwritable = run(shellQuoted(project) + " " + shellQuoted(nowhere));
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.err, "quillmere-compile: Cannot create file \"" + nowhere +
                                  "\". No such file or directory\n");

    // A failed run keeps an existing page as it was.
    writeBytes(page, "previous page");
    EXPECT_EQ(run(shellQuoted(dir_.file("nothere.prj")) + " " + shellQuoted(page)).status, 1);
    EXPECT_EQ(readBytes(page), "previous page");

    for (const std::string& args :
         {std::string(), shellQuoted(project),
          shellQuoted(project) + " " + shellQuoted(page) + " extra", "'' " + shellQuoted(page)}) {
        Result bad = run(args);
        EXPECT_EQ(bad.status, 2) << args;
        EXPECT_EQ(bad.err.rfind("usage: quillmere-compile PROJECT OUTPUT\n"
                                "       quillmere-compile --export FOLDER PROJECT\n"
                                "  PROJECT  a salesletter project file",
                                0),
                  0u)
            << bad.err;
    }
    EXPECT_EQ(readBytes(page), "previous page");
}

TEST(EnsureExtension, HtmlNamesForTheCompiledPage) {
    EXPECT_EQ(EnsureExtension("letter", ".html"), "letter.html");
    EXPECT_EQ(EnsureExtension("letter.HTML", ".html"), "letter.HTML");
    EXPECT_EQ(EnsureExtension("letter.Html", ".html"), "letter.Html");
    EXPECT_EQ(EnsureExtension("letter.htm", ".html"), "letter.htm.html");
    EXPECT_EQ(EnsureExtension("/tmp/my.site/letter", ".html"), "/tmp/my.site/letter.html");
}

TEST_F(CompileTool, TemplateMissingFromTheExecutableIsReported) {
    // The same tool with its appended documents cut off.
    std::string image = readBytes(tool_);
    const std::size_t archive = image.rfind(std::string("SO!") + "#TEMPLATE1.HTML\xB6");
    ASSERT_NE(archive, std::string::npos);
    std::filesystem::remove(tool_);
    writeBytes(tool_, image.substr(0, archive));
    std::filesystem::permissions(tool_, std::filesystem::perms::owner_all);

    const std::string project = dir_.file("p.prj");
    SaveProject(testsupport::SampleLetter(2), project);
    const std::string page = dir_.file("page.html");
    Result r = run(shellQuoted(project) + " " + shellQuoted(page));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "quillmere-compile: The template \"TEMPLATE2.HTML\" is missing from " + tool_ + "\n");
    EXPECT_FALSE(platform::fileExists(page));
}

// Anything that is not a project (a page, a registry) would otherwise compile
// into an empty letter without a word.
TEST_F(CompileTool, RefusesAFileThatIsNoProject) {
    const std::string notProject = dir_.file("Groups.ini");
    writeBytes(notProject, "[Books]\r\nProjectCount=0\r\n");
    const std::string page = dir_.file("page.html");
    Result r = run(shellQuoted(notProject) + " " + shellQuoted(page));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(
        r.err.rfind("quillmere-compile: " + notProject + " is not a salesletter project file", 0),
        0u)
        << r.err;
    EXPECT_TRUE(isOneLine(r.err)) << r.err;
    EXPECT_FALSE(platform::fileExists(page));

    r = run("--export " + shellQuoted(dir_.file("site")) + " " + shellQuoted(notProject));
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir_.file("site")));
}

TEST_F(CompileTool, ExportWritesAnUploadablePageWithItsPictures) {
    TSalesLetter letter = testsupport::SampleLetter(1);
    letter["HG"] = dir_.file("Header Graphic.jpg");
    letter["EC"] = dir_.file("cover.PNG");
    writeBytes(letter["HG"], "header picture");
    letter["PT"] = "\xE2\x80\x9C"
                   "Caf\xC3\xA9\xE2\x80\x9D \xE2\x80\x94 \xE2\x82\xAC"
                   "7\xC2\xBD";
    const std::string project = dir_.file("letter.prj");
    SaveProject(letter, project);
    const std::string site = dir_.file("site");

    // The e-cover is missing: named, and nothing is written.
    Result r = run("--export " + shellQuoted(site) + " " + shellQuoted(project));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(letter["EC"]), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(site));

    writeBytes(letter["EC"], "cover picture");
    r = run("--export " + shellQuoted(site) + " " + shellQuoted(project));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string html = readBytes(site + "/index.html");
    EXPECT_NE(html.find("src=\"images/header-graphic.jpg\""), std::string::npos);
    EXPECT_NE(html.find("src=\"images/cover.png\""), std::string::npos);
    EXPECT_NE(html.find("<title>" + letter["PT"] + "</title>"), std::string::npos);
    EXPECT_EQ(html.find(dir_.path()), std::string::npos); // no local path is left
    EXPECT_EQ(readBytes(site + "/images/header-graphic.jpg"), "header picture");
    EXPECT_EQ(readBytes(site + "/images/cover.png"), "cover picture");
}

// The page never takes the project's place: not under the same name, not
// under another name of the same file, not as any other project file.
TEST_F(CompileTool, RefusesToWriteOverTheProjectOrAnyProjectFile) {
    const std::string project = dir_.file("same.prj");
    SaveProject(testsupport::SampleLetter(1), project);
    const std::string before = readBytes(project);
    std::filesystem::create_directories(dir_.file("sub"));
    std::filesystem::create_symlink(project, dir_.file("link.html"));
    const std::string other = dir_.file("other.PRJ");
    writeBytes(other, "[Project]\r\n");
    for (const std::string& output :
         {project, dir_.file("sub/../same.prj"), dir_.file("link.html"), other}) {
        SCOPED_TRACE(output);
        Result r = run(shellQuoted(project) + " " + shellQuoted(output));
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(isOneLine(r.err)) << r.err;
        EXPECT_EQ(r.err.rfind("quillmere-compile: ", 0), 0u) << r.err;
    }
    EXPECT_EQ(readBytes(project), before);
    EXPECT_EQ(readBytes(other), "[Project]\r\n");
    EXPECT_TRUE(std::filesystem::is_symlink(dir_.file("link.html")));
    // An ordinary page name still works.
    EXPECT_EQ(run(shellQuoted(project) + " " + shellQuoted(dir_.file("page.html"))).status, 0);
}
