// The browser windows without the web engine: tabs, captions, the address
// each tab shows, closing on "Main Menu", minimising, and the date chart's
// file around the Legal Information window.
#include "browsers/ChartFolder.h"
#include "browsers/ChartPage.h"
#include "browsers/ui/BrowserForms.h"
#include "browsers/ui/LegalInformationForm.h"
#include "browsers/ui/StatusCheckPage.h"
#include "platform/gui/Text.h"
#include "platform/ScriptedServices.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSettings>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdlib.h>

namespace fs = std::filesystem;
using testsupport::readBytes;
using testsupport::TempDir;
using testsupport::writeBytes;

namespace {

struct Expected {
    std::string name, caption;
    std::string address; // what the tab navigates to; empty: nothing
};

struct Window {
    const char* caption;
    std::function<TBrowserForm*()> make;
    std::vector<Expected> tabs;
};

// Our own pages, written offline into the window's folder.
std::string dw(const char* page) {
    return browsers::PagesFolder("DW") + page;
}
std::string ec(const char* page) {
    return browsers::PagesFolder("EC") + page;
}

std::vector<Window> windows() {
    return {
        {"Project Gutenberg",
         [] { return new TProjectGutenbergForm(nullptr); },
         {{"TabSheet1", "Project Gutenberg", ""}, {"TabSheet4", "Main Menu", ""}}},
        {"Derivative Works",
         [] { return new TDerivativeWorksForm(nullptr); },
         {{"TabSheet1", "Introduction", dw("deriv_intro.html")},
          {"TabSheet4", "Tools", dw("deriv_tools.html")},
          {"TabSheet2", "Vendors", dw("deriv_vendors.html")},
          {"TabSheet3", "Main Menu", ""}}},
        {"eCommerce",
         [] { return new TeCommerceForm(nullptr); },
         {{"TabSheet1", "Hosting and Domains ", ec("ecomm_hosting.html")},
          {"TabSheet2", "Shopping Cart Solutions ", ec("ecomm_cart.html")},
          {"TabSheet3", "Main Menu", ""}}},
        {"Research",
         [] { return new TResearchForm(nullptr); },
         {{"TabSheet2", "abebooks.com", "https://www.abebooks.com/used/"},
          {"TabSheet5", "archive.org", "https://archive.org/"},
          {"TabSheet3", "hathitrust.org", "https://www.hathitrust.org/"},
          {"TabSheet6", "onlinebooks.library.upenn.edu", "https://onlinebooks.library.upenn.edu/"},
          {"TabSheet7", "loc.gov", "https://www.loc.gov/"},
          {"TabSheet8", "commons.wikimedia.org", "https://commons.wikimedia.org/"},
          {"TabSheet9", "librivox.org", "https://librivox.org/"},
          {"TabSheet10", "bartleby.com", "https://www.bartleby.com/"},
          {"TabSheet11", "publicdomainreview.org", "https://publicdomainreview.org/"},
          {"TabSheet12", "copyright.gov", "https://www.copyright.gov/"},
          {"TabSheet13", "Public Domain Music", "https://www.pdinfo.com/"},
          {"TabSheet14", "stock.xchng", "https://www.freeimages.com/"},
          {"TabSheet15", "Main Menu", ""}}},
    };
}

class BrowserWindows : public testing::Test {
protected:
    void SetUp() override { WebBrowser::SetEngineEnabledForTesting(false); }
    void TearDown() override { WebBrowser::SetEngineEnabledForTesting(true); }

    TempDir tmp;
    testsupport::ScopedTempFolder temp{tmp.path()};
    platform::ScriptedServices scripted;
    platform::ScopedServices installed{scripted};
};

std::string text(const QString& s) {
    return platform::fromQ(s);
}

} // namespace

