// The four browser windows that show fixed web pages. Each is created by the
// main menu as `new TXxxForm(owner)`, shown modally and freed when it closes.
#pragma once

#include "BrowserForm.h"
#include "SiteAddress.h"

#include <string>

// One tab with the Project Gutenberg home page, loaded once when the window is
// created; changing tabs never reloads it, so the user's own navigation stays.
class TProjectGutenbergForm : public TBrowserForm {
    Q_OBJECT
public:
    explicit TProjectGutenbergForm(QWidget* owner);
    void FormCreate();
    void PageControlChange() override;
};

// Twelve research sites on tabs in several rows; one browser below them.
class TResearchForm : public TBrowserForm {
    Q_OBJECT
public:
    explicit TResearchForm(QWidget* owner);
    void FormCreate();
};

// Our pages on derivative works: shipped with the program, or from the
// product website at `siteAddress` when one is set.
class TDerivativeWorksForm : public TBrowserForm {
    Q_OBJECT
public:
    explicit TDerivativeWorksForm(QWidget* owner,
                                  const std::string& siteAddress = ProductSiteAddress());
    void FormCreate();
};

// Our pages on hosting and shopping carts, shipped or from the product website.
class TeCommerceForm : public TBrowserForm {
    Q_OBJECT
public:
    explicit TeCommerceForm(QWidget* owner, const std::string& siteAddress = ProductSiteAddress());
    void FormCreate();
};
