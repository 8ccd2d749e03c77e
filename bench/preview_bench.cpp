// The live preview's refresh time with the web engine: a fully filled record
// in the wizard, the preview shown, then 50 changes to a field. For each
// change the table times, from the end of the pause (the refresh starting):
//   shown   - the new page loaded and scrolled back into place;
//   painted - the engine has drawn it (two animation frames after that);
// the time the refresh holds the user-interface thread (reading the record,
// which is what typing could notice) and the compile on its worker thread.
//
//   xvfb-run -a -s "-screen 0 2200x1100x24" preview_bench [executable with templates]
//
// The executable's image is what every compile reloads; it defaults to this
// program, which carries the templates; pass build/bin/quillmere to reload the
// full program's image as the wizard does. The preview is scrolled halfway
// down, so every refresh also restores the scroll position.
#include "browsers/ui/WebBrowser.h"
#include "platform/FileSystem.h"
#include "salesletter/ui/CreateSaleslettersForm.h"
#include "salesletter/ui/LivePreview.h"
#include "salesletter/ui/PageControl.h"
#include "tests/compiler/SampleLetter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

// Runs the event loop until `done` holds or `ms` pass; false on time-out.
bool waitFor(const std::function<bool()>& done, int ms = 60000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 2);
    }
    return true;
}

std::string js(WebBrowser* browser, const std::string& script) {
    std::string result;
    bool got = false;
    browser->RunJavaScript(script, [&](const std::string& r) {
        result = r;
        got = true;
    });
    waitFor([&] { return got; });
    return result;
}

// Waits until the engine has drawn two animation frames after now.
void waitForPaint(WebBrowser* browser) {
    js(browser, "window.qmPainted = false; requestAnimationFrame(() => "
                "requestAnimationFrame(() => { window.qmPainted = true; })); 0");
    while (js(browser, "String(window.qmPainted)") != "true") {
    }
}

void row(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-44s %8.1f %8.1f %8.1f\n", what, ms.front(), ms[ms.size() / 2], ms.back());
}

