// Saving never guesses a folder, never replaces a file without asking, and the
// changed mark follows what is on disk: Exit asks only about unsaved work.
#include "platform/FileSystem.h"
#include "platform/ScriptedServices.h"
#include "platform/UserFiles.h"
#include "salesletter/ProjectFile.h"
#include "salesletter/ui/CreateSaleslettersForm.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

using platform::Answer;
using testsupport::readBytes;
using testsupport::ScopedEnv;
using testsupport::writeBytes;

namespace {

// The variable naming the user's home folder.
#ifdef _WIN32
constexpr const char* kHome = "USERPROFILE";
#else
constexpr const char* kHome = "HOME";
#endif

class Saving : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(documents);
        platform::setProgramPathForTesting(dir.file("bin/quillmere"));
        form = std::make_unique<TCreateSaleslettersForm>();
        form->show();
    }
    void TearDown() override {
        form.reset();
        platform::setProgramPathForTesting("");
    }

    testsupport::TempDir dir;
    const std::string documents = dir.file("home/Documents");
    ScopedEnv home{kHome, dir.file("home")};
    ScopedEnv xdgDocuments{"XDG_DOCUMENTS_DIR", std::nullopt};
    ScopedEnv xdgConfig{"XDG_CONFIG_HOME", dir.file("home/.config")};
    platform::ScriptedServices services;
    platform::ScopedServices scoped{services};
    std::unique_ptr<TCreateSaleslettersForm> form;
};

} // namespace

TEST(DocumentsFolder, IsTheUsersNeverTheRoot) {
    testsupport::TempDir dir;
    ScopedEnv xdgDocuments{"XDG_DOCUMENTS_DIR", std::nullopt};
    ScopedEnv xdgConfig{"XDG_CONFIG_HOME", dir.file("config")};
    {
        ScopedEnv home{kHome, dir.path()};
        EXPECT_EQ(platform::documentsFolder(), dir.path()); // no Documents: home
        std::filesystem::create_directories(dir.file("Documents"));
        EXPECT_EQ(platform::documentsFolder(), dir.file("Documents"));
#ifndef _WIN32
        std::filesystem::create_directories(dir.file("Docs"));
        std::filesystem::create_directories(dir.file("config"));
        writeBytes(dir.file("config/user-dirs.dirs"), "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
        EXPECT_EQ(platform::documentsFolder(), dir.file("Docs"));
#endif
    }
#ifdef _WIN32
    for (const char* top : {"C:\\", "C:", "\\"}) {
        ScopedEnv root{kHome, std::string(top)};
        EXPECT_EQ(platform::documentsFolder(), "") << top;
    }
#else
    ScopedEnv root{"HOME", std::string("/")};
    EXPECT_EQ(platform::documentsFolder(), "");
#endif
}

TEST_F(Saving, WithoutAProjectTheNameGoesThroughTheDialogInTheDocuments) {
    form->PName->setText("letter");
    // Cancelled: nothing is written anywhere.
    services.saveFileAnswers.push_back(std::nullopt);
    form->btnSave->click();
    ASSERT_EQ(services.saveFileRequests.size(), 1u);
    EXPECT_EQ(services.saveFileRequests[0].title, "Save Project");
    EXPECT_EQ(services.saveFileRequests[0].initialFolder, documents);
    EXPECT_EQ(services.saveFileRequests[0].fileName, "letter");
    EXPECT_TRUE(form->Untitled());
    EXPECT_FALSE(std::filesystem::exists("/letter"));
    EXPECT_FALSE(std::filesystem::exists("/letter.prj"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("bin/letter")));

    // Confirmed: the bare name chosen there gets ".prj".
    services.saveFileAnswers.push_back(documents + "/letter");
    form->btnSave->click();
    EXPECT_TRUE(std::filesystem::exists(documents + "/letter.prj"));
    EXPECT_EQ(form->CurrentFile(), documents + "/letter.prj");
    EXPECT_FALSE(std::filesystem::exists("/letter"));
    EXPECT_TRUE(services.messages.empty());

    // A full path is taken as typed, with ".prj" added.
    form->PName->setText(QString::fromStdString(dir.file("elsewhere")));
    form->btnSave->click();
    EXPECT_TRUE(std::filesystem::exists(dir.file("elsewhere.prj")));
    EXPECT_EQ(services.saveFileRequests.size(), 2u);
}

TEST_F(Saving, DialogsOpenInTheProjectFolderElseTheDocuments) {
    services.saveFileAnswers.push_back(std::nullopt);
    form->SaveProjectAs1Click();
    services.saveFileAnswers.push_back(std::nullopt);
    form->Compile1Click();
    services.openFileAnswers.push_back({});
    form->btnHG->click();
    EXPECT_EQ(services.saveFileRequests.at(0).initialFolder, documents);
    EXPECT_EQ(services.saveFileRequests.at(1).initialFolder, documents);
    EXPECT_EQ(services.openFileRequests.at(0).initialFolder, documents);

    // Once a file is open, its folder.
    std::filesystem::create_directories(dir.file("work"));
    SaveProject(TSalesLetter(), dir.file("work/a.prj"));
    form->LoadProject(dir.file("work/a.prj"));
    services.saveFileAnswers.push_back(std::nullopt);
    form->SaveProjectAs1Click();
    EXPECT_EQ(services.saveFileRequests.at(2).initialFolder, dir.file("work"));
    EXPECT_EQ(services.saveFileRequests.at(2).fileName, "a.prj");
}

TEST_F(Saving, ReplacingAnotherFileAsksFirst) {
    writeBytes(documents + "/taken.prj", "[Project]\r\nPT=theirs\r\n");
    form->SetFieldText("PT", "mine");
    services.saveFileAnswers.push_back(documents + "/taken");
    services.answers.push_back(Answer::No);
    form->SaveProjectAs1Click();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].caption, "Save Project");
    EXPECT_EQ(services.messages[0].text, "The file \"" + documents +
                                             "/taken.prj\" already exists. Do you want to "
                                             "replace it?");
    EXPECT_EQ(readBytes(documents + "/taken.prj"), "[Project]\r\nPT=theirs\r\n");
    EXPECT_TRUE(form->Untitled());

    services.saveFileAnswers.push_back(documents + "/taken.prj");
    services.answers.push_back(Answer::Yes);
    form->SaveProjectAs1Click();
    EXPECT_NE(readBytes(documents + "/taken.prj").find("PT=mine\r\n"), std::string::npos);
    // Saving the open file again is no replacement: no question.
    form->SetFieldText("PT", "again");
    form->SaveProject1Click();
    EXPECT_EQ(services.messages.size(), 2u);
    EXPECT_NE(readBytes(documents + "/taken.prj").find("PT=again\r\n"), std::string::npos);
}

