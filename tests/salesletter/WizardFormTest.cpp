#include "salesletter/ProjectFile.h"
#include "salesletter/ui/CreateSaleslettersForm.h"
#include "salesletter/ui/PageControl.h"
#include "support/BuiltProgram.h"
#include "support/TempDir.h"

#include "platform/FileSystem.h"
#include "platform/ScriptedServices.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <stdexcept>

using platform::Answer;
using testsupport::native;
using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

class Wizard : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setProgramPathForTesting(dir.file("quillmere"));
        form = std::make_unique<TCreateSaleslettersForm>();
        form->show();
    }
    void TearDown() override {
        form.reset();
        platform::setProgramPathForTesting("");
    }
    std::string title() const { return form->windowTitle().toStdString(); }
    void leave(const char* key) {
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(form->Field(key), &out);
    }

    platform::ScriptedServices services;
    platform::ScopedServices scoped{services};
    testsupport::TempDir dir;
    std::unique_ptr<TCreateSaleslettersForm> form;
};

} // namespace

TEST_F(Wizard, OpensWithTheFrameAndDefaults) {
    EXPECT_EQ(title(), "Create Salesletters - Untitled");
    EXPECT_EQ(form->size(), QSize(747, 565));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    ASSERT_EQ(form->PageControl->PageCount(), 19);
    const char* captions[] = {"Welcome",
                              "Select Template",
                              "Meta-Tags",
                              "Page Settings",
                              "Headline",
                              "Introduction",
                              "Introduce Product",
                              "Feature Lists",
                              "Benefits",
                              "Testimonials",
                              "Body",
                              "Bonus",
                              "Guarantee",
                              "Closing",
                              "Legal Forms",
                              "Pop-up",
                              "Order Links",
                              "Affiliate Program",
                              "Main Menu"};
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(form->PageControl->Tab(i)->text().toStdString(), captions[i]);
    EXPECT_GT(form->PageControl->RowCount(), 1);
    EXPECT_EQ(form->PageControl->ActivePageIndex(), 0);
    EXPECT_FALSE(form->btnPrev->isEnabled());
    EXPECT_TRUE(form->btnNext->isEnabled());
    EXPECT_EQ(form->btnExit->text().toStdString(), "&Exit");
    EXPECT_TRUE(form->CheckBox1->isChecked());
    EXPECT_FALSE(form->MainMenu->isVisible());
    for (QAction* menu : form->MainMenu->actions())
        EXPECT_FALSE(menu->isVisible());
    EXPECT_FALSE(form->btnLoad->isVisibleTo(form.get()));
    EXPECT_TRUE(form->btnSave->isVisibleTo(form.get()));
    EXPECT_TRUE(form->chkNew->isChecked());
    EXPECT_FALSE(form->Banner->pixmap().isNull());
    int thumbnails = 0;
    for (QLabel* l : form->PageControl->Page(1)->findChildren<QLabel*>())
        if (!l->pixmap().isNull() && l->pixmap().size() == QSize(175, 140))
            ++thumbnails;
    EXPECT_EQ(thumbnails, 3);

    auto* rs = qobject_cast<QComboBox*>(form->Field("RS"));
    ASSERT_NE(rs, nullptr);
    QStringList items;
    for (int i = 0; i < rs->count(); ++i)
        items << rs->itemText(i);
    EXPECT_EQ(items, QStringList({"All", "None", "Index", "No Index", "Follow", "No Follow"}));

    const TSalesLetter defaults;
    TSalesLetter shown = form->Letter();
    for (const FieldInfo& f : TSalesLetter::Fields())
        EXPECT_EQ(shown[f.key], defaults[f.key]) << f.key;
    EXPECT_TRUE(qobject_cast<QPlainTextEdit*>(form->Field("ED"))->lineWrapMode() !=
                QPlainTextEdit::NoWrap);
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(form->Field("YG"))->lineWrapMode(),
              QPlainTextEdit::NoWrap);

    // A second window starts from the defaults again, whatever the first held.
    form->SetFieldText("WL", "German");
    TCreateSaleslettersForm second;
    EXPECT_EQ(second.FieldText("WL"), "English");
}

