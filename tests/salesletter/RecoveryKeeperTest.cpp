// The wizard's recovery copy: written after changes, removed once the work is
// safe, kept when the program ends otherwise, and offered to the next wizard.
#include "salesletter/ui/RecoveryKeeper.h"
#include "salesletter/ProjectFile.h"
#include "salesletter/Recovery.h"
#include "salesletter/ui/CreateSaleslettersForm.h"
#include "support/TempDir.h"

#include "platform/DataFolder.h"
#include "platform/FileSystem.h"
#include "platform/ScriptedServices.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QLockFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>

using platform::Answer;
using testsupport::writeBytes;

namespace {

// Runs the event loop until `done` holds or five seconds have passed.
bool waitUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 5000)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

class Recovery : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setProgramPathForTesting(dir.file("quillmere"));
        platform::setDataFolderForTesting(dir.folder());
        open();
    }
    void TearDown() override {
        form.reset();
        platform::setDataFolderForTesting("");
        platform::setProgramPathForTesting("");
    }
    // A new wizard with its keeper, as the main menu opens it.
    void open() {
        form = std::make_unique<TCreateSaleslettersForm>();
        keeper = new RecoveryKeeper(*form, RecoveryFolder());
        keeper->setDelays(30, 60000);
        form->show();
    }
    // The program ends without the close prompt: killed, crashed, logged out.
    void crash() {
        keeper->flush();
        form.reset();
    }
    std::vector<std::string> copies() const { return ListRecoveries(RecoveryFolder()); }
    std::string title() const { return form->windowTitle().toStdString(); }
    void type(const char* key, const char* text) {
        QWidget* w = form->Field(key);
        if (auto* e = qobject_cast<QLineEdit*>(w))
            e->setText(text);
        else
            static_cast<QPlainTextEdit*>(w)->setPlainText(text);
    }

    platform::ScriptedServices services;
    platform::ScopedServices scoped{services};
    testsupport::TempDir dir;
    std::unique_ptr<TCreateSaleslettersForm> form;
    RecoveryKeeper* keeper = nullptr;
};

} // namespace

TEST_F(Recovery, EditsAreSignalledOnceEachButNotWhileTheControlsAreFilled) {
    int edits = 0;
    QObject::connect(form.get(), &TCreateSaleslettersForm::letterEdited, [&] { ++edits; });
    type("FN", "Jo");
    type("Headline", "a\nb");
    form->CheckBox2->click(); // clears CheckBox1 too: one change
    form->SetFieldText("RS", "None");
    EXPECT_EQ(edits, 4);

    std::string path = dir.file("p.prj");
    SaveProject(TSalesLetter(), path);
    form->SetLetter(TSalesLetter());
    form->LoadProject(path);
    form->ResetProject();
    EXPECT_EQ(edits, 4);
}

TEST_F(Recovery, CopyFollowsTheChangesAfterAPause) {
    EXPECT_TRUE(copies().empty());
    type("FN", "J");
    type("FN", "Jo");
    // Not on every keystroke: nothing is written until typing pauses.
    EXPECT_TRUE(copies().empty());
    ASSERT_TRUE(waitUntil([&] { return !keeper->pending(); }));
    ASSERT_EQ(copies(), std::vector<std::string>{keeper->copyPath()});
    RecoveryCopy copy = ReadRecovery(keeper->copyPath());
    TSalesLetter shown = form->Letter();
    for (const FieldInfo& f : TSalesLetter::Fields())
        EXPECT_EQ(copy.letter[f.key], shown[f.key]) << f.key;
    EXPECT_EQ(copy.letter["FN"], "Jo");
    EXPECT_EQ(copy.caption, "Create Salesletters - Untitled");
    EXPECT_EQ(copy.projectFile, "");
    EXPECT_GT(copy.lastChange, 0);

    // Changes that never pause are still written within the longest delay.
    keeper->setDelays(60000, 50);
    type("SW", "books");
    ASSERT_TRUE(waitUntil([&] { return !keeper->pending(); }));
    EXPECT_EQ(ReadRecovery(keeper->copyPath()).letter["SW"], "books");
}

TEST_F(Recovery, CopyGoesWhenTheWorkIsSafe) {
    // A successful save.
    type("FN", "Jo");
    keeper->flush();
    ASSERT_EQ(copies().size(), 1u);
    services.saveFileAnswers.push_back(dir.file("letter"));
    form->SaveProject1Click();
    EXPECT_TRUE(copies().empty());
    EXPECT_EQ(form->CurrentFile(), dir.file("letter.prj"));

    // A save that could not write keeps the copy.
    type("FN", "Jo Tester");
    keeper->flush();
    platform::setReadOnly(dir.file("letter.prj"), true);
    form->SaveProject1Click();
    EXPECT_EQ(copies().size(), 1u);
    platform::setReadOnly(dir.file("letter.prj"), false);

    // New Project, once confirmed.
    services.answers.push_back(Answer::No);
    form->NewProject1Click();
    EXPECT_EQ(copies().size(), 1u);
    services.answers.push_back(Answer::Yes);
    form->NewProject1Click();
    EXPECT_TRUE(copies().empty());

    // The close prompt, once confirmed.
    type("FN", "again");
    keeper->flush();
    services.answers.push_back(Answer::No);
    form->close();
    EXPECT_EQ(copies().size(), 1u);
    services.answers.push_back(Answer::Yes);
    form->close();
    EXPECT_TRUE(copies().empty());
    EXPECT_FALSE(keeper->pending());
}

