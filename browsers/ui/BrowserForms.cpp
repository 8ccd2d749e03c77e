#include "BrowserForms.h"

TProjectGutenbergForm::TProjectGutenbergForm(QWidget* owner)
    : TBrowserForm(owner, "Project Gutenberg", browsers::ProjectGutenbergTabs()) {
    FormCreate();
}

void TProjectGutenbergForm::FormCreate() {
    WebBrowser->Navigate(Tabs()[0].address);
}

void TProjectGutenbergForm::PageControlChange() {
    if (IsLastTab())
        close();
}

TResearchForm::TResearchForm(QWidget* owner)
    : TBrowserForm(owner, "Research", browsers::ResearchTabs()) {
    FormCreate();
}

void TResearchForm::FormCreate() {
    PageControlChange();
}

TDerivativeWorksForm::TDerivativeWorksForm(QWidget* owner, const std::string& siteAddress)
    : TBrowserForm(owner, "Derivative Works", browsers::DerivativeWorksTabs()) {
    UseOwnPages(siteAddress, "DW");
    FormCreate();
}

void TDerivativeWorksForm::FormCreate() {
    PageControlChange();
}

TeCommerceForm::TeCommerceForm(QWidget* owner, const std::string& siteAddress)
    : TBrowserForm(owner, "eCommerce", browsers::ECommerceTabs()) {
    UseOwnPages(siteAddress, "EC");
    FormCreate();
}

void TeCommerceForm::FormCreate() {
    PageControlChange();
}