TEST_F(Wizard, SavesTheNewWindowExactlyAsTheRecordFile) {
    services.saveFileAnswers.push_back(dir.file("letter"));
    form->SaveProject1Click();
    ASSERT_EQ(services.saveFileRequests.size(), 1u);
    EXPECT_EQ(services.saveFileRequests[0].title, "Save Project");
    EXPECT_EQ(services.saveFileRequests[0].filter, "Projects (*.prj)|*.prj");
    SaveProject(TSalesLetter(), dir.file("reference.prj"));
    EXPECT_EQ(readBytes(dir.file("letter.prj")), readBytes(dir.file("reference.prj")));
    EXPECT_EQ(title(), "Create Salesletters - letter.prj");
    EXPECT_FALSE(form->Untitled());

    // Now titled: Save writes without asking for a name.
    form->SetFieldText("PT", "Title");
    form->SaveProject1Click();
    EXPECT_EQ(services.saveFileRequests.size(), 1u);
    EXPECT_NE(readBytes(dir.file("letter.prj")).find("PT=Title\r\n"), std::string::npos);
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(Wizard, SaveAsKeepsAMatchingExtensionAndStoresLongFieldsWhole) {
    services.saveFileAnswers.push_back(dir.file("My Letter.PRJ"));
    form->SetFieldText("Headline", std::string(300, 'h'));
    form->SaveProjectAs1Click();
    EXPECT_TRUE(std::filesystem::exists(dir.file("My Letter.PRJ")));
    EXPECT_EQ(title(), "Create Salesletters - My Letter.PRJ");
    EXPECT_TRUE(services.messages.empty()); // nothing is cut, so nothing to warn about
    EXPECT_NE(
        readBytes(dir.file("My Letter.PRJ")).find("Headline=" + std::string(300, 'h') + "\r\n"),
        std::string::npos);

    services.saveFileAnswers.push_back(dir.file("letter.txt"));
    form->SaveProjectAs1Click();
    EXPECT_TRUE(std::filesystem::exists(dir.file("letter.txt.prj")));
    services.saveFileAnswers.push_back(std::nullopt); // cancelled
    form->SaveProjectAs1Click();
    EXPECT_EQ(form->CurrentFile(), dir.file("letter.txt.prj"));
}

TEST_F(Wizard, MemosGiveCrLfAndLoadRestoresEveryField) {
    static_cast<QPlainTextEdit*>(form->Field("FD2"))->setPlainText("a\nb");
    EXPECT_EQ(form->FieldText("FD2"), "a\r\nb");
    TSalesLetter letter;
    letter.SelectTemplate(3);
    int n = 0;
    for (const FieldInfo& f : TSalesLetter::Fields())
        letter[f.key] = f.kind == FieldKind::Text ? "x" + std::to_string(n++) + "\r\ny ~ =;["
                                                  : "v" + std::to_string(n++) + " ~~ =;[";
    SaveProject(letter, dir.file("in.prj"));
    form->PageControl->SetActivePageIndex(4);
    services.answers.push_back(Answer::Yes);
    services.openFileAnswers.push_back({dir.file("in.prj")});
    form->OpenProject1Click();
    EXPECT_EQ(services.messages.at(0).caption, "Open Salesletter");
    EXPECT_EQ(services.openFileRequests.at(0).title, "Open Project");
    EXPECT_EQ(services.openFileRequests.at(0).filter, "Projects (*.prj)|*.prj|All files (*)|*");
    TSalesLetter shown = form->Letter();
    for (const FieldInfo& f : TSalesLetter::Fields())
        EXPECT_EQ(shown[f.key], letter[f.key]) << f.key;
    EXPECT_TRUE(form->CheckBox3->isChecked());
    EXPECT_FALSE(form->CheckBox1->isChecked());
    EXPECT_EQ(form->PageControl->ActivePageIndex(), 4);
    EXPECT_EQ(title(), "Create Salesletters - in.prj");
    // Loaded addresses are not completed until the field is left.
    EXPECT_EQ(form->FieldText("TW1"), letter["TW1"]);

    // Declining the question opens no dialog.
    services.answers.push_back(Answer::No);
    form->OpenProject1Click();
    EXPECT_EQ(services.openFileRequests.size(), 1u);
}

TEST_F(Wizard, AllZeroOptionsShowNoTemplateAndTheUserCannotClearOne) {
    writeBytes(dir.file("zero.prj"), "[Project]\r\nCB1=0\r\nCB2=0\r\nCB3=0\r\n");
    form->LoadProject(dir.file("zero.prj"));
    EXPECT_FALSE(form->CheckBox1->isChecked() || form->CheckBox2->isChecked() ||
                 form->CheckBox3->isChecked());
    EXPECT_EQ(form->FieldText("WL"), "");
    form->CheckBox3->click();
    EXPECT_TRUE(form->CheckBox3->isChecked());
    form->CheckBox1->click();
    EXPECT_TRUE(form->CheckBox1->isChecked());
    EXPECT_FALSE(form->CheckBox3->isChecked());
    form->CheckBox1->click();
    EXPECT_TRUE(form->CheckBox1->isChecked());
}

TEST_F(Wizard, NewProjectEmptiesFieldsAndKeepsTemplateAndPage) {
    services.saveFileAnswers.push_back(dir.file("a.prj"));
    form->SaveProjectAs1Click();
    form->CheckBox2->click();
    form->PageControl->SetActivePageIndex(7);
    form->SetFieldText("FeatureSummary", "summary");

    services.answers.push_back(Answer::No);
    form->NewProject1Click();
    EXPECT_EQ(form->FieldText("WL"), "English");

    services.answers.push_back(Answer::Yes);
    form->NewProject1Click();
    EXPECT_EQ(services.messages.back().caption, "New Salesletter");
    for (const FieldInfo& f : TSalesLetter::Fields())
        EXPECT_EQ(form->FieldText(f.key), "") << f.key;
    EXPECT_TRUE(form->CheckBox2->isChecked());
    EXPECT_EQ(form->PageControl->ActivePageIndex(), 7);
    EXPECT_EQ(title(), "Create Salesletters - Untitled");
    EXPECT_TRUE(form->Untitled());
    EXPECT_EQ(form->CurrentFile(), "");
    form->SaveProject1Click(); // untitled again: asks for a name
    EXPECT_EQ(services.saveFileRequests.size(), 2u);
}

TEST_F(Wizard, NextWalksToTheMainMenuQuestion) {
    form->SetFieldText("PT", "kept");
    for (int i = 0; i < 17; ++i)
        form->btnNextClick();
    EXPECT_EQ(form->PageControl->ActivePageIndex(), 17);
    EXPECT_TRUE(form->btnPrev->isEnabled());
    EXPECT_TRUE(form->btnNext->isEnabled());
    EXPECT_TRUE(services.messages.empty());

    services.answers.push_back(Answer::No);
    form->btnNextClick();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].caption, "Confirm Close");
    EXPECT_EQ(form->PageControl->ActivePageIndex(), 0);
    EXPECT_FALSE(form->btnPrev->isEnabled());
    EXPECT_TRUE(form->btnNext->isEnabled());
    EXPECT_EQ(form->FieldText("PT"), "kept");
    EXPECT_TRUE(form->isVisible());

    form->btnNextClick();
    form->btnPrevClick();
    EXPECT_EQ(form->PageControl->ActivePageIndex(), 0);
    EXPECT_FALSE(form->btnPrev->isEnabled());

    // A tab picked by the user runs the same step; Yes closes after that one question.
    services.answers.push_back(Answer::Yes);
    form->PageControl->Tab(18)->click();
    EXPECT_EQ(services.messages.size(), 2u);
    EXPECT_TRUE(form->ExitConfirmed());
    EXPECT_FALSE(form->isVisible());
}

