// The wizard's live preview: keeps the "Live Preview" button, the View menu's
// "&Preview Window" mark and the preview window in step, and refreshes the
// window's page after the user pauses typing.
//
// Made by the wizard with itself as parent. The preview window (and with it
// the web engine) is made when the preview is first turned on, so the
// wizard's start costs no engine. The page is compiled in memory with the
// same compiler as Finish; nothing is written to the program folder.
#pragma once

#include "PreviewWindow.h"

#include <QObject>

class QTimer;
class TCreateSaleslettersForm;

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

    // Compiles the record now and shows the page (the end of a pause, Reload).
    void Refresh();

    // The compile of the record that the window shows: the page, or a short
    // page that tells why none could be compiled.
    std::string CurrentPage() const;

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

    TCreateSaleslettersForm* form_;
    PreviewPaneFactory makePane_;
    TPreviewWindow* window_ = nullptr;
    QTimer* pause_ = nullptr;
};