TEST_F(BrowserWindows, ShowTheirTabsInOrderAndNavigateToEachTabsPage) {
    for (const Window& w : windows()) {
        SCOPED_TRACE(w.caption);
        std::unique_ptr<TBrowserForm> form(w.make());
        EXPECT_EQ(text(form->windowTitle()), w.caption);
        EXPECT_EQ(form->size(), QSize(758, 584));
        ASSERT_EQ(form->PageControl->count(), static_cast<int>(w.tabs.size()));
        EXPECT_EQ(form->PageControl->currentIndex(), 0);
        for (int i = 0; i < form->PageControl->count(); ++i) {
            EXPECT_EQ(text(form->PageControl->tabName(i)), w.tabs[i].name);
            EXPECT_EQ(text(form->PageControl->tabText(i)), w.tabs[i].caption);
        }
        if (std::string(w.caption) == "Project Gutenberg") {
            EXPECT_EQ(form->WebBrowser->LastAddress(), "https://www.gutenberg.org/");
            continue;
        }
        // The first page loads with the window; then each tab shows its own.
        EXPECT_EQ(form->WebBrowser->LastAddress(), w.tabs[0].address);
        for (int i = static_cast<int>(w.tabs.size()) - 2; i >= 0; --i) {
            form->PageControl->tabButton(i)->click();
            EXPECT_EQ(form->WebBrowser->LastAddress(), w.tabs[i].address) << i;
        }
    }
}

TEST_F(BrowserWindows, MainMenuClosesTheWindowAndReopeningStartsAtTheFirstTab) {
    for (const Window& w : windows()) {
        SCOPED_TRACE(w.caption);
        std::unique_ptr<TBrowserForm> form(w.make());
        form->show();
        int finished = 0;
        QObject::connect(form.get(), &QDialog::finished, [&finished] { ++finished; });
        form->PageControl->tabButton(form->PageControl->count() - 1)->click();
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(finished, 1);
        form.reset(w.make());
        EXPECT_EQ(form->PageControl->currentIndex(), 0);
    }
}

TEST_F(BrowserWindows, MainMenuEndsTheModalShowing) {
    TResearchForm form(nullptr);
    QTimer::singleShot(0, &form, [&form] { form.PageControl->tabButton(12)->click(); });
    EXPECT_EQ(form.exec(), QDialog::Rejected);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(BrowserWindows, ProjectGutenbergNeverReloadsOnATabChange) {
    TProjectGutenbergForm form(nullptr);
    form.show();
    // The user followed a link inside the page.
    form.WebBrowser->Navigate("https://www.gutenberg.org/ebooks/1342");
    form.PageControl->setCurrentIndex(0);
    form.PageControl->setCurrentIndex(1);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.WebBrowser->LastAddress(), "https://www.gutenberg.org/ebooks/1342");
}

TEST_F(BrowserWindows, ResearchTabsStandInSeveralRowsAboveTheBrowser) {
    TResearchForm form(nullptr);
    form.show();
    QApplication::processEvents();
    EXPECT_EQ(form.size(), QSize(758, 584));
    EXPECT_GE(form.PageControl->rowCount(), 2);
    // Every tab is visible inside the strip, and the browser lies below it.
    for (int i = 0; i < form.PageControl->count(); ++i)
        EXPECT_TRUE(form.PageControl->rect().contains(form.PageControl->tabButton(i)->geometry()))
            << i;
    const QPoint browserTop = form.WebBrowser->mapTo(&form, QPoint(0, 0));
    EXPECT_GE(browserTop.y(), form.PageControl->geometry().bottom());
    EXPECT_GT(form.WebBrowser->height(), 300);

    // The eleventh tab shows research site 11 below the tabs.
    form.PageControl->tabButton(10)->click();
    EXPECT_EQ(form.WebBrowser->LastAddress(), "https://www.pdinfo.com/");

    // Few tabs fit in one row.
    TDerivativeWorksForm one(nullptr);
    one.show();
    QApplication::processEvents();
    EXPECT_EQ(one.PageControl->rowCount(), 1);
}

TEST_F(BrowserWindows, OpenCentredAndFollowTheWindowSize) {
    TeCommerceForm form(nullptr);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((form.geometry().center() - screen.center()).manhattanLength(), 2);
    form.show();
    form.resize(900, 700);
    QApplication::processEvents();
    EXPECT_GT(form.WebBrowser->width(), 850);
    EXPECT_GT(form.WebBrowser->height(), 600);
}

