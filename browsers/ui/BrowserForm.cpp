#include "BrowserForm.h"

#include "browsers/ChartFolder.h"
#include "platform/gui/Handlers.h"
#include "platform/gui/Text.h"
#include "platform/Services.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

#include <exception>

TBrowserForm::TBrowserForm(QWidget* owner, const char* caption,
                           std::span<const browsers::TabPage> tabs)
    : QDialog(owner, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      tabs_(tabs) {
    setWindowTitle(platform::toQ(caption));
    setSizeGripEnabled(true);

    PageControl = new TabStrip(this);
    for (const browsers::TabPage& tab : tabs)
        PageControl->addTab(QString::fromLatin1(tab.name), platform::toQ(tab.caption));

    auto* panel = new QFrame(this);
    panel->setObjectName("BrowserPanel");
    panel->setFrameShape(QFrame::Box);
    panel->setStyleSheet("#BrowserPanel { border: 1px solid #B8B5B0; background: #FFFFFF; }");
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(1, 1, 1, 1);
    WebBrowser = new ::WebBrowser(panel);
    WebBrowser->setObjectName("WebBrowser");
    // Our own pages are shown here; where their links lead out, the user's
    // browser opens them.
    WebBrowser->OpenLinksLeadingOutInUserBrowser();
    panelLayout->addWidget(WebBrowser);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(0);
    layout->addWidget(PageControl);
    layout->addWidget(panel, 1);

    platform::connectGuarded(PageControl, &TabStrip::currentChanged, this,
                             [this] { PageControlChange(); });

    // Keyboard switching between tabs, as in a tab control.
    auto step = [this](int by) {
        const int n = PageControl->count();
        PageControl->setCurrentIndex((PageControl->currentIndex() + by + n) % n);
    };
    platform::connectGuarded(new QShortcut(QKeySequence::NextChild, this), &QShortcut::activated,
                             this, [step] { step(1); });
    platform::connectGuarded(new QShortcut(QKeySequence::PreviousChild, this),
                             &QShortcut::activated, this, [step] { step(-1); });

    resize(758, 584);
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

TBrowserForm::~TBrowserForm() {
    if (ownsPagesFolder_)
        browsers::RemoveChartFolder(pagesFolder_);
}

void TBrowserForm::UseOwnPages(const std::string& siteAddress, const char* folderName) {
    siteAddress_ = siteAddress;
    if (!siteAddress.empty())
        return;
    pagesFolder_ = browsers::PagesFolder(folderName);
    ownsPagesFolder_ = true;
    try {
        for (const browsers::TabPage& tab : tabs_)
            if (*tab.document)
                browsers::WriteDocument(pagesFolder_, tab.document);
    } catch (const std::exception& e) {
        platform::showError(e.what());
    }
}

void TBrowserForm::SetOwnPages(const std::string& siteAddress, const std::string& pagesFolder) {
    siteAddress_ = siteAddress;
    pagesFolder_ = pagesFolder;
    ownsPagesFolder_ = false;
}

std::string TBrowserForm::TabAddress(int index) const {
    if (index < 0 || index >= static_cast<int>(tabs_.size()))
        return {};
    return browsers::TabAddress(tabs_[index], siteAddress_, pagesFolder_);
}

void TBrowserForm::PageControlChange() {
    if (IsLastTab())
        close();
    const std::string address = TabAddress(PageControl->currentIndex());
    if (!address.empty())
        WebBrowser->Navigate(address);
}

void TBrowserForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized) &&
        !minimizing_) {
        minimizing_ = true;
        platform::services().minimizeApplication();
        minimizing_ = false;
    }
}
