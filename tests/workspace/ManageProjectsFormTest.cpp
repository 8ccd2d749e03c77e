// The Manage Projects window against a real temporary program folder, with
// scripted answers for every box it asks.
#include "workspace/ui/ManageProjectsForm.h"

#include "app/ui/MainForm.h"
#include "browsers/ui/WebBrowser.h"
#include "platform/FileSystem.h"
#include "platform/ScriptedServices.h"
#include "support/TempDir.h"
#include "workspace/ui/EditProjectForm.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <QTimer>

namespace fs = std::filesystem;
using platform::Answer;
using platform::Icon;
using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

std::vector<std::string> texts(const QListWidget* list) {
    std::vector<std::string> out;
    for (int i = 0; i < list->count(); ++i)
        out.push_back(list->item(i)->text().toStdString());
    return out;
}

class ManageProjectsTest : public testing::Test {
protected:
    void SetUp() override {
        WebBrowser::SetEngineEnabledForTesting(false);
        program = tmp.file("prog");
        fs::create_directories(program);
        platform::setProgramPathForTesting(testsupport::native(program + "/quillmere"));
        mainForm = std::make_unique<TMainForm>();
        mainForm->Brand = "acme";
    }
    void TearDown() override {
        mainForm.reset();
        MainForm = nullptr;
        platform::setProgramPathForTesting("");
    }
    std::string registry() const { return readBytes(program + "/Groups.ini"); }
    void select(QListWidget* list, int row) { list->item(row)->setSelected(true); }

    testsupport::TempDir tmp;
    std::string program;
    platform::ScriptedServices scripted;
    platform::ScopedServices scope{scripted};
    std::unique_ptr<TMainForm> mainForm;
};

TEST_F(ManageProjectsTest, OpensWithTheGroupsAndNothingSelected) {
    writeBytes(program + "/Groups.ini", "[Zebra]\r\nProjectCount=1\r\nProject0=Z\r\n\r\n"
                                        "[Apple]\r\nProjectCount=0\r\n\r\n");
    TManageProjectsForm form(mainForm.get());
    EXPECT_EQ(form.windowTitle(), "Manage Projects");
    EXPECT_EQ(form.size(), QSize(758, 584));
    ASSERT_EQ(form.PageControl->count(), 4);
    EXPECT_EQ(form.PageControl->tabText(0), "Create New Project");
    EXPECT_EQ(form.PageControl->tabText(1), "Hollowmark");
    EXPECT_EQ(form.PageControl->tabText(2), "Fernwick");
    EXPECT_EQ(form.PageControl->tabText(3), "Main Menu");
    EXPECT_EQ(form.PageControl->currentIndex(), 0);
    EXPECT_EQ(texts(form.ProjectGroupList), (std::vector<std::string>{"Zebra", "Apple"}));
    EXPECT_TRUE(form.ProjectGroupList->selectedItems().isEmpty());
    EXPECT_EQ(form.ProjectList->count(), 0);

    select(form.ProjectGroupList, 0);
    EXPECT_EQ(texts(form.ProjectList), std::vector<std::string>{"Z"});
    form.ProjectGroupList->clearSelection();
    EXPECT_EQ(form.ProjectList->count(), 0);
}

