// A process that dies while saving: the registry, a project file and a
// compiled page. A child process saves and is killed, either exactly when it
// tries to write past a chosen byte of a file (the file size limit's signal)
// or at a random moment. Whatever the moment, the file holds its old or its
// new content completely, and the next save in a fresh process works.
#include "FaultSupport.h"

#include "platform/FileSystem.h"
#include "platform/ScriptedServices.h"
#include "salesletter/Compiler.h"
#include "salesletter/ProjectFile.h"
#include "salesletter/SalesLetter.h"
#include "workspace/Registry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <random>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

TSalesLetter longLetter(char mark) {
    TSalesLetter letter;
    for (const FieldInfo& f : TSalesLetter::Fields())
        letter[f.key] = std::string(200, mark);
    return letter;
}

// Whether `name` is a scratch file that an interrupted save of `target` left.
bool isScratchOf(const std::string& name, const std::string& target) {
    const std::string head = target + ".~";
    return name.size() > head.size() + 4 && name.compare(0, head.size(), head) == 0 &&
           name.compare(name.size() - 4, 4, ".tmp") == 0;
}

// The byte positions at which a write of `size` bytes is cut: the edges, the
// buffer sizes around them, the middle and the end.
std::vector<long long> cutPoints(std::size_t size) {
    const long long n = static_cast<long long>(size);
    return {0, 1, 4095, 4096, 4097, 28672, n / 2, n - 1, n, n + 1};
}

class KilledWhileSaving : public ::testing::Test {
protected:
    void SetUp() override { platform::setProgramPathForTesting(dir.file("quillmere")); }
    void TearDown() override { platform::setProgramPathForTesting(""); }

    // Cuts `save` at every cut point of `newContent`, starting from `oldContent`
    // each time; checks the file at `path` after each death.
    void sweep(const std::string& path, const std::string& oldContent,
               const std::string& newContent, const std::function<void()>& save) {
        for (long long at : cutPoints(newContent.size())) {
            writeBytes(path, oldContent);
            faults::ChildEnd end = faults::runKilledAtByte(at, save);
            const std::string now = readBytes(path);
            if (end.killed) {
                EXPECT_EQ(end.signal, SIGXFSZ) << "cut at " << at;
                EXPECT_TRUE(now == oldContent) << "cut at " << at << ": " << now.size() << " bytes";
            } else {
                EXPECT_EQ(end.status, 0) << "cut at " << at;
                EXPECT_TRUE(now == newContent) << "cut at " << at << ": " << now.size() << " bytes";
            }
            EXPECT_EQ(end.killed, at < static_cast<long long>(newContent.size())) << at;
        }
    }

    // Runs `saveNext` over and over in a child that is killed at random
    // moments, some rounds after a few saves have finished. The file must
    // always hold one of `contents`.
    void killAtRandom(const std::string& path, const std::vector<std::string>& contents,
                      const std::function<void()>& saveNext) {
        std::mt19937 rng(11);
        for (int round = 0; round < 12; ++round) {
            int done[2];
            ASSERT_EQ(pipe(done), 0);
            pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                close(done[0]);
                try {
                    for (;;) {
                        saveNext();
                        (void)!write(done[1], "s", 1); // one byte per finished save
                    }
                } catch (...) {
                }
                _exit(1); // a failed save closes the pipe, which the parent sees
            }
            close(done[1]);
            for (int wait = round % 3; wait > 0; --wait) {
                char c;
                if (read(done[0], &c, 1) != 1) {
                    ADD_FAILURE() << "the saving process failed in round " << round;
                    break;
                }
            }
            usleep(static_cast<useconds_t>(rng() % 3000));
            kill(child, SIGKILL);
            faults::waitChild(child);
            close(done[0]);
            const std::string now = readBytes(path);
            EXPECT_TRUE(std::find(contents.begin(), contents.end(), now) != contents.end())
                << "round " << round << ": " << now.size() << " bytes";
        }
    }

    // Every file of the folder is one of `names` or a scratch file of one of `targets`.
    void expectOnly(const std::vector<std::string>& names,
                    const std::vector<std::string>& targets) const {
        for (const std::string& name : faults::entries(dir.path())) {
            bool known = std::find(names.begin(), names.end(), name) != names.end();
            for (const std::string& t : targets)
                known = known || isScratchOf(name, t);
            EXPECT_TRUE(known) << name;
        }
    }

    testsupport::TempDir dir;
    platform::ScriptedServices services;
    platform::ScopedServices scoped{services};
};

// A killed save leaves its scratch file. A child process starts with this
// process's state, so it picks the very scratch name that this process's next
// save picks; that save must pass over the leftover instead of failing with
// "File exists".
TEST_F(KilledWhileSaving, ALeftoverScratchFileDoesNotStopTheNextSave) {
    const std::string path = dir.file("Letter.prj");
    ASSERT_EQ(platform::writeFileAtomic(path, "[Project]\r\nFN=old\r\n"), 0);
    faults::ChildEnd end =
        faults::runKilledAtByte(1, [&] { platform::saveFileAtomic(path, "new"); });
    ASSERT_TRUE(end.killed);
    ASSERT_EQ(faults::entries(dir.path()).size(), 2u); // the file and the leftover
    EXPECT_EQ(readBytes(path), "[Project]\r\nFN=old\r\n");

    EXPECT_EQ(platform::writeFileAtomic(path, "[Project]\r\nFN=new\r\n"), 0);
    EXPECT_EQ(readBytes(path), "[Project]\r\nFN=new\r\n");
    expectOnly({"Letter.prj"}, {"Letter.prj"});
}

