#include "LegalInformationForm.h"

#include "browsers/ChartFolder.h"
#include "platform/Services.h"
#include "StatusCheckPage.h"

#include <QVBoxLayout>

#include <exception>

namespace {
constexpr int kLegalAidTab = 1, kStatusCheckTab = 2;
}

TLegalInformationForm::TLegalInformationForm(QWidget* owner, const std::string& siteAddress,
                                             int currentYear)
    : TBrowserForm(owner, "Legal Information", browsers::LegalInformationTabs()),
      year_(currentYear ? currentYear : browsers::CurrentYear()) {
    // The status check takes the browser's place while its tab is active.
    statusCheck_ = new StatusCheckPage(this, year_);
    statusCheck_->hide();
    static_cast<QVBoxLayout*>(layout())->addWidget(statusCheck_, 1);
    SetOwnPages(siteAddress, {});
    FormCreate();
}

TLegalInformationForm::~TLegalInformationForm() {
    FormDestroy();
}

void TLegalInformationForm::FormCreate() {
    chartFolder_ = browsers::ChartFolder();
    SetOwnPages(SiteAddress(), chartFolder_);
    try {
        browsers::WriteChart(chartFolder_, year_);
        if (SiteAddress().empty())
            browsers::WriteDocument(chartFolder_, Tabs()[kLegalAidTab].document);
    } catch (const std::exception& e) {
        platform::showError(e.what());
        return;
    }
    PageControlChange();
}

void TLegalInformationForm::PageControlChange() {
    if (IsLastTab())
        close();
    const bool checking = PageControl->currentIndex() == kStatusCheckTab;
    WebBrowser->parentWidget()->setVisible(!checking);
    statusCheck_->setVisible(checking);
    switch (PageControl->currentIndex()) {
    case 0:
        WebBrowser->Navigate(chartFolder_ + browsers::kChartName);
        break;
    case kLegalAidTab:
        WebBrowser->Navigate(TabAddress(kLegalAidTab));
        break;
    default:
        break;
    }
}

void TLegalInformationForm::FormDestroy() {
    browsers::RemoveChartFolder(chartFolder_);
}
