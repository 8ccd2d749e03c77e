// The application's standard error report, with the program's own
// application object (not the plain one other window tests use).
#include "app/ui/Application.h"
#include "platform/ScriptedServices.h"

#include <gtest/gtest.h>
#include <QTimer>

#include <stdexcept>

namespace {

class Thrower : public QObject {
public:
    int handled = 0;

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) {
            ++handled;
            throw std::runtime_error("Cannot open file \"x.prj\". No such file or directory");
        }
        if (e->type() == QEvent::Type(QEvent::User + 1)) {
            ++handled;
            throw 42;
        }
        return QObject::event(e);
    }
};

TEST(ErrorReport, AnEscapedErrorIsShownAndTheProgramGoesOn) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "error_report_test";
    char* argv[] = {name, nullptr};
    TApplication app(argc, argv);
    platform::ScriptedServices services;
    platform::ScopedServices scoped(services);

    Thrower thrower;
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::Type(QEvent::User + 1)));
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    bool timerRan = false;
    QTimer::singleShot(0, [&] {
        timerRan = true;
        QCoreApplication::quit();
    });
    app.exec();

    EXPECT_TRUE(timerRan);
    EXPECT_EQ(thrower.handled, 3);
    EXPECT_EQ(services.errors,
              (std::vector<std::string>{"Cannot open file \"x.prj\". No such file or directory",
                                        "Unknown error",
                                        "Cannot open file \"x.prj\". No such file or directory"}));
}

} // namespace
