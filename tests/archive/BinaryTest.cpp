// Checks on real built executables: their archives, and the start-up routine
// run by copies of a real program in temporary folders.
#include "archive/ArchiveFormat.h"
#include "archive/RunProcess.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sched.h>
#include <sstream>
#include <sys/mount.h>

using testsupport::readBytes;
using testsupport::runProcess;
using testsupport::TempDir;
using testsupport::writeBytes;
namespace fs = std::filesystem;

namespace {

// The probe's report, one fact a line.
struct Report {
    std::string cwd;
    std::vector<std::string> started, errors, docs;
    bool end = false;
};

Report runProbe(const std::string& path, std::vector<std::string> args = {},
                std::vector<std::string> env = {}) {
    args.insert(args.begin(), path);
    auto r = runProcess(args, env);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    Report report;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        auto space = line.find(' ');
        std::string key = line.substr(0, space), rest = line.substr(space + 1);
        if (key == "cwd")
            report.cwd = rest;
        else if (key == "start")
            report.started.push_back(rest);
        else if (key == "error")
            report.errors.push_back(rest);
        else if (key == "end")
            report.end = rest == "1";
        else if (key == "doc")
            report.docs.push_back(rest);
    }
    return report;
}

// A copy of the probe program, keeping its permissions.
std::string copyProbe(const std::string& to) {
    fs::copy_file(QM_PROBE_PATH, to, fs::copy_options::overwrite_existing);
    return to;
}

// The first upper-case start marker must be the archive's first byte, and no
// end marker may come before it.
void expectNoMarkerBeforeArchive(const std::string& path, const std::string& image) {
    auto offset = archiveformat::ArchiveOffset(image);
    size_t firstStart = image.find(archiveformat::StartMarker());
    size_t firstEnd = image.find(archiveformat::EndMarker());
    if (!offset) {
        EXPECT_EQ(firstStart, std::string::npos) << path;
        EXPECT_EQ(firstEnd, std::string::npos) << path;
        return;
    }
    EXPECT_EQ(firstStart, *offset) << path;
    EXPECT_GT(firstEnd, *offset) << path;
}

} // namespace

TEST(BuiltPrograms, TheirArchivesBeginAtTheFirstMarkerAndHoldTheDocumentsInOrder) {
    std::string probe = readBytes(QM_PROBE_PATH);
    expectNoMarkerBeforeArchive(QM_PROBE_PATH, probe);
    auto records = archiveformat::ReadRecords(probe, *archiveformat::ArchiveOffset(probe));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].name, "alpha.html");
    EXPECT_EQ(records[0].body, readBytes(QM_ARCHIVE_DATA "/alpha.html"));
    EXPECT_EQ(records[1].name, "beta.txt");

    // The shipped programs carry the documents of resources/ that exist, in order.
    std::vector<std::string> expected;
    const char* source = std::getenv("QM_SOURCE_DIR");
    ASSERT_NE(source, nullptr) << "run through ctest";
    std::string resources = std::string(source) + "/resources/";
    for (const char* name : {"TEMPLATE1.HTML", "TEMPLATE2.HTML", "TEMPLATE3.HTML", "chart.html",
                             "deriv_intro.html", "deriv_tools.html", "deriv_vendors.html",
                             "ecomm_hosting.html", "ecomm_cart.html", "legal_aid.html"})
        if (platform::fileExists(resources + name))
            expected.push_back(name);
    std::istringstream programs(QM_ARCHIVE_PROGRAMS);
    for (std::string path; std::getline(programs, path, ',');) {
        std::string image = readBytes(path);
        expectNoMarkerBeforeArchive(path, image);
        auto offset = archiveformat::ArchiveOffset(image);
        std::vector<std::string> names;
        if (offset)
            for (const auto& d : archiveformat::ReadRecords(image, *offset)) {
                names.push_back(d.name);
                EXPECT_EQ(d.body, readBytes(resources + d.name)) << path << " " << d.name;
                EXPECT_EQ(archiveformat::FindDocument(image, d.name), d.body);
            }
        EXPECT_EQ(names, expected) << path;
    }
}

TEST(AppendTool, ReplacesAnExistingArchiveAndRefusesMarkersInTheProgram) {
    TempDir dir;
    std::string exe = dir.file("program"), a = dir.file("TEMPLATE1.HTML"),
                b = dir.file("chart.html");
    writeBytes(exe, "program bytes");
    writeBytes(a, "<html>one</html>");
    writeBytes(b, "chart");
    ASSERT_EQ(runProcess({QM_APPEND_TOOL, exe, a, b}).exitCode, 0);
    std::string once = readBytes(exe);
    EXPECT_EQ(once, "program bytes" +
                        archiveformat::MakeRecord("TEMPLATE1.HTML", "<html>one</html>") +
                        archiveformat::MakeRecord("chart.html", "chart"));
    ASSERT_EQ(runProcess({QM_APPEND_TOOL, exe, a, b}).exitCode, 0);
    EXPECT_EQ(readBytes(exe), once);
    writeBytes(b, "new chart");
    ASSERT_EQ(runProcess({QM_APPEND_TOOL, exe, a, b}).exitCode, 0);
    EXPECT_EQ(archiveformat::FindDocument(readBytes(exe), "chart.html"), "new chart");
    ASSERT_EQ(runProcess({QM_APPEND_TOOL, exe}).exitCode, 0);
    EXPECT_EQ(readBytes(exe), "program bytes");

    // A document that would not read back, or a marker in the program: refused.
    writeBytes(b, "text EO!#chart.html text");
    auto bad = runProcess({QM_APPEND_TOOL, exe, a, b});
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_FALSE(bad.err.empty());
    writeBytes(exe, "code with SO!# inside");
    EXPECT_NE(runProcess({QM_APPEND_TOOL, exe, a}).exitCode, 0);
    EXPECT_EQ(readBytes(exe), "code with SO!# inside");
}