TEST_F(BrowserWindows, MinimisingMinimisesTheWholeProgram) {
    for (const Window& w : windows()) {
        SCOPED_TRACE(w.caption);
        std::unique_ptr<TBrowserForm> form(w.make());
        form->show();
        const int before = scripted.minimizeCount;
        form->setWindowState(Qt::WindowMinimized);
        EXPECT_EQ(scripted.minimizeCount, before + 1);
        // Restoring is not a minimise.
        form->setWindowState(Qt::WindowNoState);
        EXPECT_EQ(scripted.minimizeCount, before + 1);
    }
    auto legal = std::make_unique<TLegalInformationForm>(nullptr);
    legal->show();
    legal->setWindowState(Qt::WindowMinimized);
    EXPECT_EQ(scripted.minimizeCount, 5);
}

TEST_F(BrowserWindows, LegalInformationWritesTheChartAtEveryOpeningAndRemovesItAfter) {
    // Written for this year from the shipped pattern (mended: it was a fixed
    // page valid for one year).
    const std::string shipped = browsers::FillChart(
        readBytes(std::string(getenv("QM_SOURCE_DIR")) + "/resources/chart.html"),
        browsers::CurrentYear());
    const std::string folder = browsers::ChartFolder();
    const std::string chart = folder + "chart.html";
    // Left behind by a crashed run.
    fs::create_directories(folder);
    writeBytes(chart, "stale");

    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening);
        auto form = std::make_unique<TLegalInformationForm>(nullptr);
        EXPECT_EQ(text(form->windowTitle()), "Legal Information");
        EXPECT_EQ(form->size(), QSize(758, 584));
        ASSERT_EQ(form->PageControl->count(), 4);
        EXPECT_EQ(text(form->PageControl->tabText(0)), "Date Tables");
        EXPECT_EQ(text(form->PageControl->tabText(1)), "Legal Aid");
        EXPECT_EQ(text(form->PageControl->tabText(2)), "Status Check");
        EXPECT_EQ(text(form->PageControl->tabText(3)), "Main Menu");
        EXPECT_EQ(text(form->PageControl->tabName(3)), "TabSheet3");
        EXPECT_EQ(form->ChartFolder(), folder);
        EXPECT_EQ(readBytes(chart), shipped);
        // Shown from its plain local path.
        EXPECT_EQ(form->WebBrowser->LastAddress(), chart);

        // Our legal-aid page lies beside the chart.
        form->PageControl->setCurrentIndex(1);
        EXPECT_EQ(form->WebBrowser->LastAddress(), folder + "legal_aid.html");
        EXPECT_EQ(readBytes(folder + "legal_aid.html"),
                  readBytes(std::string(getenv("QM_SOURCE_DIR")) + "/resources/legal_aid.html"));
        form->PageControl->setCurrentIndex(0);
        EXPECT_EQ(form->WebBrowser->LastAddress(), chart);

        form->show();
        // The status check takes the browser's place while its tab is active.
        form->PageControl->setCurrentIndex(2);
        EXPECT_TRUE(form->StatusCheck()->isVisible());
        EXPECT_FALSE(form->WebBrowser->isVisible());
        EXPECT_EQ(form->WebBrowser->LastAddress(), chart);
        EXPECT_TRUE(form->isVisible());
        form->PageControl->setCurrentIndex(0);
        EXPECT_FALSE(form->StatusCheck()->isVisible());
        EXPECT_TRUE(form->WebBrowser->isVisible());
        form->PageControl->setCurrentIndex(3);
        EXPECT_FALSE(form->isVisible());
        EXPECT_TRUE(fs::exists(chart)); // until the window is freed
        form.reset();
        EXPECT_FALSE(fs::exists(folder.substr(0, folder.size() - 1)));
    }
    EXPECT_TRUE(scripted.errors.empty());
}

