// The program's entry: start-up routines, the application's title, the main
// menu, the message loop, end routines.
#include "app/ui/Application.h"
#include "app/ui/MainForm.h"
#include "archive/ExeMod.h"
#include "browsers/ui/BrowserForms.h"
#include "browsers/ui/LegalInformationForm.h"
#include "platform/DataFolder.h"
#ifdef QM_HAVE_PUBLISH
#include "platform/gui/QtKeyStore.h"
#endif
#include "platform/gui/QtServices.h"
#include "salesletter/Recovery.h"
#include "salesletter/ui/CreateSaleslettersForm.h"
#include "salesletter/ui/RecoveryKeeper.h"
#include "workspace/ui/ManageProjectsForm.h"

#include <QElapsedTimer>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// Module windows. Each button of the main menu opens the window registered
// for its module here. The windows are created only when their button is
// clicked, so the web engine is not loaded before a browser page is needed.
void registerModules(TMainForm& form) {
    using Module = TMainForm::Module;
    // The workspace's web pages are built from the brand the menu read last.
    form.setModuleFactory(Module::ManageProjects, [&form](QWidget* owner) {
        return new TManageProjectsForm(owner, form.Brand);
    });
    // btnHollowmark and btnFernwick open the workspace window on their page.
    form.setModulePageSelector(Module::ManageProjects, [](QDialog* d, int page, QObject*) {
        auto* f = static_cast<TManageProjectsForm*>(d);
        f->PageControl->setCurrentIndex(page);
        f->PageControlChange();
    });
    // The wizard keeps a recovery copy of what is typed, and offers one left
    // behind once it is on screen.
    form.setModuleFactory(Module::CreateSalesletters, [](QWidget* owner) {
        auto* wizard = new TCreateSaleslettersForm(owner);
        auto* keeper = new RecoveryKeeper(*wizard, RecoveryFolder());
        QTimer::singleShot(0, keeper, &RecoveryKeeper::offerRestore);
        return wizard;
    });
    form.setModuleFactory(Module::ProjectGutenberg,
                          [](QWidget* owner) { return new TProjectGutenbergForm(owner); });
    form.setModuleFactory(Module::Research,
                          [](QWidget* owner) { return new TResearchForm(owner); });
    form.setModuleFactory(Module::DerivativeWorks,
                          [](QWidget* owner) { return new TDerivativeWorksForm(owner); });
    form.setModuleFactory(Module::eCommerce,
                          [](QWidget* owner) { return new TeCommerceForm(owner); });
    form.setModuleFactory(Module::LegalInformation,
                          [](QWidget* owner) { return new TLegalInformationForm(owner); });
}

// QM_EXIT_AFTER_FIRST_PAINT=1 makes the program print the milliseconds from
// its start to the main menu's first complete paint and end; the start-up
// benchmark uses it.
class FirstPaintProbe : public QObject {
public:
    FirstPaintProbe(QWidget* window, const QElapsedTimer& clock) : window_(window), clock_(clock) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Paint && !done_) {
            done_ = true;
            // Report once the paint has been delivered and the frame flushed.
            QTimer::singleShot(0, this, [this] {
                std::printf("first-paint-ms %lld\n", static_cast<long long>(clock_.elapsed()));
                std::fflush(stdout);
                window_->close();
            });
        }
        return false;
    }

private:
    QWidget* window_;
    const QElapsedTimer& clock_;
    bool done_ = false;
};

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();

    // The embedded browser shares its drawing context with the windows; this
    // must be set before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    TApplication app(argc, argv);
    // Closing a module window while the menu is hidden must not end the
    // program: only the main window's closing does.
    app.setQuitOnLastWindowClosed(false);
    platform::QtServices services;
    platform::setServices(&services);
#ifdef QM_HAVE_PUBLISH
    platform::QtKeyStore keyStore; // publish passwords
    platform::setKeyStore(&keyStore);
#endif

    // 1. Start-up routines; no window exists yet.
    ExeMod::ArchiveStartup(argc, argv);
    if (const std::string problem = platform::dataFolderProblem(); !problem.empty()) {
        services.messageBox(problem, "Error", platform::Icon::Error, platform::Buttons::Ok);
        return 1;
    }

    // 2. The application's title, what the task bar shows.
    // Settings (the preview window's place, SiteAddress) live in
    // ~/.config/Quillmere/Quillmere.conf, or under HKCU\Software\Quillmere.
    QApplication::setOrganizationName("Quillmere");
    QApplication::setApplicationName("Quillmere");
    QApplication::setApplicationDisplayName("Quillmere");

    // 3. The main window.
    int rc = 0;
    {
        TMainForm form;
        registerModules(form);
        QObject::connect(&form, &TMainForm::closed, &app, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        std::unique_ptr<FirstPaintProbe> probe;
        if (qEnvironmentVariableIntValue("QM_EXIT_AFTER_FIRST_PAINT") == 1)
            probe = std::make_unique<FirstPaintProbe>(&form, clock);

        // 4. The message loop: it first shows the main window (which reads
        // the brand), then takes an end request made before it on its first turn.
        form.show();
        if (!form.Terminated()) {
            if (ExeMod::EndRequested())
                QTimer::singleShot(0, &form, &QWidget::close);
            rc = app.exec();
        }
    }

    // 5. End routines.
    ExeMod::ArchiveShutdown();
    platform::setServices(nullptr);
    return rc;
}