TEST_F(Recovery, CopyLeftByACrashIsRestoredWholeAndCountsAsChanged) {
    std::string project = dir.file("launch.prj");
    SaveProject(TSalesLetter(), project);
    form->LoadProject(project);
    type("FN", "Jo \xe2\x82\xac");
    type("WD", "line one\nline ~~ two\n");
    type("TW1", "example.com/jo");
    form->CheckBox3->click();
    TSalesLetter typed = form->Letter();
    crash();
    ASSERT_EQ(copies().size(), 1u);
    std::string old = copies().front();

    services.answers.push_back(Answer::Yes);
    open();
    ASSERT_TRUE(keeper->offerRestore());
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text.rfind("The sales letter you were writing was not saved "
                                              "when Quillmere last closed (Create Salesletters - "
                                              "launch.prj, last change ",
                                              0),
              0u)
        << services.messages[0].text;
    EXPECT_EQ(services.messages[0].text.substr(services.messages[0].text.size() - 14),
              "). Restore it?");

    TSalesLetter restored = form->Letter();
    EXPECT_TRUE(restored.CB3);
    EXPECT_FALSE(restored.CB1);
    for (const FieldInfo& f : TSalesLetter::Fields())
        EXPECT_EQ(restored[f.key], typed[f.key]) << f.key;
    EXPECT_EQ(title(), "Create Salesletters - launch.prj (recovered)");
    EXPECT_EQ(form->CurrentFile(), project);
    EXPECT_FALSE(form->Untitled());
    // The project file is untouched until the user saves; the restored work has
    // this wizard's copy in place of the old one.
    TSalesLetter onDisk;
    LoadProject(onDisk, project);
    EXPECT_EQ(onDisk["FN"], "");
    EXPECT_EQ(copies(), std::vector<std::string>{keeper->copyPath()});
    EXPECT_NE(keeper->copyPath(), old);

    // Closing asks; Save writes to the original file. A "~~" typed into a memo
    // reads back from a project file as a line break, so the copy stays until
    // the file holds exactly what is shown.
    services.answers.push_back(Answer::No);
    form->close();
    EXPECT_EQ(services.messages.back().caption, "Confirm Close");
    form->SaveProject1Click();
    LoadProject(onDisk, project);
    EXPECT_EQ(onDisk["FN"], typed["FN"]);
    EXPECT_EQ(copies().size(), 1u);
    type("WD", "line one\nline two");
    form->SaveProject1Click();
    LoadProject(onDisk, project);
    EXPECT_EQ(onDisk["WD"], "line one\r\nline two");
    EXPECT_TRUE(copies().empty());
    EXPECT_EQ(title(), "Create Salesletters - launch.prj");
}

TEST_F(Recovery, NoMovesTheCopyAsideAndAsksNothingMore) {
    type("FN", "declined");
    crash();
    services.answers.push_back(Answer::No);
    open();
    EXPECT_FALSE(keeper->offerRestore());
    EXPECT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(form->FieldText("FN"), "");
    EXPECT_EQ(title(), "Create Salesletters - Untitled");
    EXPECT_TRUE(copies().empty());
    std::vector<std::string> discarded = ListRecoveries(RecoveryFolder() + "/Discarded");
    ASSERT_EQ(discarded.size(), 1u);
    EXPECT_EQ(ReadRecovery(discarded[0]).letter["FN"], "declined");
    EXPECT_FALSE(keeper->offerRestore());
    EXPECT_EQ(services.messages.size(), 1u);
}

TEST_F(Recovery, CopyOfARunningProgramIsNotOffered) {
    // Another wizard still open in a running program (here: this one).
    type("FN", "theirs");
    keeper->flush();
    auto other = std::move(form);
    open();
    EXPECT_FALSE(keeper->offerRestore());
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(copies().size(), 1u);

    // When that program is gone, its lock is stale and the copy is offered.
    other.reset();
    writeBytes(copies().front() + ".lock", "2147483000\nquillmere\n\n");
    std::string orphan = RecoveryFolder() + "/letter-5-5.prj.lock"; // killed before writing
    writeBytes(orphan, "2147483000\nquillmere\n\n");
    services.answers.push_back(Answer::Yes);
    EXPECT_TRUE(keeper->offerRestore());
    EXPECT_EQ(form->FieldText("FN"), "theirs");
    EXPECT_FALSE(platform::fileExists(orphan));
}