TEST_F(BrowserWindows, LegalInformationReportsAChartItCannotWriteAndStillOpens) {
    const std::string folder = browsers::ChartFolder();
    writeBytes(folder.substr(0, folder.size() - 1), "a file where the folder belongs");
    TLegalInformationForm form(nullptr);
    ASSERT_EQ(scripted.errors.size(), 1u);
#ifdef _WIN32
    const std::string reason = "No such file or directory";
#else
    const std::string reason = "Not a directory";
#endif
    EXPECT_EQ(scripted.errors[0], "Cannot create file \"" + folder + "chart.html\". " + reason);
    EXPECT_EQ(form.WebBrowser->LastAddress(), ""); // the first page is not loaded
    form.PageControl->setCurrentIndex(1);
    EXPECT_EQ(form.WebBrowser->LastAddress(), folder + "legal_aid.html");
}

TEST_F(BrowserWindows, OurOwnPagesAreWrittenOfflineAndGoWithTheWindow) {
    const std::string resources = std::string(getenv("QM_SOURCE_DIR")) + "/resources/";
    {
        TDerivativeWorksForm derivative(nullptr);
        TeCommerceForm commerce(nullptr);
        for (const char* page : {"deriv_intro.html", "deriv_tools.html", "deriv_vendors.html"})
            EXPECT_EQ(readBytes(dw(page)), readBytes(resources + page)) << page;
        for (const char* page : {"ecomm_hosting.html", "ecomm_cart.html"})
            EXPECT_EQ(readBytes(ec(page)), readBytes(resources + page)) << page;
    }
    EXPECT_FALSE(fs::exists(browsers::PagesFolder("DW")));
    EXPECT_FALSE(fs::exists(browsers::PagesFolder("EC")));
    EXPECT_TRUE(scripted.errors.empty());
}

TEST_F(BrowserWindows, ASiteAddressShowsThatSitesPagesInstead) {
    TDerivativeWorksForm derivative(nullptr, "https://pages.example.org/");
    EXPECT_EQ(derivative.WebBrowser->LastAddress(),
              "https://pages.example.org/software/deriv_intro");
    derivative.PageControl->setCurrentIndex(2);
    EXPECT_EQ(derivative.WebBrowser->LastAddress(),
              "https://pages.example.org/software/deriv_vendors");
    EXPECT_FALSE(fs::exists(browsers::PagesFolder("DW"))); // nothing written

    TLegalInformationForm legal(nullptr, "https://pages.example.org");
    legal.PageControl->setCurrentIndex(1);
    EXPECT_EQ(legal.WebBrowser->LastAddress(), "https://pages.example.org/software/legal_aid");
    // The chart stays built in.
    legal.PageControl->setCurrentIndex(0);
    EXPECT_EQ(legal.WebBrowser->LastAddress(), legal.ChartFolder() + "chart.html");
    EXPECT_FALSE(fs::exists(legal.ChartFolder() + "legal_aid.html"));

    // The setting in the user's own settings, with stray spaces.
#ifdef _WIN32
    // There they live in the registry (here Wine's, in the test's own prefix).
    QSettings(QSettings::UserScope, "Quillmere", "Quillmere")
        .setValue("SiteAddress", " http://localhost:8080 ");
    const auto forget = [] {
        QSettings(QSettings::UserScope, "Quillmere", "Quillmere").remove("SiteAddress");
    };
#else
    const std::string config = std::string(getenv("XDG_CONFIG_HOME")) + "/Quillmere";
    fs::create_directories(config);
    writeBytes(config + "/Quillmere.conf", "[General]\nSiteAddress= http://localhost:8080 \n");
    const auto forget = [&] { fs::remove_all(config); };
#endif
    EXPECT_EQ(ProductSiteAddress(), "http://localhost:8080");
    TeCommerceForm commerce(nullptr);
    EXPECT_EQ(commerce.WebBrowser->LastAddress(), "http://localhost:8080/software/ecomm_hosting");
    forget();
    EXPECT_EQ(ProductSiteAddress(), "");
}

