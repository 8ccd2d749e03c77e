// The wizard's live preview: the button, the View menu's mark and the window
// stay in step; the page follows the record after a pause, compiled as Finish
// compiles it; nothing lands in the program folder; without the web engine
// the window says so and the wizard keeps working.
//
// Runs with the engine module pointed at a file that does not exist: the
// counting pane below stands in for the engine where pages are counted.
#include "salesletter/ui/LivePreview.h"
#include "salesletter/ui/CreateSaleslettersForm.h"
#include "support/BuiltProgram.h"
#include "support/TempDir.h"

#include "platform/FileSystem.h"
#include "platform/ScriptedServices.h"
#include "tests/compiler/SampleLetter.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QToolBar>
#include <set>

using testsupport::readBytes;

namespace {

// Records the pages it is given instead of rendering them.
class CountingPane : public PreviewPane {
public:
    using PreviewPane::PreviewPane;
    bool CanShowPages() const override { return true; }
    void ShowPage(const std::string& html, const std::string& baseFolder) override {
        pages.push_back(html);
        folders.push_back(baseFolder);
        emit PageShown();
    }
    std::vector<std::string> pages;
    std::vector<std::string> folders;
};

std::set<std::string> listing(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

class LivePreview : public ::testing::Test {
protected:
    void SetUp() override {
        QStandardPaths::setTestModeEnabled(true);
        // The program names its settings before any window opens; without a
        // name Windows keeps none. A name of the tests' own keeps the user's
        // settings out of reach where test mode does not move them (the
        // Windows registry).
        QCoreApplication::setOrganizationName("Quillmere");
        QCoreApplication::setApplicationName("Quillmere tests");
        QSettings().remove("PreviewWindow");
        platform::setProgramPathForTesting(dir.file("quillmere"));
        form = std::make_unique<TCreateSaleslettersForm>();
        form->LivePreview->SetPaneFactory([this](QWidget* parent) {
            pane = new CountingPane(parent);
            return pane;
        });
        form->show();
        QApplication::setActiveWindow(form.get());
        QObject::connect(form.get(), &TCreateSaleslettersForm::letterEdited, [this] { ++edits; });
    }
    void TearDown() override {
        form.reset();
        platform::setProgramPathForTesting("");
    }

    // The program's templates, from the command-line compiler built with them.
    bool withTemplates() {
        const std::string compiler = testsupport::builtProgram("quillmere-compile");
        if (compiler.empty())
            return false;
        std::filesystem::copy_file(compiler, dir.file("quillmere"));
        return true;
    }
    // Lets the pause run out and the compile end.
    static void pause() { QTest::qWait(TLivePreview::kPauseMs + 250); }
    // Waits for the pane's `n`th page (compiles run on a worker thread).
    bool pages(std::size_t n) const {
        return QTest::qWaitFor([&] { return pane->pages.size() >= n; }, 20000) &&
               pane->pages.size() == n;
    }
    bool shown() const { return form->LivePreview->IsShown(); }
    bool inStep() const {
        return form->btnLivePreview->isChecked() == shown() &&
               form->PreviewWindow1->isChecked() == shown();
    }

    platform::ScriptedServices services;
    platform::ScopedServices scoped{services};
    testsupport::TempDir dir;
    std::unique_ptr<TCreateSaleslettersForm> form;
    CountingPane* pane = nullptr;
    int edits = 0;
};

} // namespace

TEST_F(LivePreview, ButtonMarkAndWindowStayInStep) {
    // The wizard starts without the window (and so without the engine).
    EXPECT_EQ(form->LivePreview->Window(), nullptr);
    EXPECT_FALSE(form->btnLivePreview->isChecked());
    EXPECT_EQ(form->btnLivePreview->text().toStdString(), "Live Preview");
    EXPECT_TRUE(form->btnPreview->isVisible());

    form->btnLivePreview->click();
    ASSERT_TRUE(shown());
    EXPECT_TRUE(inStep());
    TPreviewWindow* window = form->LivePreview->Window();
    EXPECT_EQ(window->windowTitle().toStdString(), "Preview - Untitled");
    EXPECT_FALSE(window->isModal());
    EXPECT_TRUE(pages(1)); // the page shows at once

    // Its close box clears the button and the mark.
    window->close();
    EXPECT_FALSE(shown());
    EXPECT_TRUE(inStep());

    // The hidden menu's item turns it on and off like the button.
    form->PreviewWindow1->trigger();
    EXPECT_TRUE(shown());
    EXPECT_TRUE(inStep());
    form->PreviewWindow1->trigger();
    EXPECT_FALSE(shown());
    EXPECT_TRUE(inStep());

    // Ctrl+Shift+P in the wizard opens it, and in the window closes it again.
    QApplication::setActiveWindow(form.get());
    QTest::keyClick(form.get(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(shown());
    EXPECT_TRUE(inStep());
    QApplication::setActiveWindow(window);
    QTest::keyClick(window, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(shown());
    EXPECT_TRUE(inStep());
    QApplication::setActiveWindow(form.get());
    QTest::keyClick(form.get(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(shown());

    // The window's caption follows the project's.
    services.saveFileAnswers.push_back(dir.file("letter.prj"));
    form->SaveProjectAs1->trigger();
    EXPECT_EQ(window->windowTitle().toStdString(), "Preview - letter.prj");

    // Closing the wizard closes the window.
    services.answers.push_back(platform::Answer::Yes);
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(inStep());
}

TEST_F(LivePreview, RefreshesOnceAfterThePauseInTyping) {
    form->btnLivePreview->click();
    ASSERT_TRUE(pages(1));

    // One change: nothing at once, one refresh once the pause is over.
    auto* title = qobject_cast<QLineEdit*>(form->Field("PT"));
    title->setFocus();
    QTest::keyClick(title, Qt::Key_A);
    EXPECT_EQ(edits, 1);
    EXPECT_EQ(pane->pages.size(), 1u);
    pause();
    EXPECT_TRUE(pages(2));

    // A burst of 20 keystrokes is one refresh, after the last of them.
    for (int i = 0; i < 20; ++i) {
        QTest::keyClick(title, Qt::Key_B);
        QApplication::processEvents();
    }
    EXPECT_EQ(edits, 21);
    EXPECT_EQ(pane->pages.size(), 2u);
    pause();
    EXPECT_TRUE(pages(3));
    pause();
    EXPECT_EQ(pane->pages.size(), 3u);

    // Memos, choices and the template count once per change as well.
    QTest::keyClick(qobject_cast<QPlainTextEdit*>(form->Field("Headline")), Qt::Key_C);
    form->CheckBox3->click();
    EXPECT_EQ(edits, 23);

    // Records put in by the program are no user edits, but the page follows them.
    const std::size_t before = pane->pages.size();
    pause();
    EXPECT_TRUE(pages(before + 1));
    form->SetLetter(testsupport::SampleLetter(2));
    form->ResetProject();
    EXPECT_EQ(edits, 23);
    pause();
    EXPECT_TRUE(pages(before + 2));

    // Hidden, the window is not refreshed.
    form->btnLivePreview->click();
    QTest::keyClick(title, Qt::Key_D);
    pause();
    EXPECT_EQ(pane->pages.size(), before + 2);
}

TEST_F(LivePreview, ShowsThePageFinishWritesWithoutTouchingTheProgramFolder) {
    if (!withTemplates())
        GTEST_SKIP() << "no executable with the templates";
    // Finish copies the pictures beside the page; the sample's lie on another machine.
    TSalesLetter letter = testsupport::SampleLetter(1);
    letter["HG"] = letter["EC"] = "";
    form->SetLetter(letter);
    std::filesystem::create_directory(dir.file("out"));
    const std::set<std::string> folderBefore = listing(dir.path());

    form->btnLivePreview->click();
    ASSERT_TRUE(pages(1));
    const std::string first = pane->pages.back();
    EXPECT_NE(first.find("The Heirloom Kitchen Collection"), std::string::npos);

    // The template choice switches the layout, compiled exactly as Finish does.
    form->CheckBox2->click();
    pause();
    ASSERT_TRUE(pages(2));
    EXPECT_NE(pane->pages.back(), first);
    services.saveFileAnswers.push_back(dir.file("out/page.html"));
    services.answers.push_back(platform::Answer::Yes); // the sample's http:// addresses
    form->btnFinish->click();
    ASSERT_TRUE(services.errors.empty()) << services.errors[0];
    EXPECT_EQ(pane->pages.back(), readBytes(dir.file("out/page.html")));
    services.openedDocuments.clear();

    // Typing and reloading leave the program folder as it was and start nothing.
    QTest::keyClicks(qobject_cast<QLineEdit*>(form->Field("PT")), " Deluxe");
    pause();
    EXPECT_TRUE(pages(3));
    form->LivePreview->Window()->actReload->trigger();
    EXPECT_TRUE(pages(4));
    EXPECT_NE(pane->pages.back().find("Collection Deluxe"), std::string::npos);
    EXPECT_EQ(listing(dir.path()), folderBefore);
    EXPECT_TRUE(services.openedDocuments.empty());
    EXPECT_TRUE(services.startedPrograms.empty());

    // Relative addresses point into the project's folder once there is one.
    services.saveFileAnswers.push_back(dir.file("out/letter.prj"));
    form->SaveProjectAs1->trigger();
    form->LivePreview->Refresh();
    EXPECT_TRUE(pages(5));
    EXPECT_EQ(pane->folders.back(), dir.file("out"));

    // "Open in Browser" is the Preview command.
    form->LivePreview->Window()->actOpenInBrowser->trigger();
    EXPECT_EQ(services.openedDocuments, std::vector<std::string>{dir.file("Temp.html")});
}

TEST_F(LivePreview, WidthPresetsAndPlaceAreRemembered) {
    form->btnLivePreview->click();
    TPreviewWindow* window = form->LivePreview->Window();
    window->actPhone->trigger();
    QApplication::processEvents();
    EXPECT_EQ(window->PageWidth(), TPreviewWindow::kPhoneWidth);
    EXPECT_EQ(pane->width(), TPreviewWindow::kPhoneWidth);
    EXPECT_TRUE(window->actPhone->isChecked());
    EXPECT_FALSE(window->actDesktop->isChecked());
    window->move(40, 30);
    window->close();

    // The next wizard's preview opens where and as wide as this one was left.
    TCreateSaleslettersForm second;
    second.LivePreview->SetPaneFactory([](QWidget* parent) { return new CountingPane(parent); });
    second.show();
    second.btnLivePreview->click();
    TPreviewWindow* again = second.LivePreview->Window();
    EXPECT_TRUE(again->HasRememberedGeometry());
    EXPECT_EQ(again->PageWidth(), TPreviewWindow::kPhoneWidth);
    EXPECT_EQ(again->pos(), QPoint(40, 30));
}

TEST_F(LivePreview, WithoutTheEngineTheWindowSaysSoAndTheWizardStillSaves) {
    // The program's own pane, with the engine module missing (see the test's
    // environment).
    TCreateSaleslettersForm wizard;
    int refreshes = 0;
    QObject::connect(wizard.LivePreview, &TLivePreview::refreshStarted, [&] { ++refreshes; });
    wizard.show();
    wizard.btnLivePreview->click();
    ASSERT_TRUE(wizard.LivePreview->IsShown());
    PreviewPane* shownPane = wizard.LivePreview->Window()->Pane();
    EXPECT_FALSE(shownPane->CanShowPages());
    QString said;
    for (QLabel* label : shownPane->findChildren<QLabel*>())
        said += label->text() + "\n";
    EXPECT_TRUE(said.contains("web engine is not available")) << said.toStdString();
    EXPECT_TRUE(said.contains("Open in Browser")) << said.toStdString();

    wizard.SetFieldText("PT", "Still here");
    pause();
    EXPECT_EQ(refreshes, 0);
    services.saveFileAnswers.push_back(dir.file("kept.prj"));
    wizard.SaveProjectAs1->trigger();
    EXPECT_TRUE(services.errors.empty());
    EXPECT_NE(readBytes(dir.file("kept.prj")).find("Still here"), std::string::npos);
}
