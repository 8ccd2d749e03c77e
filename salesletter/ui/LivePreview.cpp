#include "LivePreview.h"

#include "CreateSaleslettersForm.h"

#include "platform/FileSystem.h"
#include "platform/gui/Text.h"
#include "salesletter/Compiler.h"

#include <QAction>
#include <QEvent>
#include <QPromise>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <exception>
#include <map>
#include <memory>
#include <mutex>

using platform::fromQ;
using platform::toQ;

namespace {

const char kWizardCaptionPrefix[] = "Create Salesletters - ";

// Keeps the preview in step with the wizard's visibility: a wizard that closes
// takes the preview with it.
class WizardWatch : public QObject {
public:
    WizardWatch(QObject* parent, std::function<void()> hidden)
        : QObject(parent), hidden_(std::move(hidden)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide && !event->spontaneous())
            hidden_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> hidden_;
};

} // namespace

TLivePreview::TLivePreview(TCreateSaleslettersForm* form)
    : QObject(form), form_(form), makePane_(MakeWebPreviewPane) {
    pause_ = new QTimer(this);
    pause_->setSingleShot(true);
    pause_->setInterval(kPauseMs);
    pause_->setTimerType(Qt::PreciseTimer);
    connect(pause_, &QTimer::timeout, this, &TLivePreview::Refresh);
    compile_ = new QFutureWatcher<std::string>(this);
    connect(compile_, &QFutureWatcher<std::string>::finished, this, &TLivePreview::compiled);

    QPushButton* button = form->btnLivePreview;
    connect(button, &QPushButton::toggled, this, &TLivePreview::SetShown);
    connect(form->PreviewWindow1, &QAction::triggered, button, &QPushButton::setChecked);
    auto* keys = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P), form);
    connect(keys, &QShortcut::activated, button, &QPushButton::toggle);

    connect(form, &TCreateSaleslettersForm::letterEdited, this, &TLivePreview::letterChanged);
    connect(form, &TCreateSaleslettersForm::letterReplaced, this, &TLivePreview::letterChanged);
    connect(form, &QWidget::windowTitleChanged, this, &TLivePreview::updateCaption);
    form->installEventFilter(new WizardWatch(this, [button] { button->setChecked(false); }));
}

bool TLivePreview::IsShown() const {
    return window_ && window_->isVisible();
}

void TLivePreview::SetShown(bool shown) {
    if (shown && !IsShown()) {
        ensureWindow();
        window_->show();
        window_->raise();
        Refresh();
    } else if (!shown && window_) {
        pause_->stop();
        window_->hide();
    }
    form_->btnLivePreview->setChecked(shown);
    form_->PreviewWindow1->setChecked(shown);
}

void TLivePreview::ensureWindow() {
    if (window_)
        return;
    window_ = new TPreviewWindow(makePane_, form_);
    updateCaption();
    if (!window_->HasRememberedGeometry())
        placeBesideForm();
    connect(window_, &TPreviewWindow::closedByUser, form_->btnLivePreview,
            [this] { form_->btnLivePreview->setChecked(false); });
    connect(window_, &TPreviewWindow::reloadRequested, this, &TLivePreview::Refresh);
    connect(window_, &TPreviewWindow::openInBrowserRequested, form_,
            &TCreateSaleslettersForm::btnPreviewClick);
    connect(window_->Pane(), &PreviewPane::PageShown, this, &TLivePreview::pageShown);
}

