// The live preview's window: the page compiled from the wizard's record, in
// its own window beside the wizard, with width presets, Reload and "Open in
// Browser". The window only shows pages; TLivePreview decides when.
#pragma once

#include <QWidget>

#include <functional>
#include <string>

class QAction;
class QLabel;
class QScrollArea;
class QToolBar;

// What the preview shows its pages in: the web engine's browser in the
// program, a stand-in in tests that have no use for the engine.
class PreviewPane : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    // Whether this pane can show pages at all (false: it says why instead).
    virtual bool CanShowPages() const = 0;

    // Shows `html` in place of the page shown, at the same scroll position;
    // relative addresses in it point into the local folder `baseFolder`.
    // Does not wait: PageShown follows.
    virtual void ShowPage(const std::string& html, const std::string& baseFolder) = 0;

signals:
    // The page last given to ShowPage is shown and scrolled into place.
    void PageShown();
};

using PreviewPaneFactory = std::function<PreviewPane*(QWidget* parent)>;

// The pane of the web engine (the engine loads with the first one made).
PreviewPane* MakeWebPreviewPane(QWidget* parent);

class TPreviewWindow : public QWidget {
    Q_OBJECT
public:
    // The page widths the toolbar offers, in pixels.
    static constexpr int kPhoneWidth = 360;
    static constexpr int kTabletWidth = 768;
    static constexpr int kDesktopWidth = 1280;

    // A window (not yet shown) that belongs to `owner` and shows its pages in
    // a pane made by `makePane`. Position, size and page width are those the
    // user left it with last time, if any.
    TPreviewWindow(const PreviewPaneFactory& makePane, QWidget* owner);
    ~TPreviewWindow() override;

    PreviewPane* Pane() const { return pane_; }

    // The width the page is laid out at; the window widens to it where the
    // screen has room (else the page scrolls sideways).
    void SetPageWidth(int width);
    int PageWidth() const { return pageWidth_; }

    // Whether a position and size were remembered from an earlier run.
    bool HasRememberedGeometry() const { return remembered_; }

    QToolBar* ToolBar = nullptr;
    QAction* actPhone = nullptr;
    QAction* actTablet = nullptr;
    QAction* actDesktop = nullptr;
    QAction* actReload = nullptr;
    QAction* actOpenInBrowser = nullptr;

signals:
    void reloadRequested();
    void openInBrowserRequested();
    // The user closed the window (close box or Ctrl+Shift+P).
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void remember() const;

    PreviewPane* pane_ = nullptr;
    QScrollArea* stage_ = nullptr;
    int pageWidth_ = kTabletWidth;
    bool remembered_ = false;
};
