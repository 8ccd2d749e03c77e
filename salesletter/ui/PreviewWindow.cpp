#include "PreviewWindow.h"

#include "browsers/ui/WebBrowser.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

const char kSettingsGroup[] = "PreviewWindow";

// The web engine's pane: shows each page from memory and scrolls it to where
// the page before it was scrolled.
class WebPreviewPane : public PreviewPane {
public:
    explicit WebPreviewPane(QWidget* parent) : PreviewPane(parent) {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        browser_ = new WebBrowser(this);
        layout->addWidget(browser_, 1);
        if (!CanShowPages()) {
            auto* note = new QLabel(tr("The live preview needs the web engine. \"Open in "
                                       "Browser\" shows the page in your web browser instead."),
                                    this);
            note->setObjectName("EngineMissingNote");
            note->setWordWrap(true);
            note->setAlignment(Qt::AlignCenter);
            note->setMargin(12);
            layout->addWidget(note);
        }
        // The page is made of what the user typed: its scripts read no files.
        browser_->DenyScriptFileAccess();
        connect(browser_, &WebBrowser::LoadFinished, this, [this](bool) { loaded(); });
    }

    // The engine answers (or drops) pending script calls as its page goes:
    // the browser goes first, while this pane is whole, and the answers find
    // it gone.
    ~WebPreviewPane() override {
        *alive_ = false;
        browser_->disconnect(this);
        delete browser_;
    }

    // The engine loads once the window is first painted; pages given before
    // then are shown when it has come.
    bool CanShowPages() const override {
        return browser_->HasEngine() || browser_->EnginePending();
    }

    void ShowPage(const std::string& html, const std::string& baseFolder) override {
        if (!CanShowPages())
            return;
        html_ = html;
        folder_ = baseFolder;
        if (reading_)
            return; // the latest page follows the position being read
        if (!shown_ || loading_) {
            // Nothing shown yet, or a page still loading: the position to
            // keep is the one read before.
            giveToEngine();
            return;
        }
        // The page tells where it is scrolled: the engine's own note of it
        // lags a frame behind a page just scrolled into place.
        reading_ = true;
        browser_->RunJavaScript("window.scrollX + ' ' + window.scrollY",
                                [this, alive = alive_](const std::string& where) {
                                    if (!*alive)
                                        return;
                                    reading_ = false;
                                    double x = 0, y = 0;
                                    if (std::sscanf(where.c_str(), "%lf %lf", &x, &y) == 2)
                                        scroll_ = QPointF(x, y);
                                    giveToEngine();
                                });
    }

private:
    void giveToEngine() {
        loading_ = shown_ = true;
        browser_->SetHtml(html_, folder_);
    }

    void loaded() {
        loading_ = false;
        if (scroll_.isNull()) {
            emit PageShown();
            return;
        }
        const std::string script = "window.scrollTo(" + std::to_string(qRound(scroll_.x())) + ", " +
                                   std::to_string(qRound(scroll_.y())) + "); 0";
        browser_->RunJavaScript(script, [this, alive = alive_](const std::string&) {
            if (*alive)
                emit PageShown();
        });
    }

    WebBrowser* browser_ = nullptr;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true); // false once going
    std::string html_, folder_;                                  // the page to show
    QPointF scroll_;       // where pages are scrolled to once loaded
    bool shown_ = false;   // a page was given to the engine
    bool loading_ = false; // ... and is still loading
    bool reading_ = false; // the scroll position is being read
};

bool isPreset(int width) {
    return width == TPreviewWindow::kPhoneWidth || width == TPreviewWindow::kTabletWidth ||
           width == TPreviewWindow::kDesktopWidth;
}

} // namespace

PreviewPane* MakeWebPreviewPane(QWidget* parent) {
    return new WebPreviewPane(parent);
}

TPreviewWindow::TPreviewWindow(const PreviewPaneFactory& makePane, QWidget* owner)
    : QWidget(owner, Qt::Window) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ToolBar = new QToolBar(this);
    ToolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto* widths = new QActionGroup(this);
    const std::pair<QAction**, std::pair<const char*, int>> presets[] = {
        {&actPhone, {"Phone 360", kPhoneWidth}},
        {&actTablet, {"Tablet 768", kTabletWidth}},
        {&actDesktop, {"Desktop 1280", kDesktopWidth}},
    };
    for (const auto& [action, preset] : presets) {
        const int width = preset.second;
        *action = ToolBar->addAction(tr(preset.first));
        (*action)->setCheckable(true);
        (*action)->setToolTip(tr("Lay the page out %1 pixels wide").arg(width));
        widths->addAction(*action);
        connect(*action, &QAction::triggered, this, [this, width] { SetPageWidth(width); });
    }
    ToolBar->addSeparator();
    actReload = ToolBar->addAction(tr("Reload"));
    actReload->setShortcut(QKeySequence::Refresh);
    connect(actReload, &QAction::triggered, this, &TPreviewWindow::reloadRequested);
    actOpenInBrowser = ToolBar->addAction(tr("Open in Browser"));
    actOpenInBrowser->setToolTip(tr("Show the page in your web browser"));
    connect(actOpenInBrowser, &QAction::triggered, this, &TPreviewWindow::openInBrowserRequested);
    layout->addWidget(ToolBar);

    // The same keys that opened the window close it.
    auto* toggle = new QAction(this);
    toggle->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    addAction(toggle);
    connect(toggle, &QAction::triggered, this, &QWidget::close);

    stage_ = new QScrollArea(this);
    stage_->setFrameShape(QFrame::NoFrame);
    stage_->setWidgetResizable(true);
    auto* body = new QWidget;
    auto* row = new QHBoxLayout(body);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch(1);
    pane_ = makePane(body);
    row->addWidget(pane_);
    row->addStretch(1);
    stage_->setWidget(body);
    layout->addWidget(stage_, 1);

    QSettings settings;
    settings.beginGroup(kSettingsGroup);
    const int width = settings.value("pageWidth", kTabletWidth).toInt();
    pageWidth_ = isPreset(width) ? width : kTabletWidth;
    pane_->setFixedWidth(pageWidth_);
    for (const auto& [action, preset] : presets)
        (*action)->setChecked(preset.second == pageWidth_);
    remembered_ = restoreGeometry(settings.value("geometry").toByteArray());
    if (!remembered_)
        resize(std::max(pageWidth_, ToolBar->sizeHint().width()), 600);
}

TPreviewWindow::~TPreviewWindow() = default;

void TPreviewWindow::SetPageWidth(int width) {
    pageWidth_ = width;
    pane_->setFixedWidth(width);
    actPhone->setChecked(width == kPhoneWidth);
    actTablet->setChecked(width == kTabletWidth);
    actDesktop->setChecked(width == kDesktopWidth);
    // Widen or narrow the window to the page, within the screen.
    QRect area = geometry();
    // Never narrower than the toolbar, so that all its buttons show.
    area.setWidth(std::max(width, ToolBar->sizeHint().width()));
    if (QScreen* s = screen()) {
        const QRect room = s->availableGeometry();
        area.setWidth(std::min(area.width(), room.width()));
        if (area.right() > room.right())
            area.moveRight(room.right());
    }
    setGeometry(area);
    remember();
}

void TPreviewWindow::remember() const {
    QSettings settings;
    settings.beginGroup(kSettingsGroup);
    settings.setValue("geometry", saveGeometry());
    settings.setValue("pageWidth", pageWidth_);
}

void TPreviewWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit closedByUser();
}

void TPreviewWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        remember();
}