PreviewPlacement PlacePreview(const QRect& wizard, const QSize& preview, const QRect& room,
                              int narrowest) {
    PreviewPlacement out{QRect(), wizard.topLeft()};
    const int height = std::min(std::max(wizard.height(), preview.height()), room.height());
    int width = std::min(preview.width(), room.width());
    int x = 0;
    if (room.right() - wizard.right() >= width) {
        x = wizard.right() + 1; // right of the wizard
    } else if (wizard.left() - room.left() >= width) {
        x = wizard.left() - width; // left of it
    } else if (room.width() >= wizard.width() + width) {
        // The two side by side, centred: the wizard moves aside.
        out.wizardAt.setX(room.left() + (room.width() - wizard.width() - width) / 2);
        x = out.wizardAt.x() + wizard.width();
    } else if (room.width() - wizard.width() >= narrowest) {
        // Narrower, beside the wizard at the screen's left edge.
        out.wizardAt.setX(room.left());
        width = room.width() - wizard.width();
        x = room.left() + wizard.width();
    } else {
        // No room for both: the wider side, as little over the wizard as can be.
        width = std::min(narrowest, room.width());
        const bool right = room.right() - wizard.right() >= wizard.left() - room.left();
        x = right ? room.right() + 1 - width : room.left();
    }
    int top = std::clamp(wizard.top(), room.top(), room.bottom() + 1 - height);
    out.preview = QRect(x, top, width, height);
    return out;
}

// First time out: beside the wizard (see PlacePreview); later where the user
// left it.
void TLivePreview::placeBesideForm() {
    QScreen* s = form_->screen();
    if (!s) {
        window_->move(form_->frameGeometry().topRight() + QPoint(1, 0));
        return;
    }
    const PreviewPlacement place =
        PlacePreview(form_->frameGeometry(), QSize(window_->width(), 600), s->availableGeometry(),
                     TPreviewWindow::kPhoneWidth);
    if (place.wizardAt != form_->frameGeometry().topLeft())
        form_->move(place.wizardAt);
    window_->setGeometry(place.preview);
}

void TLivePreview::updateCaption() {
    if (!window_)
        return;
    QString project = form_->windowTitle();
    if (project.startsWith(kWizardCaptionPrefix))
        project.remove(0, int(sizeof kWizardCaptionPrefix) - 1);
    window_->setWindowTitle(tr("Preview - %1").arg(project));
}

void TLivePreview::letterChanged() {
    if (IsShown())
        pause_->start(); // each change starts the pause again
}

namespace {

// The running program's templates do not change while it runs, so the preview
// reads each from the executable once (a read reloads the whole image, tens of
// milliseconds) and fills it at every refresh as Finish does. Finish itself
// reads afresh.
std::string templateFor(const TSalesLetter& letter) {
    static std::mutex mutex;
    static std::map<std::string, std::string> read;
    const std::string key = platform::programPath() + '\n' + TemplateDocumentName(letter);
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (auto it = read.find(key); it != read.end())
            return it->second;
    }
    std::string text = ReadTemplate(letter);
    const std::lock_guard<std::mutex> lock(mutex);
    return read.emplace(key, std::move(text)).first->second;
}

} // namespace

std::string TLivePreview::PageFor(const TSalesLetter& letter, const std::string& baseFolder) {
    try {
        // The page as Finish publishes it, its pictures found as Finish finds them.
        PageContext context = DefaultPageContext();
        context.baseFolder = baseFolder;
        return BuildSalesPage(letter, templateFor(letter), context);
    } catch (const std::exception& e) {
        const QString reason = toQ(e.what()).toHtmlEscaped();
        return fromQ(tr("<html><body><p>The page cannot be compiled.</p><p>%1</p></body></html>")
                         .arg(reason));
    }
}

void TLivePreview::Refresh() {
    pause_->stop();
    if (!IsShown() || !window_->Pane()->CanShowPages())
        return;
    emit refreshStarted();
    if (compile_->isRunning())
        again_ = true;
    else
        startCompile();
}

void TLivePreview::startCompile() {
    again_ = false;
    // Relative picture addresses point into the project's folder, as they
    // would beside the page that Finish writes there.
    folder_ = form_->PictureFolder();
    auto promise = std::make_shared<QPromise<std::string>>();
    promise->start(); // running from now: later refreshes wait for it
    compile_->setFuture(promise->future());
    QThreadPool::globalInstance()->start([promise, letter = form_->Letter(), folder = folder_] {
        promise->addResult(PageFor(letter, folder));
        promise->finish();
    });
}

void TLivePreview::compiled() {
    if (again_) {
        startCompile(); // the record changed meanwhile: that page is out of date
        return;
    }
    if (IsShown() && compile_->future().resultCount() > 0)
        window_->Pane()->ShowPage(compile_->result(), folder_);
}