// Scratch files of killed saves are removed by a later save of the same file
// once they are an hour old; fresh ones may belong to a save in progress, and
// files of other names are never touched.
TEST_F(KilledWhileSaving, OldLeftoverScratchFilesAreRemovedByTheNextSave) {
    const std::string path = dir.file("Letter.prj");
    ASSERT_EQ(platform::writeFileAtomic(path, "old"), 0);
    ASSERT_TRUE(faults::runKilledAtByte(1, [&] { platform::saveFileAtomic(path, "new"); }).killed);
    std::vector<std::string> leftovers = faults::entries(dir.path(), {"Letter.prj"});
    ASSERT_EQ(leftovers.size(), 1u);
    const std::string stale = dir.file(leftovers[0]);
    std::filesystem::last_write_time(stale, std::filesystem::file_time_type::clock::now() -
                                                std::chrono::hours(2));
    ASSERT_TRUE(faults::runKilledAtByte(1, [&] { platform::saveFileAtomic(path, "new"); }).killed);
    const std::vector<std::string> others{"Letter.prj.~12x.tmp", "Other.prj.~123.tmp",
                                          "Letter.prj.~.tmp", "Letter.prj.~123.tmpx"};
    for (const std::string& name : others) {
        writeBytes(dir.file(name), "not ours");
        std::filesystem::last_write_time(
            dir.file(name), std::filesystem::file_time_type::clock::now() - std::chrono::hours(2));
    }

    ASSERT_EQ(platform::writeFileAtomic(path, "newer"), 0);
    EXPECT_EQ(readBytes(path), "newer");
    EXPECT_FALSE(std::filesystem::exists(stale));
    std::vector<std::string> expected = others;
    expected.push_back("Letter.prj");
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> now = faults::entries(dir.path());
    ASSERT_EQ(now.size(), expected.size() + 1); // the fresh leftover stays
    for (const std::string& name : expected)
        EXPECT_NE(std::find(now.begin(), now.end(), name), now.end()) << name;
}

TEST_F(KilledWhileSaving, RegistryIsTheOldOrTheNewOne) {
    for (int g = 0; g < 12; ++g) {
        workspace::CreateGroup("Group " + std::to_string(g));
        for (int p = 0; p < 8; ++p)
            workspace::AddProject("Group " + std::to_string(g), std::string(180, 'a' + p));
    }
    const std::string registry = dir.file("Groups.ini");
    const std::string before = readBytes(registry);
    workspace::AddProject("Group 5", "Late");
    const std::string after = readBytes(registry);

    sweep(registry, before, after, [] { workspace::AddProject("Group 5", "Late"); });
    killAtRandom(registry, {before, after}, [] {
        // Alternates between the two contents.
        auto projects = workspace::ListProjects("Group 5");
        if (projects.back() == "Late")
            projects.pop_back();
        else
            projects.push_back("Late");
        workspace::RewriteProjects("Group 5", projects);
    });
    expectOnly({"Groups.ini"}, {"Groups.ini"});
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(KilledWhileSaving, ProjectFileIsTheOldOrTheNewOne) {
    const std::string path = dir.file("Letter.prj");
    SaveProject(longLetter('a'), path);
    const std::string before = readBytes(path);
    SaveProject(longLetter('b'), path);
    const std::string after = readBytes(path);
    ASSERT_NE(before, after);

    sweep(path, before, after, [&] { SaveProject(longLetter('b'), path); });
    killAtRandom(path, {before, after}, [&] {
        TSalesLetter current;
        LoadProject(current, path);
        SaveProject(longLetter(current["FN"][0] == 'a' ? 'b' : 'a'), path);
    });
    expectOnly({"Letter.prj"}, {"Letter.prj"});

    TSalesLetter loaded;
    LoadProject(loaded, path);
    EXPECT_TRUE(loaded["PS"] == std::string(200, 'a') || loaded["PS"] == std::string(200, 'b'));
}

TEST_F(KilledWhileSaving, CompiledPageIsTheOldOrTheNewOneAndAStaleScratchFileDoesNotMatter) {
    // The template is larger than the page's value, so cuts land in the
    // scratch template as well as in the page.
    const std::string templ = "<title>{@pagetitle@}</title>\r\n" + std::string(40000, 't') + "\r\n";
    writeBytes(dir.file("quillmere"), faults::standInExecutable({{"TEMPLATE1.HTML", templ}}));
    const std::string page = dir.file("page.html");
    TSalesLetter a, b;
    a["PT"] = std::string(30000, 'a');
    b["PT"] = std::string(30000, 'b');
    CompileSalesLetter(a, page);
    const std::string pageA = readBytes(page);
    CompileSalesLetter(b, page);
    const std::string pageB = readBytes(page);

    for (long long at : cutPoints(pageB.size())) {
        writeBytes(page, pageA);
        faults::ChildEnd end = faults::runKilledAtByte(at, [&] { CompileSalesLetter(b, page); });
        const std::string now = readBytes(page);
        EXPECT_TRUE(end.killed ? now == pageA : now == pageB) << "cut at " << at;
        // The scratch template goes to the temporary folder under a new
        // name each time, never to the program folder.
        EXPECT_FALSE(platform::fileExists(dir.file("Tmp.html"))) << "cut at " << at;
        CompileSalesLetter(a, page);
        EXPECT_TRUE(readBytes(page) == pageA) << "cut at " << at;
        EXPECT_FALSE(platform::fileExists(dir.file("Tmp.html")));
    }

    killAtRandom(page, {pageA, pageB},
                 [&] { CompileSalesLetter(readBytes(page)[7] == 'a' ? b : a, page); });
    expectOnly({"quillmere", "page.html", "Tmp.html"}, {"page.html"});
    CompileSalesLetter(b, page);
    EXPECT_EQ(readBytes(page), pageB);
    EXPECT_FALSE(platform::fileExists(dir.file("Tmp.html")));
}

} // namespace