TEST_F(Wizard, ClosingAsksFirst) {
    form->SetFieldText("PT", "unsaved"); // only unsaved work is asked about
    services.answers.push_back(Answer::No);
    form->btnExitClick();
    EXPECT_TRUE(form->isVisible());
    services.answers.push_back(Answer::No);
    form->close();
    EXPECT_TRUE(form->isVisible());
    services.answers.push_back(Answer::No);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &escape);
    EXPECT_TRUE(form->isVisible());
    services.answers.push_back(Answer::Yes);
    form->btnExit->click();
    EXPECT_FALSE(form->isVisible());
    ASSERT_EQ(services.messages.size(), 4u);
    EXPECT_EQ(services.messages[3].caption, "Confirm Close");
    EXPECT_EQ(services.messages[3].text, "Are you sure you want to exit the salespage creator "
                                         "and lose the changes in the current salesletter?");
}

TEST_F(Wizard, ColourAndImagePickers) {
    services.colorAnswers = {0x00FFFFFF, 0x00FF0000, std::nullopt, 0x000000FF};
    form->btnColors->click();
    form->btnTBC->click();
    form->btnMBC->click(); // cancelled
    form->btnOLBC->click();
    EXPECT_EQ(form->FieldText("PBC"), "FFFFFF");
    EXPECT_EQ(form->FieldText("TBC"), "0000FF");
    EXPECT_EQ(form->FieldText("MBC"), "FFFFCC");
    EXPECT_EQ(form->FieldText("OLBC"), "FF0000");
    // The dialog opens on its last choice (black at first), never on the field.
    EXPECT_EQ(services.colorRequests,
              (std::vector<std::uint32_t>{0, 0x00FFFFFF, 0x00FF0000, 0x00FF0000}));

    services.openFileAnswers = {{"/pics/head.jpg"}, {}};
    form->btnHG->click();
    form->btnEC->click();
    EXPECT_EQ(form->FieldText("HG"), "/pics/head.jpg");
    EXPECT_EQ(form->FieldText("EC"), "");
    ASSERT_EQ(services.openFileRequests.size(), 2u);
    EXPECT_EQ(services.openFileRequests[0].title, "Choose File");
    // Every kind of picture a page can show, not only JPEG.
    for (const char* kind : {"*.png", "*.jpg", "*.jpeg", "*.gif", "*.webp", "*.svg"})
        EXPECT_NE(services.openFileRequests[0].filter.find(kind), std::string::npos) << kind;
    EXPECT_EQ(services.openFileRequests[1].initialFolder, "/pics");
}

