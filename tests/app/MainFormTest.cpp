#include "app/ui/MainForm.h"
#include "app/Brand.h"
#include "platform/FileSystem.h"
#include "platform/ScriptedServices.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>

#include <filesystem>
#include <stdexcept>

using testsupport::TempDir;
using testsupport::writeBytes;

namespace {

// A module window that records how it was opened and closes itself as soon as
// it is shown, running `whileOpen` first.
class TestModule : public QDialog {
public:
    explicit TestModule(QWidget* owner, std::function<void()> whileOpen = {})
        : QDialog(owner), whileOpen_(std::move(whileOpen)) {
        ++alive;
    }
    ~TestModule() override { --alive; }
    static inline int alive = 0;
    static inline bool menuVisibleWhileOpen = true;

protected:
    void showEvent(QShowEvent* e) override {
        QDialog::showEvent(e);
        menuVisibleWhileOpen = MainForm && MainForm->isVisible();
        if (whileOpen_)
            whileOpen_();
        QTimer::singleShot(0, this, &QDialog::accept);
    }

private:
    std::function<void()> whileOpen_;
};

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setProgramPathForTesting(dir.file("quillmere"));
        writeBrand("alpha");
        form = std::make_unique<TMainForm>();
        QObject::connect(form.get(), &TMainForm::closed, [this] { ++closedCount; });
    }
    void TearDown() override {
        form.reset();
        platform::setProgramPathForTesting("");
    }
    void writeBrand(const std::string& brand) {
        writeBytes(dir.file("Quillmere.dat"), EncodeBrandLine(brand) + "\r\n");
    }
    void key(int code, const QString& text) {
        QKeyEvent e(QEvent::KeyPress, code, Qt::NoModifier, text);
        QApplication::sendEvent(form.get(), &e);
    }

    TempDir dir;
    platform::ScriptedServices services;
    platform::ScopedServices scoped{services};
    std::unique_ptr<TMainForm> form;
    int closedCount = 0;
};

TEST_F(MainFormTest, LayoutMatchesTheBackgroundAndTheButtonTable) {
    EXPECT_EQ(MainForm, form.get());
    EXPECT_EQ(form->size(), QSize(752, 552));
    EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form->Image1->pixmap().size(), QSize(752, 552));
    struct Row {
        TSkinButton* button;
        QRect rect;
    };
    const Row rows[] = {
        {form->btnDerivativeWorks, {288, 384, 176, 101}},
        {form->btnManageProjects, {280, 141, 181, 102}},
        {form->btnLegalInformation, {91, 314, 184, 124}},
        {form->btnProjectGutenberg, {465, 202, 187, 101}},
        {form->btnResearch, {500, 325, 114, 112}},
        {form->btneCommerce, {123, 204, 130, 95}},
        {form->btnExit, {635, 506, 103, 27}},
        {form->btnCreateSalesletters, {274, 258, 187, 110}},
        {form->btnFernwick, {576, 133, 154, 42}},
        {form->btnHollowmark, {16, 129, 165, 52}},
        {form->btnMinimize, {664, 5, 81, 17}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.button->objectName().toStdString());
        EXPECT_EQ(r.button->geometry(), r.rect);
        EXPECT_EQ(r.button->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_TRUE(r.button->AutoSize());
        EXPECT_FALSE(r.button->Transparent());
        // Each state has its own picture, all at the button's size.
        const QImage* images[] = {&r.button->DefaultBitmap(), &r.button->HighlightBitmap(),
                                  &r.button->PressedBitmap(), &r.button->DownBitmap()};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(images[i]->size(), r.rect.size());
            for (int j = i + 1; j < 4; ++j)
                EXPECT_NE(*images[i], *images[j]);
        }
    }
}

TEST_F(MainFormTest, ShowingReadsTheBrandAndEscapeAloneCloses) {
    form->show();
    EXPECT_EQ(form->Brand, "alpha");
    EXPECT_TRUE(services.messages.empty());

    key(Qt::Key_A, "a");
    key(Qt::Key_Return, "\r");
    key(Qt::Key_Space, " ");
    key(Qt::Key_F1, "");
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(closedCount, 0);

    key(Qt::Key_Escape, "\x1b");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(closedCount, 1);
}

TEST_F(MainFormTest, ExitClosesAtOnceWithoutAsking) {
    form->show();
    form->btnExitClick(form->btnExit);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(closedCount, 1);
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(MainFormTest, MinimiseAndRestoreReadNothing) {
    int shows = 0;
    struct Counter : QObject {
        int* n;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Show)
                ++*n;
            return false;
        }
    } counter;
    counter.n = &shows;
    form->installEventFilter(&counter);

    form->show();
    form->btnMinimizeClick(form->btnMinimize);
    EXPECT_EQ(services.minimizeCount, 1);

    writeBrand("beta");
    form->showMinimized();
    form->showNormal();
    EXPECT_GE(shows, 2); // the restore did deliver a show event
    EXPECT_EQ(form->Brand, "alpha");

    form->hide();
    form->show();
    EXPECT_EQ(form->Brand, "beta");
}

