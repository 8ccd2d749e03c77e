// Legal Information from the user's click: how long until its window is on
// screen, and until the date chart is drawn in it, the first time in a run
// (cold: the web engine still to be loaded) and again afterwards (warm).
//
//   QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu" xvfb-run -a legal_bench [warm runs]
//
// "Click" is the moment the window is created, as the main menu's button does
// it; "window" is its first paint delivered to the screen; "chart painted" is
// the first moment after the page has loaded that the browser's picture holds
// the chart's text (dark pixels), checked every 10 ms.
#include "browsers/ui/LegalInformationForm.h"
#include "platform/ScriptedServices.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
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

bool hasDarkPixels(const QImage& image) {
    const QImage small = image.convertToFormat(QImage::Format_RGB32);
    int dark = 0;
    for (int y = 0; y < small.height(); y += 2)
        for (int x = 0; x < small.width(); x += 2)
            if (qGray(small.pixel(x, y)) < 96 && ++dark > 50)
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
        if (loaded && t.windowMs >= 0 && hasDarkPixels(form->WebBrowser->grab().toImage())) {
            t.chartMs = clock.nsecsElapsed() / 1e6;
            loop.quit();
        }
    });
    poll.start(10);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    form->show();
    loop.exec();
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