// What the user types reaches the record whole: any length in a one-line
// field, no-break spaces in a memo, every character in UTF-8.
TEST_F(Wizard, FieldsGiveTheirTextWholeAndUnchanged) {
    const std::string longLine(40000, 'x');
    form->SetFieldText("PT", longLine + "\xE2\x82\xAC");
    EXPECT_EQ(form->FieldText("PT"), longLine + "\xE2\x82\xAC");
    const std::string memo = "\xE2\x80\x9C"
                             "7\xC2\xA0\xE2\x82\xAC\xE2\x80\x9D\r\n"
                             "caf\xC3\xA9\xC2\xA0\xE2\x80\x94";
    form->SetFieldText("FirstParagraph", memo);
    EXPECT_EQ(form->FieldText("FirstParagraph"), memo);
}

TEST_F(Wizard, LeavingAddressFieldsCompletesThem) {
    form->SetFieldText("TW1", "abc");
    form->SetFieldText("TW3", "HTTP://abc");
    form->SetFieldText("TW4", "Http://abc");
    form->SetFieldText("TW5", "https://abc");
    form->SetFieldText("Link", "");
    form->SetFieldText("TW2", "");
    form->SetFieldText("PT", "abc");
    for (const char* key : {"TW1", "TW2", "TW3", "TW4", "TW5", "Link", "PT"})
        leave(key);
    EXPECT_EQ(form->FieldText("TW1"), "http://abc");
    EXPECT_EQ(form->FieldText("TW2"), "");
    EXPECT_EQ(form->FieldText("TW3"), "HTTP://abc");
    EXPECT_EQ(form->FieldText("TW4"), "Http://abc");
    EXPECT_EQ(form->FieldText("TW5"), "https://abc");
    EXPECT_EQ(form->FieldText("Link"), "");
    EXPECT_EQ(form->FieldText("PT"), "abc");

    // Switching to another window does not leave the field.
    form->SetFieldText("TW1", "xyz");
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(form->Field("TW1"), &away);
    EXPECT_EQ(form->FieldText("TW1"), "xyz");
}

