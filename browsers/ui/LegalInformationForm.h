// The Legal Information window: the copyright date chart built into the
// program, shown from a file written afresh at every opening, and the
// product website's legal-aid page. The chart's folder goes with the window.
#pragma once

#include "BrowserForm.h"

#include <string>

class TLegalInformationForm : public TBrowserForm {
    Q_OBJECT
public:
    explicit TLegalInformationForm(QWidget* owner);
    ~TLegalInformationForm() override;

    // Writes the chart file and shows the first tab. A chart that cannot be
    // written is reported; the window opens all the same, with no page.
    void FormCreate();
    void PageControlChange() override;
    // Removes the chart folder with everything in it.
    void FormDestroy();

    // The folder the chart is written to, ending with a separator.
    const std::string& ChartFolder() const { return chartFolder_; }

private:
    std::string chartFolder_;
};
