// The wizard's live preview: keeps the "Live Preview" button, the View menu's
// "&Preview Window" mark and the preview window in step, and refreshes the
// window's page after the user pauses typing.
//
// Made by the wizard with itself as parent. The preview window (and with it
// the web engine) is made when the preview is first turned on, so the
// wizard's start costs no engine. The page is compiled in memory with the
// same compiler as Finish, off the window's thread; nothing is written to the
// program folder.
#pragma once

#include "PreviewWindow.h"

#include "salesletter/SalesLetter.h"

#include <QFutureWatcher>
#include <QObject>
#include <QRect>

class QTimer;
class TCreateSaleslettersForm;

// Where the preview window goes the first time, on a screen whose free area
// is `room`: beside the wizard (frame `wizard`) at its wished size when there
// is room on either side; else beside it with the wizard moved aside, when the
// two fit side by side; else narrower (down to `narrowest`) beside the wizard
// moved to the screen's edge; only when not even that fits, over the wizard's
// side. The preview is at least as tall as the wizard, within the screen.
struct PreviewPlacement {
    QRect preview;   // the preview window's area
    QPoint wizardAt; // where the wizard's frame goes (unchanged unless moved aside)
};
PreviewPlacement PlacePreview(const QRect& wizard, const QSize& preview, const QRect& room,
                              int narrowest);

class TLivePreview : public QObject {
    Q_OBJECT
public:
    // Quiet time after the last change before the page is refreshed.
    static constexpr int kPauseMs = 300;

    explicit TLivePreview(TCreateSaleslettersForm* form);

    // What the window shows pages in; the web engine's pane unless set
    // before the window is first made.
    void SetPaneFactory(PreviewPaneFactory factory) { makePane_ = std::move(factory); }

    // Shows or hides the preview window, with the button and mark.
    void SetShown(bool shown);
    bool IsShown() const;

    // The window, or null before the preview was first turned on.
    TPreviewWindow* Window() const { return window_; }

    // Compiles the record now and shows the page (the end of a pause,
    // Reload). The compile runs on a worker thread; a refresh asked for while
    // one runs follows it with the record as it is then.
    void Refresh();

    // The page compiled from `letter`, or a short page that tells why none
    // could be compiled. Any thread.
    static std::string PageFor(const TSalesLetter& letter);

signals:
    // A refresh begins (the pause ended or Reload was pressed).
    void refreshStarted();
    // The page of the last refresh is shown.
    void pageShown();

private:
    void letterChanged();
    void ensureWindow();
    void placeBesideForm();
    void updateCaption();
    void startCompile();
    void compiled();

    TCreateSaleslettersForm* form_;
    PreviewPaneFactory makePane_;
    TPreviewWindow* window_ = nullptr;
    QTimer* pause_ = nullptr;
    QFutureWatcher<std::string>* compile_ = nullptr;
    std::string folder_; // where the page being compiled points relative addresses
    bool again_ = false; // another refresh was asked for during the compile
};
