// Faults met by the windows, against real files: a registry that cannot be
// written while projects are managed, a project file that cannot be written
// when the wizard saves, a program folder without write permission when the
// wizard previews or finishes, and a project folder that is deleted while its
// folder editor shows it. Every dialog answer comes from the script.
#include "FaultSupport.h"
#include "support/WriteWarning.h"

#include "browsers/ui/WebBrowser.h"
#include "platform/DataFolder.h"
#include "platform/FileSystem.h"
#include "platform/ScriptedServices.h"
#include "salesletter/ui/CreateSaleslettersForm.h"
#include "workspace/ui/EditProjectForm.h"
#include "workspace/ui/ManageProjectsForm.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using platform::Answer;
using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

std::vector<std::string> texts(const QListWidget* list) {
    std::vector<std::string> out;
    for (int i = 0; i < list->count(); ++i)
        out.push_back(list->item(i)->text().toStdString());
    return out;
}

void select(QListWidget* list, const std::string& text) {
    auto found = list->findItems(QString::fromStdString(text), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text;
    found.front()->setSelected(true);
}

std::string warningFor(const std::string& path, const std::string& upperName) {
    return testsupport::writeWarning(path, upperName, "Permission denied");
}

class WindowFaults : public ::testing::Test {
protected:
    void SetUp() override {
        WebBrowser::SetEngineEnabledForTesting(false);
        ::chmod(dir.path().c_str(), 0755); // readable for the ordinary user too
        platform::setProgramPathForTesting(dir.file("quillmere"));
        // The program folder holds the data, whoever the test acts as.
        platform::setDataFolderForTesting(dir.path());
    }
    void TearDown() override {
        platform::setDataFolderForTesting("");
        platform::setWriteFaultForTesting(-1);
        platform::setProgramPathForTesting("");
    }

    std::string registry() const { return readBytes(dir.file("Groups.ini")); }

    testsupport::TempDir dir;
    platform::ScriptedServices services;
    platform::ScopedServices scoped{services};
};

TEST_F(WindowFaults, UnwritableRegistryWarnsEachTimeTheListsChangeAndNothingElseIsLost) {
    const std::string original =
        "[Books]\r\nProjectCount=2\r\nProject0=Alice\r\nProject1=Oz\r\n\r\n"
        "[Poems]\r\nProjectCount=0\r\n\r\n";
    writeBytes(dir.file("Groups.ini"), original);
    fs::create_directories(dir.file("Groups/Books/Alice"));
    fs::create_directories(dir.file("Groups/Books/Oz"));
    fs::create_directories(dir.file("Groups/Poems"));
    writeBytes(dir.file("Groups/Books/Oz/notes.txt"), "keep me");
    ASSERT_TRUE(platform::setReadOnly(dir.file("Groups.ini"), true));

    {
        TManageProjectsForm form(nullptr);
        services.inputs = {std::string("Music"), std::string("Carroll")};
        // Each change's warning takes an OK; each deletion first asks.
        services.answers = {Answer::Ok, Answer::Ok,  Answer::Yes,
                            Answer::Ok, Answer::Yes, Answer::Ok};
        form.btnCreateGroupClick();
        select(form.ProjectGroupList, "Books");
        form.btnAddProjectClick();
        select(form.ProjectList, "Alice");
        form.btnDeleteProjectClick();
        select(form.ProjectGroupList, "Poems");
        form.btnDeleteGroupClick();

        // The lists and the folders show every change.
        EXPECT_EQ(texts(form.ProjectGroupList), (std::vector<std::string>{"Books", "Music"}));
        EXPECT_TRUE(fs::is_directory(dir.file("Groups/Music")));
        EXPECT_TRUE(fs::is_directory(dir.file("Groups/Books/Carroll")));
        EXPECT_FALSE(fs::exists(dir.file("Groups/Books/Alice")));
        EXPECT_FALSE(fs::exists(dir.file("Groups/Poems")));
        select(form.ProjectGroupList, "Books");
        EXPECT_EQ(texts(form.ProjectList), (std::vector<std::string>{"Alice", "Oz"}))
            << "the project list is read from the registry again";
    }

    // Each change warned once, naming the file in capitals; the registry is untouched.
    std::vector<std::string> warnings;
    for (const auto& m : services.messages)
        if (m.caption == "Warning")
            warnings.push_back(m.text);
    EXPECT_EQ(warnings,
              std::vector<std::string>(4, warningFor(dir.file("Groups.ini"), "GROUPS.INI")));
    EXPECT_EQ(registry(), original);
    EXPECT_EQ(readBytes(dir.file("Groups/Books/Oz/notes.txt")), "keep me");
    EXPECT_EQ(faults::entries(dir.path()), (std::vector<std::string>{"Groups", "Groups.ini"}));

    // Writable again: the next change is written over the old registry.
    ASSERT_TRUE(platform::setReadOnly(dir.file("Groups.ini"), false));
    TManageProjectsForm again(nullptr);
    EXPECT_EQ(texts(again.ProjectGroupList), (std::vector<std::string>{"Books", "Poems"}));
    services.inputs = {std::string("Essays")};
    again.btnCreateGroupClick();
    EXPECT_EQ(registry(), original + "[Essays]\r\nProjectCount=0\r\n\r\n");
}

TEST_F(WindowFaults, ReadOnlyProjectFileOnSaveWarnsAndKeepsTheFileAndTheFields) {
    TCreateSaleslettersForm form;
    form.show();
    const std::string path = dir.file("letter.prj");
    services.saveFileAnswers.push_back(path);
    form.SetFieldText("Headline", "first");
    form.SaveProject1Click();
    const std::string saved = readBytes(path);
    ASSERT_NE(saved.find("Headline=first\r\n"), std::string::npos);
    ASSERT_TRUE(platform::setReadOnly(path, true));

    // Save, and the welcome page's save button with the full path.
    form.SetFieldText("Headline", "second");
    form.SaveProject1Click();
    form.PName->setText(QString::fromStdString(path));
    form.btnSave->click();
    ASSERT_EQ(services.messages.size(), 2u);
    for (const auto& m : services.messages) {
        EXPECT_EQ(m.text, warningFor(path, "LETTER.PRJ"));
        EXPECT_EQ(m.caption, "Warning");
        EXPECT_EQ(m.icon, platform::Icon::Warning);
    }
    EXPECT_EQ(readBytes(path), saved);
    EXPECT_EQ(form.FieldText("Headline"), "second");
    EXPECT_EQ(form.CurrentFile(), path);
    EXPECT_EQ(form.windowTitle().toStdString(), "Create Salesletters - letter.prj");
    EXPECT_TRUE(services.errors.empty());
    EXPECT_EQ(faults::entries(dir.path()), std::vector<std::string>{"letter.prj"});

    ASSERT_TRUE(platform::setReadOnly(path, false));
    form.SaveProject1Click();
    EXPECT_NE(readBytes(path).find("Headline=second\r\n"), std::string::npos);
    EXPECT_EQ(services.messages.size(), 2u);
}

// Finish needs no right to write the program folder (its scratch template goes
// to the temporary folder); Preview still writes its page there.
TEST_F(WindowFaults, ProgramFolderWithoutWriteRightStopsPreviewButNotFinish) {
    writeBytes(dir.file("quillmere"),
               faults::standInExecutable({{"TEMPLATE1.HTML", "<title>{@pagetitle@}</title>\r\n"}}));
    writeBytes(dir.file("Temp.html"), "the last preview");
    const std::string pages = dir.file("pages");
    fs::create_directories(pages);
    ::chmod(pages.c_str(), 0777);
    TCreateSaleslettersForm form;
    form.show();
    form.SetFieldText("PT", "Title");
    {
        faults::NoWriteRight locked(dir.path());
        if (!locked.binds())
            GTEST_SKIP() << "permissions do not bind here";
        form.btnPreview->click();
        services.saveFileAnswers.push_back(pages + "/page");
        form.btnFinish->click();
    }
    const std::string error =
        "Cannot create file \"" + dir.file("Temp.html") + "\". Permission denied";
    EXPECT_EQ(services.errors, (std::vector<std::string>{error}));
    EXPECT_EQ(services.openedDocuments, std::vector<std::string>{pages + "/page.html"});
    EXPECT_EQ(readBytes(dir.file("Temp.html")), "the last preview");
    EXPECT_EQ(faults::entries(pages), std::vector<std::string>{"page.html"});
    services.openedDocuments.clear();
    EXPECT_EQ(faults::entries(dir.path()),
              (std::vector<std::string>{"Temp.html", "pages", "quillmere"}));
    EXPECT_EQ(form.FieldText("PT"), "Title");

    // With the right back, the same preview works.
    form.btnPreview->click();
    EXPECT_EQ(services.openedDocuments, std::vector<std::string>{dir.file("Temp.html")});
    EXPECT_EQ(readBytes(dir.file("Temp.html")), "<title>Title</title>\r\n");
}

TEST_F(WindowFaults, ProjectFolderDeletedUnderTheFolderEditor) {
    const std::string project = dir.file("Groups/G/P");
    fs::create_directories(project + "/Images");
    writeBytes(project + "/a.txt", "a");
    const std::string outside = dir.file("outside");
    fs::create_directories(outside + "/Folder");
    writeBytes(outside + "/new.txt", "n");

    TEditProjectForm form(nullptr, "P", "G", project);
    form.show();
    EXPECT_EQ(texts(form.FilesList), (std::vector<std::string>{"[Images]", "a.txt"}));
    fs::remove_all(project);

    // The items still shown lead nowhere: entering lists an empty folder,
    // deleting finds nothing to delete, and nothing is reported.
    select(form.FilesList, "a.txt");
    services.answers = {Answer::Yes};
    form.btnDeleteFileClick();
    EXPECT_TRUE(texts(form.FilesList).empty());
    form.ListFolder();
    EXPECT_TRUE(texts(form.FilesList).empty());
    EXPECT_EQ(services.messages.size(), 1u); // the question only

    // Copying in fails as the shell reports it; nothing lands anywhere.
    services.openFileAnswers.push_back({outside + "/new.txt"});
    form.btnAddFilesClick();
    services.folderAnswers.push_back(outside + "/Folder");
    form.btnAddFolderClick();
    ASSERT_EQ(services.messages.size(), 3u);
    EXPECT_EQ(services.messages[1].caption, "Error Copying File or Folder");
    EXPECT_EQ(services.messages[2].caption, "Error Copying File or Folder");
    EXPECT_FALSE(fs::exists(project));
    EXPECT_TRUE(texts(form.FilesList).empty());
    EXPECT_EQ(form.lblPath->text().toStdString(), "/");

    // Creating a folder makes the path again, the project folder with it.
    services.inputs = {std::string("New folder")};
    form.btnCreateClick();
    EXPECT_EQ(texts(form.FilesList), std::vector<std::string>{"[New folder]"});
    EXPECT_TRUE(fs::is_directory(project + "/New folder"));
    EXPECT_EQ(faults::entries(dir.file("Groups/G")), std::vector<std::string>{"P"});
}

TEST_F(WindowFaults, SubfolderDeletedWhileShownThenTheWholeProject) {
    const std::string project = dir.file("Groups/G/P");
    fs::create_directories(project + "/Images/Small");
    TEditProjectForm form(nullptr, "P", "G", project);
    form.show();
    select(form.FilesList, "[Images]");
    form.FilesListDblClick();
    EXPECT_EQ(texts(form.FilesList), (std::vector<std::string>{"[..]", "[Small]"}));
    fs::remove_all(project);
    select(form.FilesList, "[Small]");
    form.FilesListDblClick();
    EXPECT_EQ(form.SubPath(), "/Images/Small/");
    EXPECT_EQ(texts(form.FilesList), std::vector<std::string>{"[..]"});
    form.btnUpClick();
    form.btnUpClick();
    EXPECT_EQ(form.SubPath(), "/");
    EXPECT_TRUE(texts(form.FilesList).empty());
    EXPECT_TRUE(services.messages.empty());
    EXPECT_FALSE(fs::exists(project));
}

TEST_F(WindowFaults, UnreadableFilesAreReportedAndChangeNothing) {
    const std::string registry = dir.file("Groups.ini");
    writeBytes(registry, "[Books]\r\nProjectCount=0\r\n\r\n");
    const std::string prj = dir.file("letter.prj");
    writeBytes(prj, "[Project]\r\nHeadline=stored\r\n");
    std::string registryError, projectError;
    {
        faults::NoReadRight hidden({registry, prj});
        if (!hidden.binds())
            GTEST_SKIP() << "permissions do not bind here";
        // The workspace window opens without groups; creating one is listed,
        // then stops at the registry.
        TManageProjectsForm manage(nullptr);
        EXPECT_EQ(manage.ProjectGroupList->count(), 0);
        services.inputs = {std::string("Music")};
        manage.btnCreateGroup->click();
        EXPECT_EQ(manage.ProjectGroupList->count(), 1);
        EXPECT_FALSE(fs::exists(dir.file("Groups/Music")));

        // The wizard opens without groups; loading and saving the project stop
        // before any field or file changes.
        TCreateSaleslettersForm wizard;
        wizard.show();
        EXPECT_EQ(wizard.ProjectGroups->count(), 0);
        wizard.SetFieldText("Headline", "typed");
        // Yes to the Open question, and to replacing the existing file.
        services.answers = {Answer::Yes, Answer::Yes};
        services.openFileAnswers.push_back({prj});
        wizard.OpenProject1->trigger();
        services.saveFileAnswers.push_back(prj);
        wizard.SaveProjectAs1->trigger();
        EXPECT_EQ(wizard.FieldText("Headline"), "typed");
        EXPECT_TRUE(wizard.Untitled());
        EXPECT_EQ(wizard.CurrentFile(), "");
    }
    const std::string cannotOpen = "Cannot open file \"" + registry + "\". Permission denied";
    const std::string cannotOpenProject = "Cannot open file \"" + prj + "\". Permission denied";
    EXPECT_EQ(services.errors, (std::vector<std::string>{cannotOpen, cannotOpen, cannotOpen,
                                                         cannotOpenProject, cannotOpenProject}));
    EXPECT_EQ(readBytes(registry), "[Books]\r\nProjectCount=0\r\n\r\n");
    EXPECT_EQ(readBytes(prj), "[Project]\r\nHeadline=stored\r\n");
}

TEST_F(WindowFaults, DiskFullOnPreviewAndFinishKeepsTheOldPagesAndOpensNothing) {
    writeBytes(dir.file("quillmere"),
               faults::standInExecutable({{"TEMPLATE1.HTML", "<title>{@pagetitle@}</title>\r\n"}}));
    writeBytes(dir.file("Temp.html"), "the last preview");
    writeBytes(dir.file("page.html"), "the last page");
    TCreateSaleslettersForm form;
    form.show();
    form.SetFieldText("PT", std::string(10000, 'x'));
    platform::setWriteFaultForTesting(4096); // the disk fills 4 kB into a page
    form.btnPreview->click();
    services.saveFileAnswers.push_back(dir.file("page.html"));
    form.btnFinish->click();
    platform::setWriteFaultForTesting(-1);

    ASSERT_EQ(services.errors.size(), 2u);
    EXPECT_EQ(services.errors[0],
              "Cannot create file \"" + dir.file("Temp.html") + "\". No space left on device");
    EXPECT_EQ(services.errors[1],
              "Cannot create file \"" + dir.file("page.html") + "\". No space left on device");
    EXPECT_TRUE(services.openedDocuments.empty());
    EXPECT_EQ(readBytes(dir.file("Temp.html")), "the last preview");
    EXPECT_EQ(readBytes(dir.file("page.html")), "the last page");
    EXPECT_EQ(faults::entries(dir.path()),
              (std::vector<std::string>{"Temp.html", "page.html", "quillmere"}));
}

} // namespace
