// Legal Information from the user's click: how long until its window is on
// screen, and until the date chart is drawn in it, the first time in a run
// (cold: the web engine still to be loaded) and again afterwards (warm).
//
//   QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu" xvfb-run -a legal_bench [warm runs]
//
// "Click" is the moment the window is created, as the main menu's button does
// it; "window" is its first paint delivered to the screen; "chart painted" is
// the first moment after the page has loaded that the screen shows the chart's
// green cells in the window, checked every 10 ms.
#include "browsers/ui/LegalInformationForm.h"
#include "platform/ScriptedServices.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

struct Times {
    double windowMs = -1;
    double chartMs = -1;
};

class FirstPaint : public QObject {
public:
    FirstPaint(QWidget* w, std::function<void()> done) : done_(std::move(done)) {
        w->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint && done_) {
            auto done = std::move(done_);
            done_ = nullptr;
            QTimer::singleShot(0, this, done); // after the frame is flushed
        }
        return false;
    }

private:
    std::function<void()> done_;
};

// The chart's green cells (#1E6B1E) on screen: the page is drawn.
bool showsChart(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    int green = 0;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            if (rgb.pixel(x, y) == qRgb(0x1E, 0x6B, 0x1E) && ++green > 200)
                return true;
    return false;
}

Times openOnce() {
    Times t;
    QElapsedTimer clock;
    QEventLoop loop;
    clock.start();
    auto form = std::make_unique<TLegalInformationForm>(nullptr);
    FirstPaint paint(form.get(), [&] { t.windowMs = clock.nsecsElapsed() / 1e6; });
    bool loaded = false;
    QObject::connect(form->WebBrowser, &WebBrowser::LoadFinished, &loop,
                     [&](bool ok) { loaded = ok; });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (loaded && t.windowMs >= 0 &&
            showsChart(form->screen()->grabWindow(form->winId()).toImage())) {
            t.chartMs = clock.nsecsElapsed() / 1e6;
            loop.quit();
        }
    });
    poll.start(10);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    form->show();
    loop.exec();
    poll.stop();
    form->close();
    form.reset();
    QEventLoop settle;
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();
    return t;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    platform::ScriptedServices services; // a chart that cannot be written is recorded
    platform::ScopedServices scoped(services);
    const int warmRuns = argc > 1 ? std::atoi(argv[1]) : 5;

    std::printf("%-6s %22s %28s\n", "run", "click-to-window (ms)", "click-to-chart-painted (ms)");
    Times cold = openOnce();
    std::printf("%-6s %22.1f %28.1f\n", "cold", cold.windowMs, cold.chartMs);
    for (int i = 0; i < warmRuns; ++i) {
        Times warm = openOnce();
        std::printf("%-6s %22.1f %28.1f\n", "warm", warm.windowMs, warm.chartMs);
    }
    for (const std::string& e : services.errors)
        std::printf("error: %s\n", e.c_str());
    return services.errors.empty() && cold.chartMs >= 0 ? 0 : 1;
}