TEST(WebBrowserFallback, WithoutTheEngineShowsAMessageAndStillRecordsAddresses) {
    // This test program points the engine plugin at a missing file.
    WebBrowser browser;
    EXPECT_FALSE(browser.HasEngine());
    auto* message = browser.findChild<QLabel*>();
    ASSERT_NE(message, nullptr);
    EXPECT_TRUE(message->text().contains("not available"));
    EXPECT_TRUE(message->text().contains(WebBrowser::EngineBuilt() ? "missing"
                                                                   : "built without a web engine"))
        << text(message->text());
    browser.Navigate("about:blank");
    EXPECT_EQ(browser.LastAddress(), "about:blank");
    EXPECT_EQ(browser.Title(), "");
}

TEST_F(BrowserWindows, StatusCheckAnswersInPlainWordsAndAsksOnlyWhatMatters) {
    for (int clock : {2026, 2027}) {
        SCOPED_TRACE(clock);
        TLegalInformationForm form(nullptr, "", clock);
        StatusCheckPage& check = *form.StatusCheck();
        EXPECT_EQ(text(check.AnswerText()), "Enter the year of first publication.");

        // Published in the United States in 1931 with a notice, renewal unknown.
        check.Year->setText("1931");
        EXPECT_TRUE(check.Notice->isEnabled() == (clock == 2026));
        check.Notice->setCurrentText("Yes");
        if (clock == 2026) {
            EXPECT_TRUE(check.Renewed->isEnabled());
            EXPECT_NE(text(check.AnswerText())
                          .find("In the United States: unknown: either free now or from 1 "
                                "January 2027."),
                      std::string::npos)
                << text(check.AnswerText());
            check.Renewed->setCurrentText("Yes");
            EXPECT_NE(text(check.AnswerText())
                          .find("In the United States: protected; free from 1 January 2027."),
                      std::string::npos);
        } else {
            EXPECT_FALSE(check.Renewed->isEnabled());
            EXPECT_NE(text(check.AnswerText())
                          .find("In the United States: public domain in the United States for "
                                "the facts given"),
                      std::string::npos);
        }
        // Without the year of death the life terms are unknown.
        EXPECT_NE(text(check.AnswerText()).find("In Canada: unknown."), std::string::npos);

        // A recording of 1926, never asked about a notice.
        check.Year->setText("1926");
        check.SoundRecording->setChecked(true);
        EXPECT_FALSE(check.Notice->isEnabled());
        EXPECT_NE(text(check.AnswerText())
                      .find(clock == 2026 ? "protected; free from 1 January 2027"
                                          : "In the United States: public domain in the United "
                                            "States for the facts given (since 1 January 2027)"),
                  std::string::npos)
            << text(check.AnswerText());

        // Abroad, author died 1972: Canada not before 2043.
        check.SoundRecording->setChecked(false);
        check.Published->setCurrentText("Elsewhere");
        check.Year->setText("1950");
        check.Died->setText("1972");
        EXPECT_NE(text(check.AnswerText())
                      .find("In Canada: protected; free from 1 January 2043. "
                            "Rule: life + 70 years (since 30 December 2022)."),
                  std::string::npos)
            << text(check.AnswerText());
        EXPECT_EQ(check.CurrentWork().authorDied, 1972);

        // A year still to come is refused by name.
        check.Died->setText("2099");
        EXPECT_EQ(text(check.AnswerText()), "The year of death 2099 has not come yet.");

        // The new questions open only where they decide: a work of 1990 by
        // an author who died in 1940 was created before 1978 anyway.
        check.Died->setText("");
        check.Published->setCurrentText("In the United States");
        check.Year->setText("1990");
        EXPECT_FALSE(check.Month->isEnabled());
        EXPECT_FALSE(check.HomeTerm->isEnabled());
        check.Author->setCurrentText("Made for hire");
        EXPECT_TRUE(check.Created->isEnabled());
        check.Author->setCurrentText("A person");
        check.Died->setText("1940");
        EXPECT_FALSE(check.Created->isEnabled());
        EXPECT_NE(text(check.AnswerText())
                      .find("In the United States: protected; free from 1 January 2048."),
                  std::string::npos)
            << text(check.AnswerText());
        // Published in 1989 without a notice: the month decides.
        check.Year->setText("1989");
        check.Died->setText("2000");
        check.Notice->setCurrentText("No");
        EXPECT_TRUE(check.Month->isEnabled());
        check.Month->setCurrentText("May");
        EXPECT_NE(text(check.AnswerText())
                      .find("In the United States: protected; free from 1 January 2071."),
                  std::string::npos)
            << text(check.AnswerText());
        EXPECT_EQ(check.CurrentWork().month, 5);
        // A foreign work without the formalities: nationality and home term.
        check.Published->setCurrentText("Elsewhere");
        check.Year->setText("1950");
        check.Died->setText("1925");
        EXPECT_TRUE(check.UsAuthor->isEnabled());
        EXPECT_TRUE(check.HomeTerm->isEnabled());
        check.UsAuthor->setCurrentText("No");
        check.HomeTerm->setCurrentText("Life + 80 years");
        EXPECT_NE(text(check.AnswerText())
                      .find("In the United States: protected; free from 1 January 2046."),
                  std::string::npos)
            << text(check.AnswerText());
        // QM_STATUS_SHOT=<file.png>: keeps a picture of the form as it asks
        // the new questions (run under Xvfb to see it as a user would).
        if (const char* shot = getenv("QM_STATUS_SHOT"); shot && clock == 2026) {
            form.show();
            form.PageControl->setCurrentIndex(2);
            QApplication::processEvents();
            EXPECT_TRUE(form.grab().save(shot));
        }
        const QList<QLabel*> labels = check.findChildren<QLabel*>();
        EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](QLabel* l) {
            return l->text() == "Year of death of the author (the last surviving author of a "
                                "joint work, words and music together):";
        }));
    }
}