int holdForScreenshot(TCreateSaleslettersForm& form, WebBrowser* browser, int width,
                      qint64& shown) {
    TPreviewWindow* window = form.LivePreview->Window();
    window->SetPageWidth(width);
    window->move(form.frameGeometry().right() + 1, 0);
    shown = -1;
    for (const char* key : {"HG", "EC"}) {
        const char* picture = std::getenv(key[0] == 'H' ? "QM_HEADER_JPG" : "QM_ECOVER_JPG");
        if (picture)
            form.SetFieldText(key, picture);
    }
    form.PageControl->SetActivePageIndex(4);
    waitFor([&] { return shown >= 0; });
    waitForPaint(browser);
    QElapsedTimer settle;
    settle.start();
    waitFor([&] { return settle.elapsed() > 1500; });
    std::printf("ready\n");
    std::fflush(stdout);
    settle.restart();
    waitFor([&] { return settle.elapsed() > 20000; }, 30000);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // --hold WIDTH: show the wizard and the preview at that page width side by
    // side for a screenshot (pictures from $QM_HEADER_JPG, $QM_ECOVER_JPG),
    // print "ready" and stay 20 s.
    int hold = 0;
    if (argc > 2 && std::string(argv[1]) == "--hold") {
        hold = std::atoi(argv[2]);
        argc -= 2;
        argv += 2;
    }
    const std::string exe = argc > 1 ? argv[1] : platform::programPath();
    const int changes = std::getenv("QM_CHANGES") ? std::atoi(std::getenv("QM_CHANGES")) : 50;

    // A folder of our own stands in for the program folder.
    const auto dir = std::filesystem::temp_directory_path() / "qm-preview-bench";
    std::filesystem::create_directories(dir);
    const std::string copy = (dir / "quillmere").string();
    std::filesystem::copy_file(exe, copy, std::filesystem::copy_options::overwrite_existing);
    platform::setProgramPathForTesting(copy);

    TCreateSaleslettersForm form;
    form.move(0, 0);
    form.show();
    form.SetLetter(testsupport::SampleLetter(1));
    TLivePreview* preview = form.LivePreview;
    QElapsedTimer clock;
    clock.start();
    qint64 started = -1, shown = -1;
    QObject::connect(preview, &TLivePreview::refreshStarted,
                     [&] { started = clock.nsecsElapsed(); });
    QObject::connect(preview, &TLivePreview::pageShown, [&] { shown = clock.nsecsElapsed(); });

    const qint64 open = clock.nsecsElapsed();
    form.btnLivePreview->click();
    auto* browser = preview->Window()->findChild<WebBrowser*>();
    // The engine loads once the preview window has been painted.
    if (browser)
        (void)QTest::qWaitFor([&] { return !browser->EnginePending(); }, 30000);
    if (!browser || !browser->HasEngine()) {
        std::fprintf(stderr, "the web engine is not available\n");
        return 1;
    }
    if (!waitFor([&] { return shown >= 0; })) {
        std::fprintf(stderr, "the first page never showed\n");
        return 1;
    }
    waitForPaint(browser);
    const double firstMs = (clock.nsecsElapsed() - open) / 1e6;
    if (hold)
        return holdForScreenshot(form, browser, hold, shown);
    js(browser, "window.scrollTo(0, document.body.scrollHeight / 2); 0");
    waitForPaint(browser);
    const std::string scrolledTo = js(browser, "String(window.scrollY)");

    std::vector<double> toShown, toPainted, uiThread, changeToPainted;
    for (int i = 0; i < changes; ++i) {
        started = shown = -1;
        const qint64 change = clock.nsecsElapsed();
        form.SetFieldText("PT", "The Heirloom Kitchen Collection, edition " + std::to_string(i));
        if (!waitFor([&] { return shown >= 0; })) {
            std::fprintf(stderr, "change %d never showed\n", i + 1);
            return 1;
        }
        waitForPaint(browser);
        const qint64 painted = clock.nsecsElapsed();
        toShown.push_back((shown - started) / 1e6);
        toPainted.push_back((painted - started) / 1e6);
        changeToPainted.push_back((painted - change) / 1e6);
    }
    // The part a refresh spends on the user-interface thread.
    for (int i = 0; i < changes; ++i) {
        QElapsedTimer t;
        t.start();
        preview->Refresh();
        uiThread.push_back(t.nsecsElapsed() / 1e6);
        shown = -1;
        waitFor([&] { return shown >= 0; });
    }
    const std::string scrollAfter = js(browser, "String(window.scrollY)");
    std::vector<double> compile;
    for (int i = 0; i < changes; ++i) {
        QElapsedTimer t;
        t.start();
        TLivePreview::PageFor(form.Letter());
        compile.push_back(t.nsecsElapsed() / 1e6);
    }
    std::ifstream loadavg("/proc/loadavg");
    std::string load;
    std::getline(loadavg, load);

    std::printf("program whose templates the preview reads once: %s, %.1f MB\n", exe.c_str(),
                std::filesystem::file_size(copy) / 1048576.0);
    std::printf("preview turned on to first page painted: %.1f ms\n", firstMs);
    std::printf("%d changes, fully filled record       %8s %8s %8s\n", changes, "min ms", "median",
                "max ms");
    row("pause end -> page shown (loaded, scrolled)", toShown);
    row("pause end -> page painted", toPainted);
    row("change -> page painted (incl. 300 ms pause)", changeToPainted);
    row("refresh on the UI thread (read record, hand over)", uiThread);
    row("compile on the worker (fill the template)", compile);
    std::printf("load average: %s\n", load.c_str());
    std::printf("scroll position before / after the refreshes: %s / %s\n", scrolledTo.c_str(),
                scrollAfter.c_str());
    std::filesystem::remove_all(dir);
    return 0;
}
