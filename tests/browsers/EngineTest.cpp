// The browser windows with the real web engine, on local files only: the
// engine is loaded with the first browser, not before, and the Legal
// Information window renders the date chart without any network.
#include "browsers/ChartFolder.h"
#include "browsers/ui/BrowserForms.h"
#include "browsers/ui/LegalInformationForm.h"
#include "platform/ScriptedServices.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QEventLoop>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fstream>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <stdlib.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>
#include <vector>

using testsupport::TempDir;

namespace {

bool engineLoaded() {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find("libQt6WebEngineCore") != std::string::npos)
            return true;
    return false;
}

// Waits until the browser has finished a page; false on a failed load or
// after `seconds`.
bool waitForPage(WebBrowser& browser, int seconds = 90) {
    QEventLoop loop;
    bool ok = false;
    auto done = QObject::connect(&browser, &WebBrowser::LoadFinished, &loop, [&](bool loaded) {
        ok = loaded;
        loop.quit();
    });
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(done);
    return ok;
}

std::string pageText(WebBrowser& browser) {
    QEventLoop loop;
    std::string result;
    browser.PageText([&](const std::string& text) {
        result = text;
        loop.quit();
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    if (result.empty())
        loop.exec();
    return result;
}

// Lets the windows paint for a while.
void settle() {
    QEventLoop pause;
    QTimer::singleShot(4000, &pause, &QEventLoop::quit);
    pause.exec();
}

// What the screen shows of `window`.
void snapshot(QWidget& window, const QString& file) {
    const QRect area = window.frameGeometry();
    window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(file);
}

// A loopback port with nothing listening on it.
int closedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

// Waits until `done` holds, for up to 30 seconds.
bool waitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 600 && !done(); ++i) {
        QEventLoop pause;
        QTimer::singleShot(50, &pause, &QEventLoop::quit);
        pause.exec();
    }
    return done();
}

} // namespace

TEST(WebEngine, IsLoadedWithTheFirstBrowserAndShowsTheChartWithoutNetwork) {
    // Nothing of the engine is in the program until a browser window opens.
    EXPECT_FALSE(engineLoaded());

    TempDir tmp;
    setenv("TMPDIR", tmp.path().c_str(), 1);
    platform::ScriptedServices scripted;
    platform::ScopedServices installed(scripted);
    {
        // The window comes first; the engine loads once it has been painted.
        TLegalInformationForm form(nullptr);
        EXPECT_FALSE(engineLoaded());
        EXPECT_TRUE(form.WebBrowser->EnginePending());
        form.show();
        ASSERT_TRUE(waitForPage(*form.WebBrowser));
        EXPECT_TRUE(engineLoaded());
        ASSERT_TRUE(form.WebBrowser->HasEngine());
        EXPECT_EQ(form.WebBrowser->Title(), "Copyright Date Tables");
        const std::string text = pageText(*form.WebBrowser);
        EXPECT_NE(text.find("United States Copyright Dates Table"), std::string::npos) << text;
        EXPECT_NE(text.find("Non-US Copyright Dates Table"), std::string::npos);

        // Pictures of the windows for a person to look at, when asked for.
        if (const char* dir = getenv("QM_SCREENSHOT_DIR")) {
            const QString folder = QString::fromLocal8Bit(dir);
            settle();
            snapshot(form, folder + "/legal-information.png");
            TResearchForm research(nullptr);
            research.show();
            settle();
            snapshot(research, folder + "/research.png");
        }
    }
    EXPECT_TRUE(scripted.errors.empty());
    unsetenv("TMPDIR");
}

TEST(WebEngine, LaterBrowsersGetTheirViewAtOnce) {
    {
        WebBrowser first;
        first.show();
        first.Navigate("about:blank");
        ASSERT_TRUE(waitForPage(first));
    }
    WebBrowser browser;
    EXPECT_TRUE(browser.HasEngine());
    EXPECT_FALSE(browser.EnginePending());
}

TEST(WebEngine, ShowsABlankPageAndAnotherLocalFile) {
    TempDir tmp;
    testsupport::writeBytes(
        tmp.file("page.html"),
        "<html><head><title>Local page</title></head><body>Hello</body></html>");
    WebBrowser browser;
    browser.resize(400, 300);
    browser.show();
    browser.Navigate("about:blank");
    EXPECT_TRUE(waitForPage(browser));
    browser.Navigate(tmp.file("page.html"));
    EXPECT_TRUE(waitForPage(browser));
    EXPECT_EQ(browser.Title(), "Local page");
    EXPECT_EQ(pageText(browser), "Hello");
}