TEST_F(ManageProjectsTest, CreateGroupAnswersAndRefusals) {
    TManageProjectsForm form(mainForm.get());
    scripted.inputs = {
        std::string("Books"),    std::nullopt,     std::string("  \t "), std::string("BOOKS"),
        std::string(" Books"),   std::string("."), std::string("a/b"),   std::string("\xE9t\xE9"),
        std::string("\xC9T\xC9")};
    for (int i = 0; i < 9; ++i)
        form.btnCreateGroupClick();

    ASSERT_EQ(scripted.inputRequests.size(), 9u);
    EXPECT_EQ(scripted.inputRequests[0].caption, "Create New Group");
    EXPECT_EQ(scripted.inputRequests[0].prompt, "Enter new project group name:");
    EXPECT_EQ(scripted.inputRequests[0].preset, "");
    EXPECT_EQ(form.GroupNames(), (std::vector<std::string>{"Books", " Books", "\xE9t\xE9"}));
    EXPECT_EQ(form.ProjectGroupList->count(), 3);
    EXPECT_EQ(registry(), "[Books]\r\nProjectCount=0\r\n\r\n[ Books]\r\nProjectCount=0\r\n\r\n"
                          "[\xE9t\xE9]\r\nProjectCount=0\r\n\r\n");
    EXPECT_TRUE(fs::is_directory(program + "/Groups/Books"));
    EXPECT_TRUE(fs::is_directory(program + "/Groups/ Books"));
    EXPECT_FALSE(fs::exists(program + "/Groups/a"));

    // BOOKS and the accented name that the registry would merge: duplicates;
    // "." and "a/b": refused as folder names. Blank and cancelled: silent.
    ASSERT_EQ(scripted.messages.size(), 4u);
    EXPECT_EQ(scripted.messages[0].text, "A project group with this name already exists!");
    EXPECT_EQ(scripted.messages[0].caption, "Warning");
    EXPECT_EQ(scripted.messages[0].icon, Icon::Information);
    for (int i : {1, 2}) {
        EXPECT_EQ(scripted.messages[i].caption, "Warning");
        EXPECT_EQ(scripted.messages[i].icon, Icon::Warning);
        EXPECT_NE(scripted.messages[i].text.find("folder names"), std::string::npos);
    }
    EXPECT_EQ(scripted.messages[3].text, "A project group with this name already exists!");
    EXPECT_TRUE(form.ProjectGroupList->selectedItems().isEmpty());
}

TEST_F(ManageProjectsTest, AddProjectNeedsAGroupAndRefusesDuplicates) {
    writeBytes(program + "/Groups.ini",
               "[Ebooks]\r\nNote=1\r\n\r\n[Other]\r\nProjectCount=0\r\n\r\n");
    TManageProjectsForm form(mainForm.get());
    form.btnAddProjectClick(); // no group selected: nothing is asked
    EXPECT_TRUE(scripted.inputRequests.empty());

    select(form.ProjectGroupList, 0);
    scripted.inputs = {std::string("Alice"), std::string("ALICE"), std::string(".."),
                       std::string(""), std::string("Oz")};
    for (int i = 0; i < 5; ++i)
        form.btnAddProjectClick();
    EXPECT_EQ(scripted.inputRequests[0].caption, "Add Project");
    EXPECT_EQ(scripted.inputRequests[0].prompt, "Enter new project name:");
    EXPECT_EQ(texts(form.ProjectList), (std::vector<std::string>{"Alice", "Oz"}));
    EXPECT_EQ(registry(), "[Ebooks]\r\nNote=1\r\nProjectCount=2\r\nProject0=Alice\r\n"
                          "Project1=Oz\r\n\r\n[Other]\r\nProjectCount=0\r\n\r\n");
    EXPECT_TRUE(fs::is_directory(program + "/Groups/Ebooks/Alice"));
    EXPECT_TRUE(fs::is_directory(program + "/Groups/Ebooks/Oz"));
    ASSERT_EQ(scripted.messages.size(), 2u);
    EXPECT_EQ(scripted.messages[0].text,
              "The project already exists in the current project group!");
    EXPECT_EQ(scripted.messages[0].icon, Icon::Warning);
    EXPECT_EQ(scripted.messages[1].icon, Icon::Warning); // ".."
}

