// The pattern shared by the tabbed browser windows: a tab strip whose last
// tab, "Main Menu", closes the window; one embedded browser below it in a
// bordered panel; 758 x 584, centred, resizable; minimising the window
// minimises the whole program.
#pragma once

#include "browsers/Addresses.h"
#include "platform/gui/TabStrip.h"
#include "WebBrowser.h"

#include <QDialog>

#include <span>

class TBrowserForm : public QDialog {
    Q_OBJECT
public:
    TabStrip* PageControl;
    ::WebBrowser* WebBrowser;

    // Runs when the user selects another tab: the last tab closes the window;
    // a tab with a page shows it.
    virtual void PageControlChange();

protected:
    TBrowserForm(QWidget* owner, const char* caption, std::span<const browsers::TabPage> tabs);

    bool IsLastTab() const { return PageControl->currentIndex() == PageControl->count() - 1; }
    std::span<const browsers::TabPage> Tabs() const { return tabs_; }

    // Minimising this window minimises the whole program instead.
    void changeEvent(QEvent* event) override;

private:
    std::span<const browsers::TabPage> tabs_;
    bool minimizing_ = false;
};
