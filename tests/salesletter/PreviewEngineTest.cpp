// The live preview with the real web engine: the engine loads when the
// preview is first turned on, not with the wizard; the page shows with the
// scroll position kept across refreshes, and a page beyond the engine's 2 MB
// limit for pages given as text still shows.
#include "browsers/ui/WebBrowser.h"
#include "salesletter/ui/CreateSaleslettersForm.h"
#include "salesletter/ui/LivePreview.h"
#include "salesletter/ui/PreviewWindow.h"
#include "support/BuiltProgram.h"
#include "support/TempDir.h"

#include "platform/FileSystem.h"
#include "platform/ScriptedServices.h"
#include "tests/compiler/SampleLetter.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <QImage>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

namespace {

bool engineLoaded() {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find("libQt6WebEngineCore") != std::string::npos)
            return true;
    return false;
}

std::string run(WebBrowser* browser, const std::string& script) {
    std::string result;
    bool done = false;
    browser->RunJavaScript(script, [&](const std::string& r) {
        result = r;
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 30000));
    return result;
}

} // namespace

TEST(PreviewEngine, LoadsWithThePreviewKeepsTheScrollAndShowsLargePages) {
    const std::string compiler = testsupport::builtProgram("quillmere-compile");
    if (compiler.empty())
        GTEST_SKIP() << "no executable with the templates";
    QStandardPaths::setTestModeEnabled(true);
    platform::ScriptedServices services;
    platform::ScopedServices scoped{services};
    testsupport::TempDir dir;
    std::filesystem::copy_file(compiler, dir.file("quillmere"));
    platform::setProgramPathForTesting(dir.file("quillmere"));

    TCreateSaleslettersForm form;
    form.show();
    form.SetLetter(testsupport::SampleLetter(1));
    EXPECT_FALSE(engineLoaded());

    QSignalSpy shown(form.LivePreview, &TLivePreview::pageShown);
    form.btnLivePreview->click();
    // The engine loads once the preview window is on screen.
    EXPECT_TRUE(QTest::qWaitFor([] { return engineLoaded(); }, 30000));
    ASSERT_TRUE(shown.wait(90000));
    auto* browser = form.LivePreview->Window()->findChild<WebBrowser*>();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(run(browser, "document.title"), "The Heirloom Kitchen Collection");
    // A picture of the screen for a person to look at, when asked for.
    if (const char* shots = std::getenv("QM_SCREENSHOT_DIR")) {
        QTest::qWait(2000);
        form.screen()->grabWindow(0).save(QString::fromLocal8Bit(shots) + "/preview-beside.png");
    }

    run(browser, "window.scrollTo(0, 900); 0");
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return run(browser, "String(window.scrollY)") == "900"; }, 10000));
    form.SetFieldText("PT", "Second Edition");
    ASSERT_TRUE(shown.wait(30000));
    EXPECT_EQ(run(browser, "document.title"), "Second Edition");
    EXPECT_EQ(run(browser, "String(window.scrollY)"), "900");

    // Three megabytes of paragraph: beyond what the engine takes as text.
    form.SetFieldText("FirstParagraph", std::string(3 << 20, 'x') + " END-OF-SUMMARY");
    ASSERT_TRUE(shown.wait(60000));
    EXPECT_EQ(run(browser, "String(document.body.innerText.includes('END-OF-SUMMARY'))"), "true");
    EXPECT_EQ(run(browser, "document.title"), "Second Edition");
    platform::setProgramPathForTesting("");
}

// Closing the wizard while the preview reads the page's scroll position: the
// engine answers (or drops) the read as its page goes, and nothing of the
// window may be touched then. Run under AddressSanitizer, this was a use after
// free in WebBrowser::SetHtml.
TEST(PreviewEngine, ClosingWhileTheScrollIsReadReachesNoDestroyedWindow) {
    QStandardPaths::setTestModeEnabled(true);
    platform::ScriptedServices services;
    platform::ScopedServices scoped{services};
    testsupport::TempDir dir;
    for (int round = 0; round < 3; ++round) {
        auto* window = new TPreviewWindow(MakeWebPreviewPane, nullptr);
        window->show();
        PreviewPane* pane = window->Pane();
        QSignalSpy shown(pane, &PreviewPane::PageShown);
        pane->ShowPage("<html><body style='height:4000px'>one</body></html>", dir.path());
        ASSERT_TRUE(shown.wait(90000));
        // The next page first asks where the page is scrolled...
        pane->ShowPage("<html><body style='height:4000px'>two</body></html>", dir.path());
        // ...and the window goes before the answer comes.
        delete window;
        QTest::qWait(300);
    }
}

// Scripts in the previewed page (a user may type one into a field) see the
// page's own pictures and no other local file.
TEST(PreviewEngine, ScriptsInThePreviewReadNoLocalFiles) {
    QStandardPaths::setTestModeEnabled(true);
    platform::ScriptedServices services;
    platform::ScopedServices scoped{services};
    testsupport::TempDir dir;
    const std::string secret = dir.file("secret.txt");
    testsupport::writeBytes(secret, "private draft");
    std::filesystem::create_directories(dir.file("page"));
    QImage picture(8, 6, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(QString::fromStdString(dir.file("page/pic.png"))));

    TPreviewWindow window(MakeWebPreviewPane, nullptr);
    window.show();
    QSignalSpy shown(window.Pane(), &PreviewPane::PageShown);
    window.Pane()->ShowPage("<html><body><img id='p' src='pic.png'></body></html>",
                            dir.file("page"));
    ASSERT_TRUE(shown.wait(90000));
    auto* browser = window.findChild<WebBrowser*>();
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return run(browser, "String(document.getElementById('p').naturalWidth)") == "8"; },
        10000))
        << "the page's own picture shows";
    const std::string read =
        "(function() { try { var x = new XMLHttpRequest(); x.open('GET', 'file://" + secret +
        "', false); x.send(); return 'read:' + x.responseText; } catch (e) { return 'refused'; } "
        "})()";
    // Refused outright, or answered empty: never the file's text.
    EXPECT_EQ(run(browser, read).find("private draft"), std::string::npos);
    // Only the pictures the page shows: not another one of its folder.
    ASSERT_TRUE(picture.save(QString::fromStdString(dir.file("page/other.png"))));
    EXPECT_EQ(run(browser, "(function() { try { var x = new XMLHttpRequest(); x.open('GET', "
                           "'other.png', false); x.send(); return x.status == 200 ? 'read' : "
                           "'refused'; } catch (e) { return 'refused'; } })()"),
              "refused");
    const std::string frame =
        "(function() { var f = document.createElement('iframe'); f.src = 'file://" + secret +
        "'; document.body.appendChild(f); return 'added'; })()";
    EXPECT_EQ(run(browser, frame), "added");
    QTest::qWait(1000);
    EXPECT_EQ(run(browser, "(function() { try { return 'read:' + "
                           "document.querySelector('iframe').contentDocument.body.innerText; } "
                           "catch (e) { return 'refused'; } })()")
                  .find("private draft"),
              std::string::npos);
}
