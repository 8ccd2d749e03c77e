// Files that may be written in folders that take no new files: the registry
// in a locked program folder, a project file and a compiled page in a locked
// project folder. The save works as it would by writing the file itself; when
// the new content does not fit, the old content is put back. A read-only file
// stays refused, and a file that does not exist yet cannot be made.
#include "FaultSupport.h"
#include "support/WriteWarning.h"

#include "platform/DataFolder.h"
#include "platform/FileSystem.h"
#include "platform/ScriptedServices.h"
#include "salesletter/Compiler.h"
#include "salesletter/ProjectFile.h"
#include "salesletter/SalesLetter.h"
#include "workspace/Registry.h"

#include <gtest/gtest.h>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

class LockedFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ::chmod(dir.path().c_str(), 0755);
        platform::setProgramPathForTesting(dir.file("quillmere"));
        // The registry stays in the locked program folder (written in place).
        platform::setDataFolderForTesting(dir.path());
    }
    void TearDown() override {
        platform::setWriteFaultForTesting(-1);
        platform::setDataFolderForTesting("");
        platform::setProgramPathForTesting("");
    }
    // A file that everyone may write.
    void writeShared(const std::string& path, const std::string& bytes) {
        writeBytes(path, bytes);
        ::chmod(path.c_str(), 0666);
    }

    testsupport::TempDir dir;
    platform::ScriptedServices services;
    platform::ScopedServices scoped{services};
};

TEST_F(LockedFolder, RegistryIsWrittenInPlaceAndPutBackWhenTheDiskFills) {
    const std::string registry = dir.file("Groups.ini");
    const std::string original = "[Books]\r\nProjectCount=1\r\nProject0=Alice\r\n\r\n";
    writeShared(registry, original);
    {
        faults::NoWriteRight locked(dir.path());
        if (!locked.binds())
            GTEST_SKIP() << "permissions do not bind here";
        workspace::AddProject("Books", "Oz");
        EXPECT_EQ(readBytes(registry),
                  "[Books]\r\nProjectCount=2\r\nProject0=Alice\r\nProject1=Oz\r\n\r\n");

        platform::setWriteFaultForTesting(10); // the disk fills after 10 bytes
        workspace::CreateGroup(std::string(300, 'g').substr(0, 200));
        platform::setWriteFaultForTesting(-1);
    }
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text,
              testsupport::writeWarning(registry, "GROUPS.INI", "No space left on device"));
    EXPECT_EQ(readBytes(registry),
              "[Books]\r\nProjectCount=2\r\nProject0=Alice\r\nProject1=Oz\r\n\r\n");
    EXPECT_EQ(faults::entries(dir.path()), std::vector<std::string>{"Groups.ini"});
}

TEST_F(LockedFolder, ProjectFileAndPageAreWrittenButNewFilesAndReadOnlyFilesAreRefused) {
    writeBytes(dir.file("quillmere"),
               faults::standInExecutable({{"TEMPLATE1.HTML", "<title>{@pagetitle@}</title>\r\n"}}));
    ::chmod(dir.path().c_str(), 0777); // the program folder takes the scratch template
    const std::string project = dir.file("project");
    ::mkdir(project.c_str(), 0755);
    const std::string prj = project + "/Letter.prj";
    const std::string page = project + "/page.html";
    const std::string locked = project + "/Locked.prj";
    writeShared(prj, "[Project]\r\nFN=old\r\n");
    writeShared(page, "the old page");
    writeShared(locked, "[Project]\r\nFN=kept\r\n");
    ASSERT_TRUE(platform::setReadOnly(locked, true));
    TSalesLetter letter;
    letter["FN"] = "new";
    letter["PT"] = "Title";
    std::string pageError, newPageError;
    {
        faults::NoWriteRight lock(project);
        if (!lock.binds())
            GTEST_SKIP() << "permissions do not bind here";
        SaveProject(letter, prj);
        SaveProject(letter, locked);
        SaveProject(letter, project + "/New.prj");
        CompileSalesLetter(letter, page);
        try {
            CompileSalesLetter(letter, project + "/new.html");
        } catch (const platform::IoError& e) {
            newPageError = e.what();
        }
    }
    TSalesLetter loaded;
    LoadProject(loaded, prj);
    EXPECT_EQ(loaded["FN"], "new");
    EXPECT_EQ(readBytes(page), "<title>Title</title>\r\n");
    EXPECT_EQ(readBytes(locked), "[Project]\r\nFN=kept\r\n");
    EXPECT_EQ(newPageError, "Cannot create file \"" + project + "/new.html\". Permission denied");
    ASSERT_EQ(services.messages.size(), 2u); // the read-only file and the new one
    EXPECT_EQ(services.messages[0].text,
              testsupport::writeWarning(locked, "LOCKED.PRJ", "Permission denied"));
    EXPECT_EQ(services.messages[1].text,
              testsupport::writeWarning(project + "/New.prj", "NEW.PRJ", "Permission denied"));
    EXPECT_EQ(faults::entries(project),
              (std::vector<std::string>{"Letter.prj", "Locked.prj", "page.html"}));
}

} // namespace
