#include "app/ui/MainForm.h"
#include "platform/gui/QtServices.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName("Quillmere");
    platform::QtServices services;
    platform::setServices(&services);
    TMainForm form;
    form.show();
    int rc = app.exec();
    platform::setServices(nullptr);
    return rc;
}