TEST_F(Wizard, AffiliateLinksOpenTheNetworkSiteAndMinimiseMinimisesAll) {
    for (QLabel* link : {form->Label113, form->Label114}) {
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(link, &release);
    }
    EXPECT_EQ(services.openedDocuments,
              (std::vector<std::string>{"www.tarrowby.com", "www.tarrowby.com"}));

    form->setWindowState(Qt::WindowMinimized);
    QApplication::processEvents();
    EXPECT_EQ(services.minimizeCount, 1);
}

TEST_F(Wizard, WelcomePageListsTheRegistryAndSavesInTheProjectFolder) {
    writeBytes(dir.file("Groups.ini"), "[Books]\r\nProjectCount=3\r\nProject0=Alpha\r\n"
                                       "Project2=Gamma\r\n\r\n[Poems]\r\nProjectCount=1\r\n"
                                       "Project0=Odes\r\n");
    TCreateSaleslettersForm welcome;
    ASSERT_EQ(welcome.ProjectGroups->count(), 2);
    EXPECT_EQ(welcome.ProjectGroups->currentIndex(), -1);
    welcome.ProjectGroups->setCurrentIndex(0);
    ASSERT_EQ(welcome.Projects->count(), 3);
    EXPECT_EQ(welcome.Projects->itemText(1).toStdString(), "<no name>");
    EXPECT_EQ(welcome.Projects->currentIndex(), -1);
    EXPECT_EQ(welcome.PNameInitialFolder(), "");

    welcome.Projects->setCurrentIndex(2);
    welcome.ProjectsChange();
    std::string gamma = dir.file("Groups/Books/Gamma");
    EXPECT_EQ(welcome.PNameInitialFolder(), gamma);
    std::filesystem::create_directories(gamma);

    // The compiled page is offered the project's folder too.
    services.saveFileAnswers.push_back(std::nullopt);
    welcome.btnFinish->click();
    EXPECT_EQ(services.saveFileRequests.at(0).initialFolder, gamma);

    // Another group keeps the folder until one of its projects is picked.
    welcome.ProjectGroups->setCurrentIndex(1);
    EXPECT_EQ(welcome.PNameInitialFolder(), gamma);
    // An empty name is refused: nothing is loaded or saved.
    welcome.PName->setText(" ");
    welcome.btnSave->click();
    welcome.btnLoad->click();
    ASSERT_EQ(services.messages.size(), 2u);
    EXPECT_EQ(services.messages[0].caption, "Warning");
    EXPECT_EQ(welcome.FieldText("WL"), "English");
    EXPECT_TRUE(welcome.Untitled());

    // A bare name gets ".prj", so that the Open dialog shows it.
    welcome.PName->setText("letter");
    welcome.btnSave->click();
    EXPECT_TRUE(std::filesystem::exists(gamma + "/letter.prj"));
    EXPECT_EQ(welcome.CurrentFile(), native(gamma + "/letter.prj"));

    welcome.chkOpen->click();
    EXPECT_TRUE(welcome.btnLoad->isVisibleTo(&welcome));
    EXPECT_FALSE(welcome.btnSave->isVisibleTo(&welcome));
    welcome.chkNew->click();
    EXPECT_TRUE(welcome.btnSave->isVisibleTo(&welcome));

    // Picked names lose their quotes; the pick's folder becomes the initial folder.
    services.openFileAnswers.push_back({dir.path() + "/a b/c.prj"});
    welcome.PNameBrowse->click();
    EXPECT_EQ(welcome.PName->text().toStdString(), dir.path() + "/a b/c.prj");
    EXPECT_EQ(welcome.PNameInitialFolder(), dir.path() + "/a b");
    EXPECT_EQ(services.openFileRequests.at(0).filter,
              "Salesletter projects (*.prj)|*.prj|All files (*)|*");
    EXPECT_EQ(services.openFileRequests.at(0).initialFolder, gamma);

    // Loading uses the text as it stands.
    welcome.PName->setText(QString::fromStdString(gamma + "/letter"));
    welcome.SetFieldText("WL", "changed");
    welcome.btnLoad->click();
    EXPECT_EQ(welcome.FieldText("WL"), "English");
    EXPECT_TRUE(services.errors.empty());
}

