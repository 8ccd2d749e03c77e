#include "MainForm.h"

#include "app/Brand.h"
#include "platform/Services.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>

#include <memory>

TMainForm* MainForm = nullptr;

namespace {

QImage resourceImage(const QString& name) {
    return QImage(":/app/" + name + ".png");
}

} // namespace

TMainForm::TMainForm(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    Q_INIT_RESOURCE(app);
    MainForm = this;
    setObjectName("MainForm");
    // The window has no title bar; its title is what the task bar shows for
    // the program, the application's title.
    setWindowTitle(QApplication::applicationDisplayName());
    setWindowIcon(QIcon(":/app/icon.png"));

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setPixmap(QPixmap::fromImage(resourceImage("background")));
    Image1->move(0, 0);
    Image1->resize(752, 552);

    btnDerivativeWorks = addButton("btnDerivativeWorks", "derivativeworks", 288, 384,
                                   &TMainForm::btnDerivativeWorksClick);
    btnManageProjects = addButton("btnManageProjects", "manageprojects", 280, 141,
                                  &TMainForm::btnManageProjectsClick);
    btnLegalInformation = addButton("btnLegalInformation", "legalinformation", 91, 314,
                                    &TMainForm::btnLegalInformationClick);
    btnProjectGutenberg = addButton("btnProjectGutenberg", "projectgutenberg", 465, 202,
                                    &TMainForm::btnProjectGutenbergClick);
    btnResearch = addButton("btnResearch", "research", 500, 325, &TMainForm::btnResearchClick);
    btneCommerce = addButton("btneCommerce", "ecommerce", 123, 204, &TMainForm::btneCommerceClick);
    btnExit = addButton("btnExit", "exit", 635, 506, &TMainForm::btnExitClick);
    btnCreateSalesletters = addButton("btnCreateSalesletters", "createsalesletters", 274, 258,
                                      &TMainForm::btnCreateSaleslettersClick);
    btnFernwick = addButton("btnFernwick", "fernwick", 576, 133, &TMainForm::btnFernwickClick);
    btnHollowmark =
        addButton("btnHollowmark", "hollowmark", 16, 129, &TMainForm::btnHollowmarkClick);
    btnMinimize = addButton("btnMinimize", "minimize", 664, 5, &TMainForm::btnMinimizeClick);

    // The window sizes itself to its background picture and opens centred.
    setFixedSize(752, 552);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    // Key preview: the window sees every key press before its controls do.
    qApp->installEventFilter(this);
}

TMainForm::~TMainForm() {
    if (MainForm == this)
        MainForm = nullptr;
}

TSkinButton* TMainForm::addButton(const char* name, const char* image, int left, int top,
                                  void (TMainForm::*handler)(QObject*)) {
    auto* button = new TSkinButton(this);
    button->setObjectName(name);
    button->setCursor(Qt::PointingHandCursor);
    const QString base = QString::fromLatin1(image);
    button->SetDownBitmap(resourceImage(base + "_down"));
    button->SetDefaultBitmap(resourceImage(base + "_default"));
    button->SetHighlightBitmap(resourceImage(base + "_highlight"));
    button->SetPressedBitmap(resourceImage(base + "_pressed"));
    button->move(left, top);
    button->OnClick = [this, handler](QObject* sender) { (this->*handler)(sender); };
    return button;
}

void TMainForm::setModuleFactory(Module module, ModuleFactory factory) {
    factories_[module] = std::move(factory);
}

void TMainForm::setModulePageSelector(Module module, ModulePageSelector selector) {
    selectors_[module] = std::move(selector);
}

void TMainForm::setVisible(bool visible) {
    if (visible && !isVisible()) {
        FormShow();
        if (terminated_)
            return;
    }
    QWidget::setVisible(visible);
}

void TMainForm::FormShow() {
    BrandFileLine first = ReadBrandFileLine(BrandFilePath());
    switch (first.status) {
    case BrandReadStatus::Unreadable:
        platform::messageBox(NotBrandedText(), "Warning", platform::Icon::Warning,
                             platform::Buttons::Ok);
        terminate();
        return;
    case BrandReadStatus::NoLine:
        // The file has no line 0; the brand stays as it was.
        platform::showError("List index out of bounds (0)");
        return;
    case BrandReadStatus::Ok:
        Brand = DecodeBrand(first.line);
        return;
    }
}

void TMainForm::terminate() {
    terminated_ = true;
    close();
}

void TMainForm::FormKeyPress(char key) {
    if (key == 27)
        close();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            FormKeyPress(27);
            return true;
        }
        const QByteArray text = key->text().toLatin1();
        if (text.size() == 1)
            FormKeyPress(text[0]);
    }
    return QWidget::eventFilter(watched, event);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closed();
}

void TMainForm::launch(Module module, int pageIndex) {
    auto factory = factories_.find(module);
    if (factory == factories_.end() || !factory->second)
        return;
    hide();
    QPointer<QDialog> form;
    // Frees the module window (unless it freed itself) and shows the menu again.
    auto finish = [&] {
        delete form.data();
        show();
    };
    try {
        form = factory->second(this);
        if (form) {
            form->setAttribute(Qt::WA_QuitOnClose, false);
            auto selector = selectors_.find(module);
            if (pageIndex >= 0 && selector != selectors_.end() && selector->second)
                selector->second(form, pageIndex, this);
            form->exec();
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TMainForm::LaunchModule(Module module) {
    launch(module, -1);
}

void TMainForm::LaunchModuleOnPage(Module module, int pageIndex) {
    launch(module, pageIndex);
}

void TMainForm::btnManageProjectsClick(QObject*) {
    LaunchModule(Module::ManageProjects);
}
void TMainForm::btnProjectGutenbergClick(QObject*) {
    LaunchModule(Module::ProjectGutenberg);
}
void TMainForm::btnResearchClick(QObject*) {
    LaunchModule(Module::Research);
}
void TMainForm::btnDerivativeWorksClick(QObject*) {
    LaunchModule(Module::DerivativeWorks);
}
void TMainForm::btnLegalInformationClick(QObject*) {
    LaunchModule(Module::LegalInformation);
}
void TMainForm::btneCommerceClick(QObject*) {
    LaunchModule(Module::eCommerce);
}
void TMainForm::btnCreateSaleslettersClick(QObject*) {
    LaunchModule(Module::CreateSalesletters);
}
void TMainForm::btnHollowmarkClick(QObject*) {
    LaunchModuleOnPage(Module::ManageProjects, 1);
}
void TMainForm::btnFernwickClick(QObject*) {
    LaunchModuleOnPage(Module::ManageProjects, 2);
}
void TMainForm::btnExitClick(QObject*) {
    close();
}
void TMainForm::btnMinimizeClick(QObject*) {
    platform::services().minimizeApplication();
}