// An unreadable copy is reported once, by name, and set aside in
// "Unreadable", where the user may still look at it; it is not reported at
// every later start. (Once it stayed and was reported again and again.)
TEST_F(Recovery, UnreadableCopyIsReportedOnceAndSetAside) {
    form.reset();
    std::string broken = testsupport::native(RecoveryFolder() + "/letter-1-1.prj");
    writeBytes(broken, "[Project]\r\nFN=half a copy");
    open();
    EXPECT_FALSE(keeper->offerRestore());
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].icon, platform::Icon::Warning);
    EXPECT_NE(services.messages[0].text.find("\"" + broken + "\""), std::string::npos)
        << services.messages[0].text;
    const std::string aside = testsupport::native(RecoveryFolder() + "/Unreadable/letter-1-1.prj");
    EXPECT_NE(services.messages[0].text.find(aside), std::string::npos)
        << services.messages[0].text;
    EXPECT_FALSE(platform::fileExists(broken));
    EXPECT_EQ(testsupport::readBytes(aside), "[Project]\r\nFN=half a copy");
    EXPECT_FALSE(platform::fileExists(broken + ".lock"));
    // The wizard works as ever.
    EXPECT_TRUE(form->isVisible());
    type("FN", "fresh");
    keeper->flush();
    EXPECT_EQ(copies().size(), 1u);
    // The next wizard has nothing to say about it.
    form.reset();
    open();
    services.messages.clear();
    services.answers.push_back(Answer::No);
    keeper->offerRestore();
    for (const auto& m : services.messages)
        EXPECT_EQ(m.text.find("cannot be read"), std::string::npos) << m.text;
}

// Scratch files of copies whose writing was killed are swept when a wizard
// starts, once they are a day old; fresh ones may belong to a save under way.
TEST_F(Recovery, OldScratchFilesOfKilledWritesAreSweptAtStart) {
    form.reset();
    namespace fs = std::filesystem;
    const std::string folder = RecoveryFolder();
    const std::string old = folder + "/letter-7-7.prj.~123456.tmp";
    const std::string fresh = folder + "/letter-8-8.prj.~654321.tmp";
    const std::string other = folder + "/notes.txt";
    for (const std::string& f : {old, fresh, other})
        writeBytes(f, "x");
    const auto twoDaysAgo = fs::file_time_type::clock::now() - std::chrono::hours(48);
    fs::last_write_time(old, twoDaysAgo);
    fs::last_write_time(other, twoDaysAgo);
    open();
    EXPECT_FALSE(platform::fileExists(old));
    EXPECT_TRUE(platform::fileExists(fresh));
    EXPECT_TRUE(platform::fileExists(other));
}

// A whole restore: the welcome page comes back with the text, Save writes to
// the file the letter came from, and asks when that file changed meanwhile.
TEST_F(Recovery, RestoreBringsBackTheWelcomePageAndSavesToTheOriginalFile) {
    writeBytes(dir.file("Groups.ini"), "[Books]\r\nProjectCount=1\r\nProject0=Alpha\r\n");
    const std::string folder = dir.file("Groups/Books/Alpha");
    std::filesystem::create_directories(folder);
    form.reset();
    open(); // sees the group list
    form->ProjectGroups->setCurrentIndex(0);
    form->Projects->setCurrentIndex(0);
    form->ProjectsChange();
    form->PName->setText("launch");
    form->btnSave->click();
    const std::string project = testsupport::native(folder + "/launch.prj");
    ASSERT_EQ(form->CurrentFile(), project);
    type("PT", "typed after the save");
    crash();

    services.answers.push_back(Answer::Yes);
    open();
    ASSERT_TRUE(keeper->offerRestore());
    EXPECT_EQ(form->ProjectGroups->currentText().toStdString(), "Books");
    EXPECT_EQ(form->Projects->currentText().toStdString(), "Alpha");
    EXPECT_EQ(form->PNameInitialFolder(), folder);
    EXPECT_EQ(form->PName->text().toStdString(), "launch");
    EXPECT_EQ(form->CurrentFile(), project);
    EXPECT_EQ(title(), "Create Salesletters - launch.prj (recovered)");
    EXPECT_TRUE(form->Modified());

    // Save goes to the original file without a dialog.
    form->SaveProject1Click();
    EXPECT_TRUE(services.saveFileRequests.empty());
    TSalesLetter onDisk;
    LoadProject(onDisk, project);
    EXPECT_EQ(onDisk["PT"], "typed after the save");
    EXPECT_FALSE(form->Modified());
    EXPECT_EQ(services.messages.size(), 1u); // only the restore question
}

TEST_F(Recovery, SavingARestoredLetterAsksWhenItsFileChangedMeanwhile) {
    const std::string project = dir.file("letter.prj");
    SaveProject(TSalesLetter(), project);
    form->LoadProject(project);
    type("PT", "mine");
    crash();
    writeBytes(project, "[Project]\r\nPT=changed while the program was down\r\n");

    services.answers.push_back(Answer::Yes);
    open();
    ASSERT_TRUE(keeper->offerRestore());
    services.answers.push_back(Answer::No);
    form->SaveProject1Click();
    ASSERT_EQ(services.messages.size(), 2u);
    EXPECT_NE(services.messages[1].text.find("was changed on disk"), std::string::npos);
    EXPECT_EQ(testsupport::readBytes(project),
              "[Project]\r\nPT=changed while the program was down\r\n");
}
