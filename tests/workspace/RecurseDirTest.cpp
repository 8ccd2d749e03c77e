// TRecurseDir on real folders: what it reports, in which order and through
// which event, with and without recursion.
#include "workspace/RecurseDir.h"

#include "support/Links.h"
#include "support/TempDir.h"

#include <algorithm>
#include <dirent.h>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using testsupport::writeBytes;

namespace {

// The path with "/" for every separator, so expectations read the same on
// Windows, where the walker joins names with "\\".
std::string slashed(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// Every event as one line: "D path", "F path" or "E".
struct Recorder {
    std::vector<std::string> events;
    void attach(TRecurseDir& walker) {
        walker.OnDirFound = [this](TRecurseDir*, const std::string& d) {
            events.push_back("D " + slashed(d));
        };
        walker.OnFileFound = [this](TRecurseDir*, const std::string& f) {
            events.push_back("F " + slashed(f));
        };
        walker.OnEnd = [this](TRecurseDir*) { events.push_back("E"); };
    }
};

std::vector<std::string> readdirOrder(const std::string& dir) {
    std::vector<std::string> names;
    DIR* d = opendir(dir.c_str());
    while (const dirent* e = readdir(d))
        names.emplace_back(e->d_name);
    closedir(d);
    return names;
}

class RecurseDirTest : public testing::Test {
protected:
    void SetUp() override {
        root = slashed(tmp.path()) + "/F";
        fs::create_directories(root + "/sub/deeper");
        fs::create_directories(root + "/empty");
        writeBytes(root + "/a.txt", "a");
        writeBytes(root + "/.hidden", "h");
        writeBytes(root + "/sub/b.txt", "b");
        writeBytes(root + "/sub/deeper/c.dat", "c");
    }
    testsupport::TempDir tmp;
    std::string root;
};

TEST_F(RecurseDirTest, WithoutRecursionReportsEveryEntryInFileSystemOrder) {
    TRecurseDir walker;
    walker.Directory = root;
    walker.RecurseSubDirs = false;
    Recorder rec;
    rec.attach(walker);
    walker.Execute();

    std::vector<std::string> expected{"D " + root};
    for (const std::string& name : readdirOrder(root)) {
        const bool folder = fs::is_directory(root + "/" + name);
        expected.push_back((folder ? "D " : "F ") + root + "/" + name);
    }
    expected.push_back("E");
    EXPECT_EQ(rec.events, expected);
    // "." and ".." are among them, and hidden files are not skipped.
    for (const char* e : {"/.", "/..", "/.hidden", "/sub", "/empty"})
        EXPECT_NE(std::find_if(rec.events.begin(), rec.events.end(),
                               [&](const std::string& s) { return s.ends_with(e); }),
                  rec.events.end())
            << e;
    EXPECT_EQ(rec.events.size(), 8u); // F, ., .., sub, empty, a.txt, .hidden, end
}

TEST_F(RecurseDirTest, WithRecursionWalksDepthFirstWithoutDotEntries) {
    TRecurseDir walker;
    walker.Directory = root + "/"; // reported exactly as given
    Recorder rec;
    rec.attach(walker);
    walker.Execute();

    ASSERT_FALSE(rec.events.empty());
    EXPECT_EQ(rec.events.front(), "D " + root + "/");
    EXPECT_EQ(rec.events.back(), "E");
    std::vector<std::string> sorted(rec.events.begin(), rec.events.end());
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::string>{"D " + root + "/", "D " + root + "/empty",
                                                "D " + root + "/sub", "D " + root + "/sub/deeper",
                                                "E", "F " + root + "/.hidden",
                                                "F " + root + "/a.txt", "F " + root + "/sub/b.txt",
                                                "F " + root + "/sub/deeper/c.dat"}));
    // A subfolder's contents follow right after it is entered.
    auto sub = std::find(rec.events.begin(), rec.events.end(), "D " + root + "/sub");
    ASSERT_LT(sub + 3, rec.events.end());
    std::vector<std::string> block(sub + 1, sub + 4);
    std::sort(block.begin(), block.end());
    EXPECT_EQ(block,
              (std::vector<std::string>{"D " + root + "/sub/deeper", "F " + root + "/sub/b.txt",
                                        "F " + root + "/sub/deeper/c.dat"}));
}

TEST_F(RecurseDirTest, MaskAppliesToFoldersAndIgnoresCase) {
    writeBytes(root + "/UPPER.TXT", "u");
    TRecurseDir walker;
    walker.Directory = root;
    walker.Mask = "*.txt";
    Recorder rec;
    rec.attach(walker);
    walker.Execute();
    std::sort(rec.events.begin(), rec.events.end());
    // "sub" does not match, so its b.txt is never reached.
    EXPECT_EQ(rec.events, (std::vector<std::string>{"D " + root, "E", "F " + root + "/UPPER.TXT",
                                                    "F " + root + "/a.txt"}));

    EXPECT_TRUE(TRecurseDir::MatchesMask("noext", "*.*"));
    EXPECT_TRUE(TRecurseDir::MatchesMask("a.b.c", "*.c"));
    EXPECT_TRUE(TRecurseDir::MatchesMask("abc", "a?c"));
    EXPECT_FALSE(TRecurseDir::MatchesMask("abcd", "a?c"));
    EXPECT_TRUE(TRecurseDir::MatchesMask("x", "*"));
    EXPECT_FALSE(TRecurseDir::MatchesMask("a.txt", "*.dat"));
}

TEST_F(RecurseDirTest, LinkedFoldersAreReportedButNotEntered) {
    if (!testsupport::makeLink(root, root + "/sub/loop", true))
        GTEST_SKIP() << testsupport::kNoLinks;
    TRecurseDir walker;
    walker.Directory = root;
    Recorder rec;
    rec.attach(walker);
    walker.Execute(); // would never end if the link were followed
    EXPECT_EQ(std::count(rec.events.begin(), rec.events.end(), "D " + root + "/sub/loop"), 1);
    EXPECT_EQ(std::count_if(rec.events.begin(), rec.events.end(),
                            [](const std::string& s) { return s.find("loop/") != s.npos; }),
              0);
}

TEST_F(RecurseDirTest, MissingOrEmptyDirectoryAndOverrides) {
    struct Counting : TRecurseDir {
        int files = 0;
        void DoFileFound(TRecurseDir* sender, const std::string& name) override {
            ++files;
            TRecurseDir::DoFileFound(sender, name);
        }
    };
    Counting walker;
    Recorder rec;
    rec.attach(walker);
    walker.Execute(); // no Directory: nothing but the end
    EXPECT_EQ(rec.events, std::vector<std::string>{"E"});

    rec.events.clear();
    walker.Directory = root + "/gone";
    walker.Execute();
    EXPECT_EQ(rec.events, (std::vector<std::string>{"D " + root + "/gone", "E"}));

    walker.Directory = root;
    walker.OnFileFound = nullptr; // unassigned events are skipped
    walker.Execute();
    EXPECT_EQ(walker.files, 4);
}

} // namespace