TEST(WebEngine, ShowsOurOwnPagesOfflineAndOpensTheirLinksToTheWebInTheUsersBrowser) {
    TempDir tmp;
    setenv("TMPDIR", tmp.path().c_str(), 1);
    platform::ScriptedServices scripted;
    platform::ScopedServices installed(scripted);
    // One window at a time, so no page finishes loading unwatched.
    const std::vector<std::pair<std::function<TBrowserForm*()>, std::vector<std::string>>> pages = {
        {[] { return new TDerivativeWorksForm(nullptr, ""); },
         {"Derivative Works: Introduction", "Derivative Works: Tools",
          "Derivative Works: Vendors"}},
        {[] { return new TeCommerceForm(nullptr, ""); },
         {"eCommerce: Hosting and Domains", "eCommerce: Shopping Cart Solutions"}},
        {[] { return new TLegalInformationForm(nullptr, ""); },
         {"Copyright Date Tables", "Legal Aid"}}};
    for (const auto& [make, titles] : pages) {
        std::unique_ptr<TBrowserForm> form(make());
        form->show();
        for (int i = 0; i < static_cast<int>(titles.size()); ++i) {
            SCOPED_TRACE(titles[i]);
            if (i > 0)
                form->PageControl->setCurrentIndex(i);
            ASSERT_TRUE(waitForPage(*form->WebBrowser));
            EXPECT_EQ(form->WebBrowser->Title(), titles[i]);
            const std::string text = pageText(*form->WebBrowser);
            // Each says the year it was written for, and once that it is not legal advice.
            EXPECT_NE(text.find("2026"), std::string::npos) << text;
            EXPECT_NE(text.find("not legal advice"), std::string::npos);
            EXPECT_EQ(text.find("not legal advice"), text.rfind("not legal advice"));
        }
    }
    EXPECT_TRUE(scripted.errors.empty());

    // A link from one of our pages to the web goes to the user's browser.
    testsupport::writeBytes(
        tmp.file("links.html"),
        "<html><head><title>Links</title></head>"
        "<body onload=\"setTimeout(function () { document.getElementById('out').click(); }, 300)\">"
        "<a id=\"out\" href=\"https://example.invalid/page\">out</a></body></html>");
    WebBrowser browser;
    browser.OpenLinksLeadingOutInUserBrowser();
    browser.resize(400, 300);
    browser.show();
    browser.Navigate(tmp.file("links.html"));
    ASSERT_TRUE(waitForPage(browser));
    for (int i = 0; i < 100 && scripted.openedDocuments.empty(); ++i) {
        QEventLoop pause;
        QTimer::singleShot(50, &pause, &QEventLoop::quit);
        pause.exec();
    }
    ASSERT_EQ(scripted.openedDocuments.size(), 1u);
    EXPECT_EQ(scripted.openedDocuments[0], "https://example.invalid/page");
    EXPECT_EQ(browser.Title(), "Links"); // the page stays
    unsetenv("TMPDIR");
}

// A web page that cannot be reached shows our own page: the address, that it
// needs the internet, "Try again" (which tries the same address) and "Open in
// your browser" (which hands it to the user's browser).
TEST(WebEngine, AnUnreachablePageShowsOurOfflinePage) {
    platform::ScriptedServices scripted;
    platform::ScopedServices installed(scripted);
    const std::string address = "http://127.0.0.1:" + std::to_string(closedPort()) + "/used/";
    WebBrowser browser;
    browser.resize(758, 520);
    browser.show();
    int shown = 0;
    QObject::connect(&browser, &WebBrowser::OfflinePageShown, [&](const std::string& failed) {
        EXPECT_EQ(failed, address);
        ++shown;
    });
    browser.Navigate(address);
    ASSERT_TRUE(waitFor([&] { return shown == 1; }));
    ASSERT_TRUE(waitFor([&] { return browser.Title() == "This page needs the internet"; }))
        << browser.Title();
    const std::string text = pageText(browser);
    EXPECT_NE(text.find("This page needs the internet"), std::string::npos) << text;
    EXPECT_NE(text.find(address), std::string::npos) << text;
    EXPECT_NE(text.find("Try again"), std::string::npos);
    EXPECT_NE(text.find("Open in your browser"), std::string::npos);
    EXPECT_EQ(text.find("ERR_"), std::string::npos) << text;
    EXPECT_EQ(browser.OfflineAddress(), address);

    if (const char* dir = getenv("QM_SCREENSHOT_DIR")) {
        settle();
        snapshot(browser, QString::fromLocal8Bit(dir) + "/offline.png");
    }

    browser.RunJavaScript("document.querySelector('a.browser').click()", [](const std::string&) {});
    ASSERT_TRUE(waitFor([&] { return !scripted.openedDocuments.empty(); }));
    EXPECT_EQ(scripted.openedDocuments, std::vector<std::string>{address});

    browser.RunJavaScript("document.querySelector('a.again').click()", [](const std::string&) {});
    ASSERT_TRUE(waitFor([&] { return shown == 2; })); // tried again, still unreachable
    EXPECT_EQ(browser.LastAddress(), address);
}
