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

TDerivativeWorksForm::TDerivativeWorksForm(QWidget* owner)
    : TBrowserForm(owner, "Derivative Works", browsers::DerivativeWorksTabs()) {
    FormCreate();
}

void TDerivativeWorksForm::FormCreate() {
    PageControlChange();
}

TeCommerceForm::TeCommerceForm(QWidget* owner)
    : TBrowserForm(owner, "eCommerce", browsers::ECommerceTabs()) {
    FormCreate();
}

void TeCommerceForm::FormCreate() {
    PageControlChange();
}