TEST_F(Saving, AFileChangedOnDiskSinceItWasOpenedIsNotOverwrittenSilently) {
    const std::string file = documents + "/shared.prj";
    SaveProject(TSalesLetter(), file);
    form->LoadProject(file);
    form->SetFieldText("PT", "mine");
    writeBytes(file, "[Project]\r\nPT=written by someone else meanwhile\r\n");
    services.answers.push_back(Answer::No);
    form->SaveProject1Click();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].text.find("was changed on disk"), std::string::npos);
    EXPECT_EQ(readBytes(file), "[Project]\r\nPT=written by someone else meanwhile\r\n");
    EXPECT_TRUE(form->Modified());

    services.answers.push_back(Answer::Yes);
    form->SaveProject1Click();
    EXPECT_NE(readBytes(file).find("PT=mine\r\n"), std::string::npos);
    EXPECT_FALSE(form->Modified());
}

TEST_F(Saving, TheChangedMarkFollowsSavesSoExitAsksOnlyAboutUnsavedWork) {
    EXPECT_FALSE(form->Modified());
    form->SetFieldText("PT", "typed");
    EXPECT_TRUE(form->Modified());
    services.saveFileAnswers.push_back(documents + "/kept");
    form->SaveProject1Click();
    EXPECT_FALSE(form->Modified());
    EXPECT_EQ(form->windowTitle().toStdString(), "Create Salesletters - kept.prj");

    // Saved: Exit closes without a question.
    form->btnExit->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(services.messages.empty());

    // A change after the save is unsaved again, and Exit asks.
    form->show();
    form->SetFieldText("PT", "changed after the save");
    services.answers.push_back(Answer::No);
    form->btnExit->click();
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].caption, "Confirm Close");

    // Loading and New Project leave nothing unsaved.
    form->LoadProject(documents + "/kept.prj");
    EXPECT_FALSE(form->Modified());
    form->SetFieldText("PT", "x");
    services.answers.push_back(Answer::Yes);
    form->NewProject1Click();
    EXPECT_FALSE(form->Modified());
}
