#include "LegalInformationForm.h"

#include "browsers/ChartFolder.h"
#include "platform/Services.h"

#include <exception>

TLegalInformationForm::TLegalInformationForm(QWidget* owner)
    : TBrowserForm(owner, "Legal Information", browsers::LegalInformationTabs()) {
    FormCreate();
}

TLegalInformationForm::~TLegalInformationForm() {
    FormDestroy();
}

void TLegalInformationForm::FormCreate() {
    chartFolder_ = browsers::ChartFolder();
    try {
        browsers::WriteChart(chartFolder_);
    } catch (const std::exception& e) {
        platform::showError(e.what());
        return;
    }
    PageControlChange();
}

void TLegalInformationForm::PageControlChange() {
    if (IsLastTab())
        close();
    switch (PageControl->currentIndex()) {
    case 0:
        WebBrowser->Navigate(chartFolder_ + browsers::kChartName);
        break;
    case 1:
        WebBrowser->Navigate(Tabs()[1].address);
        break;
    default:
        break;
    }
}

void TLegalInformationForm::FormDestroy() {
    browsers::RemoveChartFolder(chartFolder_);
}
