// The Legal Information window: the copyright date chart built into the
// program, shown from a file written afresh at every opening, our legal-aid
// page (written beside the chart, or from the product website when one is
// set) and the status check. The chart's folder goes with the window.
#pragma once

#include "BrowserForm.h"
#include "SiteAddress.h"

#include <string>

class StatusCheckPage;

class TLegalInformationForm : public TBrowserForm {
    Q_OBJECT
public:
    // `currentYear` (0: this year) is the year the status check answers for
    // and the date chart is written for.
    explicit TLegalInformationForm(QWidget* owner,
                                   const std::string& siteAddress = ProductSiteAddress(),
                                   int currentYear = 0);
    ~TLegalInformationForm() override;

    // Writes the chart file and shows the first tab. A chart that cannot be
    // written is reported; the window opens all the same, with no page.
    void FormCreate();
    void PageControlChange() override;
    // Removes the chart folder with everything in it.
    void FormDestroy();

    // The folder the chart is written to, ending with a separator.
    const std::string& ChartFolder() const { return chartFolder_; }

    // The "Status Check" tab's form.
    StatusCheckPage* StatusCheck() const { return statusCheck_; }

private:
    int year_;
    std::string chartFolder_;
    StatusCheckPage* statusCheck_ = nullptr;
};