// The Welcome page loads a bare name from where it saved it, and a name that
// names no file changes nothing instead of emptying every field.
TEST_F(Wizard, WelcomeLoadFindsWhatWelcomeSavedAndRefusesAMissingFile) {
    writeBytes(dir.file("Groups.ini"), "[Ebooks]\r\nProjectCount=1\r\nProject0=Alice\r\n");
    const std::string alice = dir.file("Groups/Ebooks/Alice");
    std::filesystem::create_directories(alice);
    auto pick = [](TCreateSaleslettersForm& w) {
        w.ProjectGroups->setCurrentIndex(0);
        w.Projects->setCurrentIndex(0);
        w.ProjectsChange();
    };
    {
        TCreateSaleslettersForm first;
        pick(first);
        first.SetFieldText("PT", "Saved title");
        first.PName->setText("launch.prj");
        first.btnSave->click();
    }
    ASSERT_TRUE(std::filesystem::exists(alice + "/launch.prj"));

    TCreateSaleslettersForm second;
    pick(second);
    second.chkOpen->click();
    second.PName->setText("launch.prj");
    second.btnLoad->click();
    EXPECT_EQ(second.FieldText("PT"), "Saved title");
    EXPECT_EQ(second.CurrentFile(), native(alice + "/launch.prj"));
    EXPECT_EQ(second.windowTitle().toStdString(), "Create Salesletters - launch.prj");

    // A misspelt name: a warning, and the fields, the file and the caption stay.
    second.SetFieldText("PT", "typed since");
    second.PName->setText("lunch.prj");
    second.btnLoad->click();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].caption, "Warning");
    EXPECT_NE(services.messages[0].text.find(native(alice + "/lunch.prj")), std::string::npos);
    EXPECT_EQ(second.FieldText("PT"), "typed since");
    EXPECT_EQ(second.FieldText("WL"), "English");
    EXPECT_EQ(second.CurrentFile(), native(alice + "/launch.prj"));

    // A name as it stands beside the program is still found.
    {
        TCreateSaleslettersForm w;
        w.SetFieldText("PT", "beside");
        w.SaveProject(dir.file("side.prj"));
    }
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    second.PName->setText("side.prj");
    second.btnLoad->click();
    std::filesystem::current_path(before);
    EXPECT_EQ(second.FieldText("PT"), "beside");
    EXPECT_TRUE(services.errors.empty());
}

TEST_F(Wizard, CompileAsksForAPageNameInTheProjectFolder) {
    services.saveFileAnswers.push_back(std::nullopt);
    form->btnFinish->click();
    ASSERT_EQ(services.saveFileRequests.size(), 1u);
    EXPECT_EQ(services.saveFileRequests[0].title, "Compile Sales Letter");
    EXPECT_EQ(services.saveFileRequests[0].filter, "HTML Documents (*.html)|*.html");
    EXPECT_TRUE(services.errors.empty());
    EXPECT_TRUE(services.openedDocuments.empty());

    // Without templates appended to this test program the compile fails: the
    // error is reported and nothing is opened.
    services.saveFileAnswers.push_back(dir.file("page"));
    services.answers.push_back(platform::Answer::Yes); // go on despite the sample texts
    form->btnFinish->click();
    form->btnPreview->click();
    EXPECT_EQ(services.errors.size(), 2u);
    EXPECT_TRUE(services.openedDocuments.empty());
}

