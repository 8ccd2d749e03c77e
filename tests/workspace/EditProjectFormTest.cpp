// The project folder editor on a real project folder: listing, moving down
// and up, creating, adding and deleting, and the refusals that keep it
// inside the project folder.
#include "workspace/ui/EditProjectForm.h"

#include "platform/ScriptedServices.h"
#include "support/Links.h"
#include "support/TempDir.h"

#include <algorithm>
#include <dirent.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <QLabel>
#include <QListWidget>

namespace fs = std::filesystem;
using platform::Answer;
using testsupport::native;
using testsupport::readBytes;
using testsupport::writeBytes;
using Kind = TEditProjectForm::Kind;

namespace {

std::vector<std::string> items(const TEditProjectForm& form) {
    std::vector<std::string> out;
    for (int i = 0; i < form.FilesList->count(); ++i)
        out.push_back(form.FilesList->item(i)->text().toStdString());
    return out;
}

class EditProjectTest : public testing::Test {
protected:
    void SetUp() override {
        project = tmp.file("Groups/G/P");
        outside = tmp.file("outside");
        fs::create_directories(project + "/Images/Small");
        fs::create_directories(project + "/x");
        fs::create_directories(outside);
        writeBytes(project + "/a.txt", "old a");
        writeBytes(project + "/.hidden", "h");
        writeBytes(project + "/[x]", "a file, not the folder x");
        writeBytes(project + "/Images/logo.png", "png");
        writeBytes(outside + "/a.txt", "new a");
        writeBytes(outside + "/b.txt", "b");
        writeBytes(outside + "/keep.txt", "keep");
    }
    // Selects the item shown as `text`.
    void select(TEditProjectForm& form, const std::string& text) {
        auto found = form.FilesList->findItems(QString::fromStdString(text), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text;
        found.front()->setSelected(true);
    }

    testsupport::TempDir tmp;
    std::string project, outside;
    platform::ScriptedServices scripted;
    platform::ScopedServices scope{scripted};
};

TEST_F(EditProjectTest, ListsFoldersThenFilesInFileSystemOrder) {
    TEditProjectForm form(nullptr, "P", "G", project);
    EXPECT_EQ(form.windowTitle(), "Edit Project");
    EXPECT_EQ(form.size(), QSize(641, 325));
    EXPECT_EQ(form.lblPN->text(), "P");
    EXPECT_EQ(form.lblPG->text(), "G");
    EXPECT_EQ(form.lblPP->text().toStdString(), project);
    form.show(); // lists the project folder

    std::vector<std::string> folders, files;
    DIR* d = opendir(project.c_str());
    while (const dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        if (fs::is_directory(project + "/" + name))
            folders.push_back("[" + name + "]");
        else
            files.push_back(name);
    }
    closedir(d);
    std::vector<std::string> expected = folders;
    expected.insert(expected.end(), files.begin(), files.end());
    EXPECT_EQ(items(form), expected); // no "[..]" at the top, hidden files listed
    EXPECT_EQ(form.lblPath->text().toStdString(), native("/"));
    // The file "[x]" and the folder "x" are both shown as "[x]", but kept apart.
    int fileX = 0, folderX = 0;
    for (const auto& e : form.ShownEntries()) {
        fileX += e.kind == Kind::File && e.name == "[x]";
        folderX += e.kind == Kind::Folder && e.name == "x";
    }
    EXPECT_EQ(fileX, 1);
    EXPECT_EQ(folderX, 1);
}

TEST_F(EditProjectTest, MovesDownAndBackUp) {
    TEditProjectForm form(nullptr, "P", "G", project);
    form.show();
    form.btnUpClick(); // at the top: nothing
    EXPECT_EQ(form.SubPath(), native("/"));

    select(form, "[Images]");
    form.FilesListDblClick();
    EXPECT_EQ(form.SubPath(), native("/Images/"));
    EXPECT_EQ(form.lblPath->text().toStdString(), native("/Images/"));
    EXPECT_EQ(items(form), (std::vector<std::string>{"[..]", "[Small]", "logo.png"}));
    select(form, "logo.png");
    form.FilesListDblClick(); // a file: nothing
    EXPECT_EQ(form.SubPath(), native("/Images/"));

    select(form, "[Small]");
    form.FilesListDblClick();
    EXPECT_EQ(items(form), std::vector<std::string>{"[..]"});
    form.btnUpClick();
    EXPECT_EQ(form.SubPath(), native("/Images/"));
    select(form, "[..]");
    form.FilesListDblClick();
    EXPECT_EQ(form.SubPath(), native("/"));

    // A current folder that disappeared lists as empty below the top.
    select(form, "[Images]");
    form.FilesListDblClick();
    fs::remove_all(project + "/Images");
    form.ListFolder();
    EXPECT_EQ(items(form), std::vector<std::string>{"[..]"});
    EXPECT_TRUE(scripted.messages.empty());
}

TEST_F(EditProjectTest, CreatesNestedFoldersButNeverAboveTheProject) {
    TEditProjectForm form(nullptr, "P", "G", project);
    form.show();
    scripted.inputs = {std::string("New folder"), std::string("New folder"),
                       std::string("A/B\\C"),     std::nullopt,
                       std::string("../../evil"), std::string("ok/../../../evil")};
    for (int i = 0; i < 6; ++i)
        form.btnCreateClick();
    ASSERT_EQ(scripted.inputRequests.size(), 6u);
    EXPECT_EQ(scripted.inputRequests[0].caption, "Create New Folder");
    EXPECT_EQ(scripted.inputRequests[0].prompt, "Enter new folder name:");
    EXPECT_EQ(scripted.inputRequests[0].preset, "New folder");
    EXPECT_TRUE(fs::is_directory(project + "/New folder"));
    EXPECT_TRUE(fs::is_directory(project + "/A/B/C"));
    EXPECT_FALSE(fs::exists(tmp.path() + "/Groups/evil"));
    EXPECT_FALSE(fs::exists(tmp.path() + "/evil"));
    EXPECT_FALSE(fs::exists(project + "/ok"));
    ASSERT_EQ(scripted.messages.size(), 2u); // the two ".." answers only
    EXPECT_EQ(scripted.messages[0].caption, "Warning");

    // Through a link that leads out of the project: refused too.
    if (!testsupport::makeLink(outside, project + "/out", true))
        GTEST_SKIP() << testsupport::kNoLinks;
    scripted.inputs = {std::string("out/made")};
    form.btnCreateClick();
    EXPECT_FALSE(fs::exists(outside + "/made"));
    EXPECT_EQ(scripted.messages.size(), 3u);
}

TEST_F(EditProjectTest, AddsFilesAndFoldersReplacingSilently) {
    fs::create_directories(outside + "/tree/inner");
    writeBytes(outside + "/tree/inner/deep.txt", "deep");
    TEditProjectForm form(nullptr, "P", "G", project);
    form.show();
    scripted.openFileAnswers = {{outside + "/a.txt", outside + "/b.txt"}, {}};
    form.btnAddFilesClick();
    form.btnAddFilesClick(); // cancelled
    ASSERT_EQ(scripted.openFileRequests.size(), 2u);
    EXPECT_EQ(scripted.openFileRequests[0].filter, "All Files (*.*)|*.*");
    EXPECT_TRUE(scripted.openFileRequests[0].multiSelect);
    EXPECT_TRUE(scripted.openFileRequests[0].showHidden);
    EXPECT_EQ(readBytes(project + "/a.txt"), "new a");
    EXPECT_EQ(readBytes(project + "/b.txt"), "b");
    const std::vector<std::string> listed = items(form);
    EXPECT_NE(std::find(listed.begin(), listed.end(), "b.txt"), listed.end());

    select(form, "[Images]");
    form.FilesListDblClick();
    scripted.folderAnswers = {outside + "/tree/", std::nullopt, std::string("/")};
    form.btnAddFolderClick();
    form.btnAddFolderClick(); // cancelled
    form.btnAddFolderClick(); // the root has no name of its own: refused
    EXPECT_EQ(readBytes(project + "/Images/tree/inner/deep.txt"), "deep");
    std::vector<std::string> below = items(form);
    ASSERT_EQ(below.size(), 4u);
    std::sort(below.begin() + 1, below.begin() + 3); // folders in file-system order
    EXPECT_EQ(below, (std::vector<std::string>{"[..]", "[Small]", "[tree]", "logo.png"}));
    ASSERT_EQ(scripted.messages.size(), 1u);
    EXPECT_EQ(scripted.messages[0].caption, "Warning");
}

TEST_F(EditProjectTest, DeletesTheItemAsListed) {
    const bool linked = testsupport::makeLink(outside, project + "/out", true);
    TEditProjectForm form(nullptr, "P", "G", project);
    form.show();
    form.btnDeleteFileClick(); // nothing selected: nothing asked
    EXPECT_TRUE(scripted.messages.empty());

    // The file "[x]" goes, the folder "x" stays.
    for (const auto& e : form.ShownEntries())
        if (e.kind == Kind::File && e.name == "[x]") {
            int row = static_cast<int>(&e - form.ShownEntries().data());
            form.FilesList->item(row)->setSelected(true);
        }
    scripted.answers = {Answer::Yes};
    form.btnDeleteFileClick();
    EXPECT_EQ(scripted.messages.back().text, "Are you sure you want to delete the item \"[x]\"?");
    EXPECT_EQ(scripted.messages.back().caption, "Confirm Delete");
    EXPECT_FALSE(fs::exists(project + "/[x]"));
    EXPECT_TRUE(fs::is_directory(project + "/x"));

    select(form, "[Images]");
    scripted.answers = {Answer::No, Answer::Yes};
    form.btnDeleteFileClick();
    EXPECT_TRUE(fs::exists(project + "/Images/logo.png"));
    form.btnDeleteFileClick();
    EXPECT_EQ(scripted.messages.back().text,
              "Are you sure you want to delete the item \"[Images]\"?");
    EXPECT_FALSE(fs::exists(project + "/Images"));

    // A linked folder is not entered, and deleting it removes the link only.
    if (linked) {
        select(form, "[out]");
        form.FilesListDblClick();
        EXPECT_EQ(form.SubPath(), native("/"));
        EXPECT_EQ(scripted.messages.back().caption, "Warning");
        select(form, "[out]");
        scripted.answers = {Answer::Yes};
        form.btnDeleteFileClick();
        EXPECT_FALSE(fs::is_symlink(project + "/out"));
        EXPECT_EQ(readBytes(outside + "/keep.txt"), "keep");
    }

    // "[..]" is never deleted.
    select(form, "[x]"); // the folder x, the only "[x]" left
    form.FilesListDblClick();
    select(form, "[..]");
    const std::size_t asked = scripted.messages.size();
    form.btnDeleteFileClick();
    EXPECT_EQ(scripted.messages.size(), asked);
    EXPECT_TRUE(fs::is_directory(project + "/x"));
    if (!linked)
        GTEST_SKIP() << "the linked folder was not checked: " << testsupport::kNoLinks;
}

} // namespace
