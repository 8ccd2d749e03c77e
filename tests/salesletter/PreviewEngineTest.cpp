// The live preview with the real web engine: the engine loads when the
// preview is first turned on, not with the wizard; the page shows with the
// scroll position kept across refreshes, and a page beyond the engine's 2 MB
// limit for pages given as text still shows.
#include "browsers/ui/WebBrowser.h"
#include "salesletter/ui/CreateSaleslettersForm.h"
#include "salesletter/ui/LivePreview.h"
#include "support/TempDir.h"

#include "platform/FileSystem.h"
#include "platform/ScriptedServices.h"
#include "tests/compiler/SampleLetter.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
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
    const char* bin = std::getenv("QM_BIN_DIR");
    const std::string compiler = bin ? std::string(bin) + "/quillmere-compile" : "";
    if (compiler.empty() || !std::filesystem::exists(compiler))
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
