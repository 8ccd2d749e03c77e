// Start time of the sales-letter wizard: from making the window to its first
// paint, each run in a fresh process, 21 runs (the first only warms the file
// cache). Also tells whether the web engine was loaded by then (it must not
// be: the live preview loads it only when first turned on). The processor time
// of the same stretch is given too, as a busy machine stretches wall time.
//
//   xvfb-run -a wizard_start_bench [runs]
//   xvfb-run -a wizard_start_bench --warm
//
// Without a display the wizard runs on the offscreen platform.
#include "salesletter/ui/CreateSaleslettersForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <time.h>
#include <vector>

namespace {

bool webEngineLoaded() {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find("WebEngine") != std::string::npos)
            return true;
    return false;
}

// Processor time of this process so far: what a busy machine does not inflate.
double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

class FirstPaint : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

// One wizard, made and shown in this process: prints the milliseconds.
int once(int argc, char** argv) {
    QApplication app(argc, argv);
    FirstPaint paint;
    QElapsedTimer clock;
    const double cpuStart = cpuMs();
    clock.start();
    TCreateSaleslettersForm form;
    form.installEventFilter(&paint);
    form.show();
    while (!paint.painted && clock.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    std::printf("%.3f %.3f %d\n", clock.nsecsElapsed() / 1e6, cpuMs() - cpuStart,
                webEngineLoaded() ? 1 : 0);
    return 0;
}

// Twenty wizards one after another in this process, after a first one that
// loads what is loaded once: the processor time of each, steadier than a
// fresh process's on a busy machine.
int warm(int argc, char** argv) {
    QApplication app(argc, argv);
    std::vector<double> cpu;
    for (int i = 0; i < 21; ++i) {
        FirstPaint paint;
        QElapsedTimer clock;
        clock.start();
        const double start = cpuMs();
        {
            TCreateSaleslettersForm form;
            form.installEventFilter(&paint);
            form.show();
            while (!paint.painted && clock.elapsed() < 10000)
                QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        if (i > 0)
            cpu.push_back(cpuMs() - start);
    }
    std::sort(cpu.begin(), cpu.end());
    std::printf("in one process, 20 wizards made, painted and closed: processor time min %.1f ms, "
                "median %.1f ms, max %.1f ms\n",
                cpu.front(), cpu[cpu.size() / 2], cpu.back());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--once")
        return once(argc, argv);
    if (argc > 1 && std::string(argv[1]) == "--warm")
        return warm(argc, argv);
    if (!std::getenv("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 21;
    QCoreApplication app(argc, argv);
    std::vector<double> ms, cpu;
    bool engine = false;
    for (int i = 0; i < runs; ++i) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {"--once"});
        child.waitForFinished(30000);
        double t = -1, c = -1;
        int loaded = 0;
        if (std::sscanf(child.readAllStandardOutput().constData(), "%lf %lf %d", &t, &c, &loaded) !=
            3) {
            std::fprintf(stderr, "run %d gave no time\n", i + 1);
            return 1;
        }
        engine = engine || loaded;
        if (i > 0) {
            ms.push_back(t);
            cpu.push_back(c);
        }
    }
    std::sort(ms.begin(), ms.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("wizard made and first painted, %zu runs: min %.1f ms, median %.1f ms, "
                "max %.1f ms\n",
                ms.size(), ms.front(), ms[ms.size() / 2], ms.back());
    std::printf("processor time of the same:            min %.1f ms, median %.1f ms, max %.1f ms\n",
                cpu.front(), cpu[cpu.size() / 2], cpu.back());
    std::printf("web engine loaded by then: %s\n", engine ? "YES" : "no");
    return 0;
}