// A damaged count neither stalls the window nor fills the memory: the list
// stops at the ceiling, a negative count lists nothing, and adding to or
// deleting from such a group stays quick.
TEST_F(ManageProjectsTest, DamagedProjectCountsAreBounded) {
    writeBytes(program + "/Groups.ini",
               "[Huge]\r\nProjectCount=2147483647\r\nProject0=Alice\r\n\r\n"
               "[Neg]\r\nProjectCount=-5\r\nProject0=Bob\r\n\r\n");
    fs::create_directories(program + "/Groups/Huge/Alice");
    TManageProjectsForm form(mainForm.get());
    select(form.ProjectGroupList, 0);
    ASSERT_EQ(form.ProjectList->count(), 100000);
    EXPECT_EQ(form.ProjectList->item(0)->text(), "Alice");
    EXPECT_EQ(form.ProjectList->item(99999)->text(), "<no name>");

    scripted.inputs = {std::string("Carol")};
    form.btnAddProjectClick(); // the group holds all it can
    EXPECT_EQ(form.ProjectList->count(), 100000);
    EXPECT_FALSE(fs::exists(program + "/Groups/Huge/Carol"));
    ASSERT_EQ(scripted.messages.size(), 1u);
    EXPECT_NE(scripted.messages[0].text.find("100000"), std::string::npos);

    select(form.ProjectList, 0);
    scripted.answers = {Answer::Yes};
    form.btnDeleteProjectClick();
    EXPECT_EQ(form.ProjectList->count(), 99999);
    EXPECT_EQ(registry().rfind("[Huge]\r\nProjectCount=99999\r\nProject0=<no name>\r\n", 0), 0u);

    select(form.ProjectGroupList, 1);
    EXPECT_EQ(form.ProjectList->count(), 0);
    scripted.inputs = {std::string("Dan")};
    form.btnAddProjectClick();
    EXPECT_EQ(texts(form.ProjectList), std::vector<std::string>{"Dan"});
    EXPECT_NE(registry().find("[Neg]\r\nProjectCount=1\r\nProject0=Dan\r\n"), std::string::npos);
    EXPECT_TRUE(scripted.errors.empty());
}

