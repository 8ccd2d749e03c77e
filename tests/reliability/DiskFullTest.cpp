// A disk that fills up in the middle of a save: the registry, a project file,
// a compiled page (and its scratch template) and a large INI file. Every save
// must fail with its warning or error, leave the old file byte for byte and
// leave no partial file behind; once there is room again the same save works.
//
// Two kinds of full disk are used: a small memory file system mounted over the
// test folder in a mount namespace of this process (a real "No space left on
// device"; skipped where mounting is not allowed), and the file size limit of
// this process (writes past it fail with "File too large"; works everywhere).
#include "FaultSupport.h"
#include "support/WriteWarning.h"

#include "ini/BigIniFile.h"
#include "platform/FileSystem.h"
#include "platform/ScriptedServices.h"
#include "salesletter/Compiler.h"
#include "salesletter/ProjectFile.h"
#include "salesletter/SalesLetter.h"
#include "workspace/Registry.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <unistd.h>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

const char* const kFiller = ".filler";

// Where the files live and how the disk runs out of room.
class FullDisk {
public:
    virtual ~FullDisk() = default;
    // Whether the fault can be made here; `why` tells otherwise.
    virtual bool ready(std::string& why) = 0;
    // From now on a file can grow by about `room` bytes at most.
    virtual void leaveRoom(std::size_t room) = 0;
    // Room again.
    virtual void release() = 0;
    // What the failed write reports.
    virtual std::string reason() const = 0;
};

// A 4 MB memory file system over `folder`, filled up to `room` bytes by a filler file.
class SmallFileSystem : public FullDisk {
public:
    explicit SmallFileSystem(std::string folder) : folder_(std::move(folder)) {}
    ~SmallFileSystem() override {
        if (mounted_)
            umount2(folder_.c_str(), MNT_DETACH);
    }
    bool ready(std::string& why) override {
        // One private mount namespace for the whole test program.
        static const bool own = unshare(CLONE_NEWNS) == 0 &&
                                mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        mounted_ = own && mount("qmfull", folder_.c_str(), "tmpfs", 0, "size=4m,mode=0755") == 0;
        if (!mounted_)
            why = "no permission to mount a file system here";
        return mounted_;
    }
    void leaveRoom(std::size_t room) override {
        const std::string filler = folder_ + "/" + kFiller;
        int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        const std::string block(65536, 'f');
        off_t written = 0;
        for (;;) {
            ssize_t n = ::write(fd, block.data(), block.size());
            if (n <= 0)
                break;
            written += n;
        }
        ASSERT_EQ(errno, ENOSPC);
        // Give back `room` bytes (whole pages; the memory file system counts pages).
        const off_t keep =
            written > static_cast<off_t>(room) ? written - static_cast<off_t>(room) : 0;
        ASSERT_EQ(::ftruncate(fd, keep & ~static_cast<off_t>(4095)), 0);
        ::close(fd);
    }
    void release() override { ::unlink((folder_ + "/" + kFiller).c_str()); }
    std::string reason() const override { return "No space left on device"; }

private:
    std::string folder_;
    bool mounted_ = false;
};

// The file size limit of this process, with its signal ignored.
class FileSizeLimit : public FullDisk {
public:
    ~FileSizeLimit() override { release(); }
    bool ready(std::string&) override {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        armed_ = true;
        return true;
    }
    void leaveRoom(std::size_t room) override {
        rlimit limit = saved_;
        limit.rlim_cur = static_cast<rlim_t>(room);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    void release() override {
        if (armed_)
            setrlimit(RLIMIT_FSIZE, &saved_);
    }
    std::string reason() const override { return "File too large"; }

private:
    rlimit saved_{};
    bool armed_ = false;
    void (*oldHandler_)(int) = nullptr;
};

enum class Kind { SmallFileSystem, FileSizeLimit };

class DiskFull : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override {
        if (GetParam() == Kind::SmallFileSystem)
            disk = std::make_unique<SmallFileSystem>(dir.path());
        else
            disk = std::make_unique<FileSizeLimit>();
        std::string why;
        if (!disk->ready(why))
            GTEST_SKIP() << why;
        platform::setProgramPathForTesting(dir.file("quillmere"));
    }
    void TearDown() override {
        disk.reset();
        platform::setProgramPathForTesting("");
    }
    // The files of the program folder, the filler left out.
    std::vector<std::string> files() const { return faults::entries(dir.path(), {kFiller}); }

    testsupport::TempDir dir;
    std::unique_ptr<FullDisk> disk;
    platform::ScriptedServices services;
    platform::ScopedServices scoped{services};
};

// A sales letter whose every stored field is long, so its file is about 25 kB.
TSalesLetter longLetter(char mark) {
    TSalesLetter letter;
    for (const FieldInfo& f : TSalesLetter::Fields())
        letter[f.key] = std::string(200, mark);
    return letter;
}

TEST_P(DiskFull, RegistryKeepsItsOldContentAndTheNextSaveWorks) {
    for (int g = 0; g < 20; ++g) {
        const std::string group = "Group " + std::to_string(g);
        workspace::CreateGroup(group);
        for (int p = 0; p < 10; ++p)
            workspace::AddProject(group, std::string(150, static_cast<char>('a' + p)));
    }
    const std::string registry = dir.file("Groups.ini");
    const std::string before = readBytes(registry);
    ASSERT_GT(before.size(), 30000u);
    ASSERT_TRUE(services.messages.empty());

    disk->leaveRoom(8192);
    workspace::AddProject("Group 3", "Late");
    workspace::CreateGroup("New group");
    disk->release();

    ASSERT_EQ(services.messages.size(), 2u);
    EXPECT_EQ(services.messages[0].text,
              testsupport::writeWarning(registry, "GROUPS.INI", disk->reason()));
    EXPECT_EQ(services.messages[0].caption, "Warning");
    EXPECT_EQ(readBytes(registry), before);
    EXPECT_EQ(files(), std::vector<std::string>{"Groups.ini"});

    workspace::AddProject("Group 3", "Late");
    EXPECT_EQ(workspace::ListProjects("Group 3").back(), "Late");
    EXPECT_EQ(workspace::ListGroups().size(), 20u);
    EXPECT_EQ(services.messages.size(), 2u);
}

