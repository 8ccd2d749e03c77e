// The browser windows where no web engine can be loaded: the module is
// missing (this test program points it at nothing) or the program is built
// without one (-DQM_WEBENGINE=OFF, as for Windows). Our own pages are plain
// text whose links to the web go to the user's browser; a web tab hands its
// page to the user's browser and says so.
#include "browsers/ChartFolder.h"
#include "browsers/ui/BrowserForms.h"
#include "platform/gui/Text.h"
#include "platform/ScriptedServices.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QTextBrowser>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using testsupport::ScopedTempFolder;
using testsupport::TempDir;

namespace {

class NoEngine : public testing::Test {
protected:
    TempDir tmp;
    ScopedTempFolder temp{tmp.path()};
    platform::ScriptedServices scripted;
    platform::ScopedServices installed{scripted};
};

std::string text(const QString& s) {
    return platform::fromQ(s);
}

using Opened = std::vector<std::string>;

} // namespace

TEST_F(NoEngine, AWebTabOpensItsPageInTheUsersBrowserAndSaysSo) {
    TResearchForm form(nullptr);
    form.show();
    EXPECT_FALSE(form.WebBrowser->HasEngine());
    // The first tab's page, asked for as the window opened.
    EXPECT_EQ(scripted.openedDocuments, Opened{"https://www.abebooks.com/used/"});
    auto* line = form.WebBrowser->findChild<QLabel*>();
    auto* page = form.WebBrowser->findChild<QTextBrowser*>();
    ASSERT_NE(line, nullptr);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(line->isVisible());
    EXPECT_FALSE(page->isVisible());
    EXPECT_EQ(text(line->text()), "This page cannot be shown here, so it has opened in your web "
                                  "browser:\nhttps://www.abebooks.com/used/");

    // Each tab the user picks hands over its own page, once.
    form.PageControl->tabButton(1)->click();
    EXPECT_EQ(scripted.openedDocuments,
              (Opened{"https://www.abebooks.com/used/", "https://archive.org/"}));
    EXPECT_TRUE(line->text().contains("https://archive.org/"));
    EXPECT_EQ(form.WebBrowser->LastAddress(), "https://archive.org/");

    // "Main Menu" closes the window and opens nothing.
    form.PageControl->tabButton(form.PageControl->count() - 1)->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(scripted.openedDocuments.size(), 2u);
    EXPECT_TRUE(scripted.errors.empty());
}

TEST_F(NoEngine, OnlyWebAndMailAddressesGoToTheUsersBrowser) {
    WebBrowser browser;
    browser.Navigate("about:blank");
    browser.Navigate("javascript:alert(1)");
    browser.Navigate(tmp.file("no such page.html"));
    EXPECT_TRUE(scripted.openedDocuments.empty());
    browser.Navigate("mailto:help@example.invalid");
    browser.Navigate("HTTP://example.invalid/Page");
    EXPECT_EQ(scripted.openedDocuments,
              (Opened{"mailto:help@example.invalid", "HTTP://example.invalid/Page"}));
}

TEST_F(NoEngine, OurOwnPagesArePlainTextAndTheirLinksToTheWebOpenInTheUsersBrowser) {
    TDerivativeWorksForm form(nullptr, "");
    form.show();
    auto* line = form.WebBrowser->findChild<QLabel*>();
    auto* page = form.WebBrowser->findChild<QTextBrowser*>();
    ASSERT_NE(line, nullptr);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->isVisible());
    EXPECT_FALSE(page->toPlainText().isEmpty());
    EXPECT_EQ(text(line->text()),
              WebBrowser::EngineBuilt()
                  ? "The web engine is missing, so this page is shown as plain text."
                  : "This page is shown as plain text; web pages open in your web browser.");
    EXPECT_TRUE(scripted.openedDocuments.empty());

    // A link to another of our pages stays in the window...
    const std::string tools = browsers::PagesFolder("DW") + "deriv_tools.html";
    emit page->anchorClicked(QUrl("deriv_tools.html"));
    EXPECT_EQ(page->source(), QUrl::fromLocalFile(platform::toQ(tools)));
    EXPECT_TRUE(scripted.openedDocuments.empty());
    // ...and links to the web or to mail go to the user's browser; the page stays.
    emit page->anchorClicked(QUrl("https://example.invalid/tools?a=1&b=2"));
    emit page->anchorClicked(QUrl("mailto:help@example.invalid"));
    EXPECT_EQ(scripted.openedDocuments,
              (Opened{"https://example.invalid/tools?a=1&b=2", "mailto:help@example.invalid"}));
    EXPECT_EQ(page->source(), QUrl::fromLocalFile(platform::toQ(tools)));
}

TEST_F(NoEngine, OurPagesFromTheProductWebsiteOpenInTheUsersBrowser) {
    TeCommerceForm form(nullptr, "http://localhost:8080");
    form.show();
    EXPECT_EQ(scripted.openedDocuments, Opened{"http://localhost:8080/software/ecomm_hosting"});
}

TEST(WebBrowserBuild, WithoutTheEngineLooksForNoModule) {
    if (WebBrowser::EngineBuilt())
        GTEST_SKIP() << "built with the web engine module";
    // Even a module named explicitly is not loaded by a build without the engine.
    const std::string exe = platform::fromQ(QCoreApplication::applicationFilePath());
    testsupport::ScopedEnv module("QM_WEBENGINE_PLUGIN", exe);
    WebBrowser browser;
    EXPECT_FALSE(browser.HasEngine());
    EXPECT_FALSE(browser.EnginePending());
    auto* line = browser.findChild<QLabel*>();
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(line->text().contains("built without a web engine")) << text(line->text());
}