TEST_F(ManageProjectsTest, DeleteTheMiddleProject) {
    writeBytes(program + "/Groups.ini",
               "[G]\r\nProjectCount=3\r\nProject0=A\r\nProject1=B\r\nProject2=C\r\n\r\n"
               "[H]\r\nProjectCount=1\r\nProject0=B\r\n\r\n");
    for (const char* p : {"G/A", "G/B/sub", "G/C", "H/B"})
        fs::create_directories(program + "/Groups/" + p);
    TManageProjectsForm form(mainForm.get());
    form.btnDeleteProjectClick(); // nothing selected
    select(form.ProjectGroupList, 0);
    select(form.ProjectList, 1);
    scripted.answers = {Answer::No, Answer::Yes};
    form.btnDeleteProjectClick();
    EXPECT_EQ(form.ProjectList->count(), 3);
    EXPECT_TRUE(fs::exists(program + "/Groups/G/B"));
    form.btnDeleteProjectClick();

    ASSERT_EQ(scripted.messages.size(), 2u);
    EXPECT_EQ(scripted.messages[1].text,
              "Are you sure you want to delete the project \"B\" in the current project group?");
    EXPECT_EQ(scripted.messages[1].caption, "Confirm Delete");
    EXPECT_EQ(scripted.messages[1].icon, Icon::Question);
    EXPECT_EQ(scripted.messages[1].buttons, platform::Buttons::YesNo);
    EXPECT_EQ(texts(form.ProjectList), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(registry(), "[G]\r\nProjectCount=2\r\nProject0=A\r\nProject1=C\r\n\r\n"
                          "[H]\r\nProjectCount=1\r\nProject0=B\r\n\r\n");
    EXPECT_FALSE(fs::exists(program + "/Groups/G/B"));
    EXPECT_TRUE(fs::exists(program + "/Groups/G/A"));
    EXPECT_TRUE(fs::exists(program + "/Groups/H/B"));
}

TEST_F(ManageProjectsTest, DeleteGroupAsksAndStaysInsideTheTree) {
    // A group named "." (hand-made registry) must not take the other groups with it.
    writeBytes(program + "/Groups.ini", "[.]\r\nProjectCount=0\r\n\r\n"
                                        "[G]\r\nProjectCount=1\r\nProject0=P\r\n\r\n");
    fs::create_directories(program + "/Groups/G/P");
    TManageProjectsForm form(mainForm.get());
    select(form.ProjectGroupList, 1);
    scripted.answers = {Answer::No, Answer::Yes, Answer::Ok, Answer::Yes};
    form.btnDeleteGroupClick(); // No: nothing deleted, projects listed again
    EXPECT_EQ(scripted.messages[0].text,
              "Are you sure you want to delete the project group \"G\"?");
    EXPECT_EQ(texts(form.ProjectList), std::vector<std::string>{"P"});
    EXPECT_TRUE(fs::exists(program + "/Groups/G/P"));

    select(form.ProjectGroupList, 0);
    form.btnDeleteGroupClick(); // "." : the section goes, the folders stay
    EXPECT_EQ(scripted.messages.back().caption, "Error Deleting File or Folder");
    EXPECT_TRUE(fs::exists(program + "/Groups/G/P"));
    EXPECT_TRUE(form.ProjectGroupList->selectedItems().isEmpty());

    select(form.ProjectGroupList, 0);
    form.btnDeleteGroupClick();
    EXPECT_EQ(form.ProjectGroupList->count(), 0);
    EXPECT_EQ(form.ProjectList->count(), 0);
    EXPECT_FALSE(fs::exists(program + "/Groups/G"));
    EXPECT_TRUE(fs::is_directory(program + "/Groups"));
    EXPECT_EQ(registry(), "");
}

TEST_F(ManageProjectsTest, WebPagesLoadOnEveryChoice) {
    mainForm->Brand = "not-this-one"; // the window takes the brand it is given
    TManageProjectsForm form(mainForm.get(), "acme");
    // The opener's way: page set before showing, then one explicit call.
    form.PageControl->setCurrentIndex(TManageProjectsForm::FernwickPage);
    EXPECT_EQ(form.WebBrowser1->LastAddress(), "");
    form.PageControlChange();
    EXPECT_EQ(form.WebBrowser1->LastAddress(), "http://www.tarrowby.com/acme/fernwick");
    EXPECT_EQ(form.WebBrowser->LastAddress(), "about:blank");

    form.show();
    form.PageControl->setCurrentIndex(TManageProjectsForm::HollowmarkPage);
    EXPECT_EQ(form.WebBrowser->LastAddress(), "http://www.tarrowby.com/acme/hollowmark");
    EXPECT_EQ(form.WebBrowser1->LastAddress(), "about:blank");
    form.PageControl->setCurrentIndex(TManageProjectsForm::CreateNewProjectPage);
    EXPECT_EQ(form.WebBrowser->LastAddress(), "http://www.tarrowby.com/acme/hollowmark");
    form.PageControl->setCurrentIndex(TManageProjectsForm::FernwickPage);
    EXPECT_EQ(form.WebBrowser->LastAddress(), "about:blank");
    form.PageControl->setCurrentIndex(TManageProjectsForm::HollowmarkPage);
    EXPECT_EQ(form.WebBrowser->LastAddress(), "http://www.tarrowby.com/acme/hollowmark");

    mainForm->Brand = "other";
    form.PageControl->setCurrentIndex(TManageProjectsForm::MainMenuPage);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(ManageProjectsTest, MinimisingMinimisesTheApplication) {
    TManageProjectsForm form(mainForm.get());
    form.show();
    form.setWindowState(Qt::WindowMinimized);
    EXPECT_EQ(scripted.minimizeCount, 1);
    EXPECT_FALSE(form.windowState() & Qt::WindowMinimized);
}

TEST_F(ManageProjectsTest, EditProjectOpensTheFolderEditor) {
    writeBytes(program + "/Groups.ini", "[G]\r\nProjectCount=1\r\nProject0=P\r\n\r\n");
    fs::create_directories(program + "/Groups/G/P/Images");
    TManageProjectsForm form(mainForm.get());
    form.btnEditProjectClick(); // nothing selected: no editor
    select(form.ProjectGroupList, 0);
    select(form.ProjectList, 0);
    std::vector<std::string> seen;
    QTimer::singleShot(0, [&] {
        auto* editor = qobject_cast<TEditProjectForm*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        seen = {editor->lblPN->text().toStdString(), editor->lblPG->text().toStdString(),
                editor->lblPP->text().toStdString(),
                editor->FilesList->item(0)->text().toStdString()};
        editor->close();
    });
    form.btnEditProjectClick();
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "P", "G", testsupport::native(program + "/Groups/G/P"), "[Images]"}));
}

} // namespace