TEST(StartupRoles, ANormalStartRunsInItsOwnFolderAndReadsItsArchive) {
    TempDir dir;
    std::string exe = copyProbe(dir.file("quillmere"));
    Report r = runProbe(exe, {"deltemp"});
    EXPECT_EQ(r.cwd + "/", fs::canonical(dir.path()).string() + "/");
    EXPECT_TRUE(r.started.empty());
    EXPECT_FALSE(r.end);
    EXPECT_EQ(r.docs,
              (std::vector<std::string>{
                  "alpha.html " + std::to_string(readBytes(QM_ARCHIVE_DATA "/alpha.html").size()),
                  "beta.txt " + std::to_string(readBytes(QM_ARCHIVE_DATA "/beta.txt").size())}));

    // The read-only attribute alone is cleared; the program runs.
    platform::setReadOnly(exe, true);
    r = runProbe(exe);
    EXPECT_FALSE(platform::isReadOnly(exe));
    EXPECT_FALSE(r.end);
}

TEST(StartupRoles, OnAReadOnlyMediumTheCopyIsMadeStartedAndRunsBranded) {
    TempDir dir, data;
    std::string exe = copyProbe(dir.file("quillmere"));
    writeBytes(dir.file("Quillmere.dat"), "brand\r\n");
    platform::setReadOnly(exe, true);
    std::vector<std::string> env{"QM_PROBE_READONLY_MEDIUM=1", "XDG_DATA_HOME=" + data.path()};
    Report r = runProbe(exe, {}, env);
    std::string copy = data.path() + "/Quillmere/quillmere/quillmere";
    EXPECT_EQ(r.started, std::vector<std::string>{copy});
    EXPECT_TRUE(r.errors.empty());
    EXPECT_TRUE(r.end);
    EXPECT_EQ(readBytes(copy), readBytes(exe));
    EXPECT_EQ(readBytes(data.path() + "/Quillmere/quillmere/Quillmere.dat"), "brand\r\n");

    // The copy itself starts normally from its writable folder.
    Report fromCopy = runProbe(copy, {}, env);
    EXPECT_FALSE(fromCopy.end);
    EXPECT_EQ(fromCopy.docs.size(), 2u);
}

// The program folder as a read-only bind mount, in a mount namespace of this
// test process's own (needs the right to mount; the test is skipped without it).
class ReadOnlyMount {
public:
    ReadOnlyMount(const std::string& source, const std::string& target) : target_(target) {
        ok_ = unshare(CLONE_NEWNS) == 0 &&
              mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
              mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) == 0;
        if (ok_ && mount(nullptr, target.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY,
                         nullptr) != 0) {
            umount2(target_.c_str(), MNT_DETACH);
            ok_ = false;
        }
    }
    ~ReadOnlyMount() {
        if (ok_)
            umount2(target_.c_str(), MNT_DETACH);
    }
    bool ok() const { return ok_; }

private:
    std::string target_;
    bool ok_ = false;
};

TEST(StartupRoles, OnARealReadOnlyMountTheAttributeCannotBeFlippedAndTheCopyRuns) {
    TempDir source, mountPoint, data;
    std::string exe = copyProbe(source.file("quillmere"));
    writeBytes(source.file("Quillmere.dat"), "brand\r\n");
    platform::setReadOnly(exe, true);
    ReadOnlyMount ro(source.path(), mountPoint.path());
    if (!ro.ok())
        GTEST_SKIP() << "no permission to mount here";

    std::string mounted = mountPoint.file("quillmere");
    Report r = runProbe(mounted, {}, {"XDG_DATA_HOME=" + data.path()});
    EXPECT_TRUE(platform::isReadOnly(mounted));
    std::string copy = data.path() + "/Quillmere/quillmere/quillmere";
    EXPECT_EQ(r.started, std::vector<std::string>{copy});
    EXPECT_TRUE(r.end);
    EXPECT_EQ(readBytes(copy), readBytes(exe));
    EXPECT_EQ(readBytes(data.path() + "/Quillmere/quillmere/Quillmere.dat"), "brand\r\n");
}

TEST(StartupRoles, TheRewriteProtocolReplacesTheProgramAndCleansUp) {
    TempDir dir;
    std::string target = dir.file("quillmere");
    writeBytes(target, "an older program");
    std::string rewriter = copyProbe(dir.file("TEMP0A0.EXE"));

    Report r = runProbe(rewriter, {target});
    EXPECT_EQ(r.started, std::vector<std::string>{target + " deltemp"});
    EXPECT_TRUE(r.errors.empty());
    EXPECT_TRUE(r.end);
    EXPECT_EQ(readBytes(target), readBytes(rewriter));

    // The restarted program removes the copy (in its upper-case spelling too).
    Report restarted = runProbe(target, {"deltemp"});
    EXPECT_FALSE(restarted.end);
    EXPECT_FALSE(platform::fileExists(rewriter));
    EXPECT_EQ(restarted.docs.size(), 2u);
}