TEST_P(DiskFull, ProjectFileKeepsItsOldContentAndTheNextSaveWorks) {
    const std::string path = dir.file("Letter.prj");
    SaveProject(longLetter('a'), path);
    const std::string before = readBytes(path);
    ASSERT_GT(before.size(), 20000u);

    disk->leaveRoom(4096);
    SaveProject(longLetter('b'), path);
    disk->release();

    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text,
              testsupport::writeWarning(path, "LETTER.PRJ", disk->reason()));
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(files(), std::vector<std::string>{"Letter.prj"});
    TSalesLetter loaded;
    LoadProject(loaded, path);
    EXPECT_EQ(loaded["Headline"], std::string(200, 'a'));

    SaveProject(longLetter('b'), path);
    LoadProject(loaded, path);
    EXPECT_EQ(loaded["Headline"], std::string(200, 'b'));
    EXPECT_EQ(services.messages.size(), 1u);
}

TEST_P(DiskFull, CompiledPageAndScratchTemplateLeaveNothingHalfWritten) {
    const std::string small = "<title>{@pagetitle@}</title>\r\n";
    const std::string big = small + std::string(60000, 't') + "\r\n";
    writeBytes(dir.file("quillmere"),
               faults::standInExecutable({{"TEMPLATE1.HTML", small}, {"TEMPLATE2.HTML", big}}));
    const std::string page = dir.file("page.html");
    writeBytes(page, "the old page");
    auto errorOf = [](auto compile) {
        try {
            compile();
        } catch (const platform::IoError& e) {
            return std::string(e.what());
        }
        return std::string();
    };

    // The scratch template goes to the temporary folder: here the full disk.
    const char* oldTemp = std::getenv("TMPDIR");
    const std::string savedTemp = oldTemp ? oldTemp : "";
    ::setenv("TMPDIR", dir.path().c_str(), 1);
    struct RestoreTemp {
        std::string value;
        bool had;
        ~RestoreTemp() {
            if (had)
                ::setenv("TMPDIR", value.c_str(), 1);
            else
                ::unsetenv("TMPDIR");
        }
    } restoreTemp{savedTemp, oldTemp != nullptr};

    // The page does not fit.
    TSalesLetter letter;
    letter["PT"] = std::string(60000, 'p');
    disk->leaveRoom(16384);
    const std::string pageError = errorOf([&] { CompileSalesLetter(letter, page); });
    // The scratch template does not fit.
    letter.SelectTemplate(2);
    letter["PT"] = "short";
    const std::string scratchError = errorOf([&] { CompileSalesLetter(letter, page); });
    disk->release();

    EXPECT_EQ(pageError, "Cannot create file \"" + page + "\". " + disk->reason());
    const std::string scratchStart = "Cannot create file \"" + dir.folder() + "qm-";
    const std::string scratchEnd = ".html\". " + disk->reason();
    EXPECT_EQ(scratchError.rfind(scratchStart, 0), 0u) << scratchError;
    EXPECT_EQ(scratchError.size() - scratchError.rfind(scratchEnd), scratchEnd.size())
        << scratchError;
    EXPECT_EQ(readBytes(page), "the old page");
    EXPECT_EQ(files(), (std::vector<std::string>{"page.html", "quillmere"}));

    CompileSalesLetter(letter, page);
    EXPECT_EQ(readBytes(page).substr(0, 26), "<title>short</title>\r\ntttt");
    EXPECT_EQ(files(), (std::vector<std::string>{"page.html", "quillmere"}));
}

TEST_P(DiskFull, LargeIniFileKeepsItsChangesForTheNextTry) {
    const std::string path = dir.file("Big.ini");
    auto fill = [&](TBigIniFile& ini, char mark) {
        for (int s = 0; s < 400; ++s)
            for (int k = 0; k < 10; ++k)
                ini.WriteString("Section" + std::to_string(s), "Key" + std::to_string(k),
                                std::string(200, mark));
    };
    {
        TBigIniFile ini(path);
        fill(ini, 'a');
    }
    const std::string before = readBytes(path);
    ASSERT_GT(before.size(), 800000u);

    TBigIniFile ini(path);
    fill(ini, 'b');
    disk->leaveRoom(65536);
    ini.UpdateFile();
    disk->release();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text,
              testsupport::writeWarning(path, "BIG.INI", disk->reason()));
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(files(), std::vector<std::string>{"Big.ini"});
    EXPECT_TRUE(ini.Changed());

    ini.UpdateFile();
    EXPECT_FALSE(ini.Changed());
    const std::string after = readBytes(path);
    EXPECT_EQ(after.size(), before.size());
    EXPECT_EQ(after.find(std::string(200, 'a')), std::string::npos);
    TBigIniFile reread(path);
    EXPECT_EQ(reread.ReadString("Section399", "Key9", ""), std::string(200, 'b'));
}

INSTANTIATE_TEST_SUITE_P(Faults, DiskFull,
                         ::testing::Values(Kind::SmallFileSystem, Kind::FileSizeLimit),
                         [](const ::testing::TestParamInfo<Kind>& info) {
                             return info.param == Kind::SmallFileSystem ? "SmallFileSystem"
                                                                        : "FileSizeLimit";
                         });

} // namespace