TEST_F(MainFormTest, ModuleLaunchHidesOwnsDestroysAndRereadsTheBrand) {
    QWidget* owner = nullptr;
    form->setModuleFactory(TMainForm::Module::Research, [&](QWidget* o) {
        owner = o;
        return new TestModule(o, [this] { writeBrand("gamma"); });
    });
    form->show();
    form->btnResearch->OnClick(form->btnResearch);
    EXPECT_EQ(owner, form.get());
    EXPECT_FALSE(TestModule::menuVisibleWhileOpen);
    EXPECT_EQ(TestModule::alive, 0);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->Brand, "gamma");

    // A module without a window leaves the menu as it is.
    form->btnLegalInformationClick(nullptr);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(MainFormTest, BrandDeletedWhileAModuleIsOpenEndsTheProgram) {
    form->setModuleFactory(TMainForm::Module::CreateSalesletters, [&](QWidget* o) {
        return new TestModule(o, [this] { std::filesystem::remove(dir.file("Quillmere.dat")); });
    });
    form->show();
    form->btnCreateSaleslettersClick(nullptr);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, NotBrandedText());
    EXPECT_EQ(services.messages[0].caption, "Warning");
    EXPECT_EQ(services.messages[0].icon, platform::Icon::Warning);
    EXPECT_EQ(services.messages[0].buttons, platform::Buttons::Ok);
    EXPECT_TRUE(form->Terminated());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(closedCount, 1);
    EXPECT_EQ(form->Brand, "alpha");
}

TEST_F(MainFormTest, UnbrandedCopyNeverShowsTheMenu) {
    std::filesystem::remove(dir.file("Quillmere.dat"));
    form->show();
    EXPECT_EQ(services.messages.size(), 1u);
    EXPECT_TRUE(form->Terminated());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(closedCount, 1);
    EXPECT_EQ(form->Brand, "");
}

TEST_F(MainFormTest, BrandFileWithoutALineReportsAndKeepsTheOldBrand) {
    writeBytes(dir.file("Quillmere.dat"), "");
    form->show();
    EXPECT_EQ(services.errors, (std::vector<std::string>{"List index out of bounds (0)"}));
    EXPECT_EQ(form->Brand, "");
    EXPECT_TRUE(form->isVisible());

    writeBrand("delta");
    form->hide();
    form->show();
    writeBytes(dir.file("Quillmere.dat"), std::string("\0abc\r\n", 6));
    form->hide();
    form->show();
    EXPECT_EQ(services.errors.size(), 2u);
    EXPECT_EQ(form->Brand, "delta");
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->Terminated());
}

TEST_F(MainFormTest, LaunchOnAPageSelectsThePageBeforeShowing) {
    struct Call {
        int page;
        QObject* sender;
        bool shown;
    };
    std::vector<Call> calls;
    form->setModuleFactory(TMainForm::Module::ManageProjects,
                           [](QWidget* o) { return new TestModule(o); });
    form->setModulePageSelector(TMainForm::Module::ManageProjects,
                                [&](QDialog* d, int page, QObject* sender) {
                                    calls.push_back({page, sender, d->isVisible()});
                                });
    form->show();
    form->btnHollowmarkClick(nullptr);
    form->btnFernwickClick(nullptr);
    form->btnManageProjectsClick(nullptr);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].page, 1);
    EXPECT_EQ(calls[1].page, 2);
    EXPECT_EQ(calls[0].sender, form.get());
    EXPECT_FALSE(calls[0].shown);
    EXPECT_EQ(TestModule::alive, 0);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(MainFormTest, AnErrorWhileOpeningFreesTheWindowAndBringsTheMenuBack) {
    form->setModuleFactory(TMainForm::Module::ManageProjects,
                           [](QWidget* o) { return new TestModule(o); });
    form->setModulePageSelector(TMainForm::Module::ManageProjects, [&](QDialog*, int, QObject*) {
        writeBrand("epsilon");
        throw std::runtime_error("page failed");
    });
    form->setModuleFactory(TMainForm::Module::eCommerce,
                           [](QWidget*) -> QDialog* { throw std::runtime_error("no window"); });
    form->show();
    EXPECT_THROW(form->btnFernwickClick(nullptr), std::runtime_error);
    EXPECT_EQ(TestModule::alive, 0);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->Brand, "epsilon");
    EXPECT_THROW(form->btneCommerceClick(nullptr), std::runtime_error);
    EXPECT_TRUE(form->isVisible());
}

} // namespace