TEST_F(Wizard, PreviewAndFinishWriteThePageAndOpenIt) {
    // The program's executable carries the templates; the command-line
    // compiler is built with the same archive.
    const std::string compiler = testsupport::builtProgram("quillmere-compile");
    if (compiler.empty())
        GTEST_SKIP() << "no executable with the templates";
    std::filesystem::copy_file(compiler, dir.file("quillmere"));
    form->SetFieldText("PT", "My Page Title");

    form->btnPreview->click();
    ASSERT_TRUE(services.errors.empty()) << services.errors[0];
    ASSERT_EQ(services.openedDocuments, std::vector<std::string>{dir.file("Temp.html")});
    EXPECT_NE(readBytes(dir.file("Temp.html")).find("My Page Title"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("Tmp.html")));

    services.saveFileAnswers.push_back(dir.file("page"));
    services.answers.push_back(platform::Answer::Yes); // go on despite the sample texts
    form->Compile1->trigger();
    EXPECT_TRUE(services.errors.empty());
    ASSERT_EQ(services.openedDocuments.size(), 2u);
    EXPECT_EQ(services.openedDocuments[1], dir.file("page.html"));
    EXPECT_EQ(readBytes(dir.file("page.html")), readBytes(dir.file("Temp.html")));
}

namespace {

// Desktop services whose dialogs cannot open.
class BrokenDialogs : public platform::ScriptedServices {
public:
    std::optional<std::uint32_t> chooseColor(std::uint32_t) override {
        throw std::runtime_error("The colour dialog could not be opened.");
    }
    std::vector<std::string> openFiles(const platform::FileDialogOptions&) override {
        throw std::runtime_error("The file dialog could not be opened.");
    }
};

} // namespace

// An error in a handler is shown as the error report, ends only that
// command, and leaves the window open and working.
TEST(WizardErrors, AFailingHandlerIsReportedAndTheWindowStaysUsable) {
    BrokenDialogs services;
    platform::ScopedServices scoped{services};
    testsupport::TempDir dir;
    platform::setProgramPathForTesting(dir.file("quillmere"));
    {
        TCreateSaleslettersForm form;
        form.show();
        form.btnColors->click();
        services.answers = {Answer::Yes};
        form.OpenProject1->trigger();
        form.btnHG->click();
        EXPECT_EQ(services.errors,
                  (std::vector<std::string>{"The colour dialog could not be opened.",
                                            "The file dialog could not be opened.",
                                            "The file dialog could not be opened."}));
        EXPECT_TRUE(form.isVisible());
        form.btnNext->click();
        EXPECT_EQ(form.PageControl->ActivePageIndex(), 1);
        services.answers = {Answer::Yes};
        form.close();
    }
    platform::setProgramPathForTesting("");
}

TEST_F(Wizard, FinishListsWhatABuyerWouldNoticeAndThePicturesAndNoGoesBack) {
    writeBytes(dir.file("head.png"), std::string("\x89PNG\r\n\x1A\n", 8) + std::string(2000, 'x'));
    form->SetFieldText("HG", dir.file("head.png"));
    services.saveFileAnswers.push_back(dir.file("site.html"));
    services.answers.push_back(Answer::No);
    form->btnFinish->click();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].caption, "Finish Sales Letter");
    const std::string& text = services.messages[0].text;
    EXPECT_NE(text.find("Feature 1 (F1) still holds the sample text \"Feature\""),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("- head.png (2 KB) from \"" + dir.file("head.png") + "\""),
              std::string::npos)
        << text;
    // No goes back: nothing is written or opened.
    EXPECT_FALSE(std::filesystem::exists(dir.file("site.html")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("images")));
    EXPECT_TRUE(services.errors.empty());
    EXPECT_TRUE(services.openedDocuments.empty());

    // A file that is no picture is refused by name before any question.
#ifdef _WIN32 // no devices among the files there
    const std::string notAPicture = dir.file("cover"), reason = "is a folder, not a picture";
    std::filesystem::create_directory(notAPicture);
#else
    const std::string notAPicture = "/dev/zero", reason = "is not a regular file";
#endif
    form->SetFieldText("EC", notAPicture);
    services.saveFileAnswers.push_back(dir.file("site.html"));
    form->btnFinish->click();
    ASSERT_EQ(services.errors.size(), 1u);
    EXPECT_NE(services.errors[0].find("\"" + notAPicture + "\" (E-Cover) " + reason),
              std::string::npos)
        << services.errors[0];
    EXPECT_EQ(services.messages.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(dir.file("site.html")));
}
