// The event pass that keeps a window painting during a long save must not
// run the user's clicks inside the save.
#include "ini/BigIniFile.h"
#include "platform/gui/QtServices.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QPushButton>
#include <QtGui/qpa/qwindowsysteminterface.h>
#include <QThread>

namespace {

// Queues a click as the window system does for a real one.
void queueClick(QWidget* widget, QPoint local) {
    using Input = QWindowSystemInterface;
    const QPointF global = widget->mapToGlobal(local);
    Input::handleMouseEvent<Input::AsynchronousDelivery>(widget->windowHandle(), local, global,
                                                         Qt::LeftButton, Qt::LeftButton,
                                                         QEvent::MouseButtonPress);
    Input::handleMouseEvent<Input::AsynchronousDelivery>(widget->windowHandle(), local, global,
                                                         Qt::NoButton, Qt::LeftButton,
                                                         QEvent::MouseButtonRelease);
}

} // namespace

TEST(EventPass, AClickQueuedDuringASaveWaitsUntilTheSaveHasEnded) {
    platform::QtServices qt;
    platform::ScopedServices scope{qt};
    testsupport::TempDir dir;
    QPushButton button("Save");
    button.resize(100, 30);
    button.show();
    QCoreApplication::processEvents();

    bool saving = false;
    int clicks = 0;
    int clicksInsideTheSave = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        ++clicks;
        if (saving)
            ++clicksInsideTheSave;
    });

    queueClick(&button, QPoint(50, 15));
    QThread::msleep(20); // the save's first event pass is due at once
    saving = true;
    {
        TBigIniFile ini(dir.file("Big.ini"));
        for (int i = 0; i < 20000; ++i)
            ini.WriteString("Section", "Key" + std::to_string(i), "value");
    } // written here, handing control to the event loop as it goes
    saving = false;
    EXPECT_EQ(clicksInsideTheSave, 0);

    QCoreApplication::processEvents();
    EXPECT_EQ(clicks, 1); // the click is not lost, only held back
}
