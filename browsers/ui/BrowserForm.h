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
#include <string>

class TBrowserForm : public QDialog {
    Q_OBJECT
public:
    TabStrip* PageControl;
    ::WebBrowser* WebBrowser;

    // Runs when the user selects another tab: the last tab closes the window;
    // a tab with a page shows it.
    virtual void PageControlChange();
    ~TBrowserForm() override;

    // The address tab `index` shows (our own pages: offline or from the
    // product website).
    std::string TabAddress(int index) const;

protected:
    TBrowserForm(QWidget* owner, const char* caption, std::span<const browsers::TabPage> tabs);

    // Our own pages come from `siteAddress` when it is set; otherwise they are
    // written now into the private folder `folderName` (removed with the
    // window). A page that cannot be written is reported.
    void UseOwnPages(const std::string& siteAddress, const char* folderName);
    // The same with pages the window writes into a folder it manages itself.
    void SetOwnPages(const std::string& siteAddress, const std::string& pagesFolder);
    const std::string& SiteAddress() const { return siteAddress_; }

    bool IsLastTab() const { return PageControl->currentIndex() == PageControl->count() - 1; }
    std::span<const browsers::TabPage> Tabs() const { return tabs_; }

    // Minimising this window minimises the whole program instead.
    void changeEvent(QEvent* event) override;

private:
    std::span<const browsers::TabPage> tabs_;
    bool minimizing_ = false;
    std::string siteAddress_, pagesFolder_;
    bool ownsPagesFolder_ = false;
};