TEST(WebBrowserFallback, LegalInformationShowsTheChartAsTextWhenTheEngineIsMissing) {
    // This test program points the engine plugin at a missing file.
    TempDir tmp;
    testsupport::ScopedTempFolder temp(tmp.path());
    platform::ScriptedServices scripted;
    platform::ScopedServices installed(scripted);
    {
        TLegalInformationForm form(nullptr);
        form.show();
        EXPECT_FALSE(form.WebBrowser->HasEngine());
        auto* page = form.WebBrowser->findChild<QTextBrowser*>();
        auto* line = form.WebBrowser->findChild<QLabel*>();
        ASSERT_NE(page, nullptr);
        ASSERT_NE(line, nullptr);
        EXPECT_TRUE(page->isVisible());
        EXPECT_TRUE(page->toPlainText().contains("United States Copyright Dates Table"));
        EXPECT_EQ(line->text(),
                  WebBrowser::EngineBuilt()
                      ? "The web engine is missing, so this page is shown as plain text."
                      : "This page is shown as plain text; web pages open in your web browser.");

        // The legal-aid page is ours too: plain text as well.
        form.PageControl->setCurrentIndex(1);
        EXPECT_TRUE(page->isVisible());
        EXPECT_TRUE(page->toPlainText().contains("Legal Aid")) << text(page->toPlainText());
        // The status check needs no engine: it stands in the page's place and answers.
        form.PageControl->setCurrentIndex(2);
        EXPECT_TRUE(form.StatusCheck()->isVisible());
        EXPECT_FALSE(page->isVisible());
        form.StatusCheck()->Year->setText("1920");
        EXPECT_NE(
            text(form.StatusCheck()->AnswerText()).find("In the United States: public domain"),
            std::string::npos)
            << text(form.StatusCheck()->AnswerText());
        form.PageControl->setCurrentIndex(0);
        EXPECT_TRUE(page->isVisible());
        EXPECT_TRUE(page->toPlainText().contains("United States Copyright Dates Table"));
    }
    EXPECT_TRUE(scripted.openedDocuments.empty()); // none of these pages went to the browser
    EXPECT_TRUE(scripted.errors.empty());
}
