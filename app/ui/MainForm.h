// The main menu window: one instance for the whole run, reachable as MainForm.
//
// A borderless 752 x 552 picture with eleven skinned buttons. Nine open a
// module window (hiding the menu while it is open), one minimises the
// application and one ends it. Every showing of the window reads the brand
// file afresh; restoring it after a minimise is not a showing.
#pragma once

#include "SkinButton.h"

#include <QDialog>
#include <QLabel>
#include <QWidget>

#include <functional>
#include <map>
#include <string>

class TMainForm : public QWidget {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // The reseller's affiliate name, read from the brand file at every showing.
    std::string Brand;

    // Module windows are registered by the program's entry, so this window
    // does not depend on the modules (which read Brand from it).
    enum class Module {
        ManageProjects,
        CreateSalesletters,
        ProjectGutenberg,
        Research,
        DerivativeWorks,
        eCommerce,
        LegalInformation,
    };
    // Creates the module window with `owner` as its owner.
    using ModuleFactory = std::function<QDialog*(QWidget* owner)>;
    void setModuleFactory(Module module, ModuleFactory factory);

    // Opens a page of a freshly created module window before it is shown:
    // makes page `pageIndex` active and loads it, as if `sender` changed the page.
    using ModulePageSelector = std::function<void(QDialog* form, int pageIndex, QObject* sender)>;
    void setModulePageSelector(Module module, ModulePageSelector selector);

    // Controls, bottom to top.
    QLabel* Image1;
    TSkinButton* btnDerivativeWorks;
    TSkinButton* btnManageProjects;
    TSkinButton* btnLegalInformation;
    TSkinButton* btnProjectGutenberg;
    TSkinButton* btnResearch;
    TSkinButton* btneCommerce;
    TSkinButton* btnExit;
    TSkinButton* btnCreateSalesletters;
    TSkinButton* btnFernwick;
    TSkinButton* btnHollowmark;
    TSkinButton* btnMinimize;

    // Handlers.
    void FormShow();
    void FormKeyPress(char key);
    void btnManageProjectsClick(QObject* Sender);
    void btnProjectGutenbergClick(QObject* Sender);
    void btnResearchClick(QObject* Sender);
    void btnDerivativeWorksClick(QObject* Sender);
    void btnLegalInformationClick(QObject* Sender);
    void btneCommerceClick(QObject* Sender);
    void btnCreateSaleslettersClick(QObject* Sender);
    void btnHollowmarkClick(QObject* Sender);
    void btnFernwickClick(QObject* Sender);
    void btnExitClick(QObject* Sender);
    void btnMinimizeClick(QObject* Sender);

    // Module launch: hide, create with this window as owner, show modally,
    // destroy (also when an error escapes), show again. A module without a
    // registered window does nothing.
    void LaunchModule(Module module);
    // The same, after opening page `pageIndex` of the new window.
    void LaunchModuleOnPage(Module module, int pageIndex);

    // True once the brand file could not be read and the program was asked to end.
    bool Terminated() const { return terminated_; }

    // Showing the window runs FormShow first (a restore from a minimise does
    // not come through here).
    void setVisible(bool visible) override;

signals:
    // The window has closed: the program ends.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    TSkinButton* addButton(const char* name, const char* image, int left, int top,
                           void (TMainForm::*handler)(QObject*));
    void launch(Module module, int pageIndex);
    void terminate();

    std::map<Module, ModuleFactory> factories_;
    std::map<Module, ModulePageSelector> selectors_;
    bool terminated_ = false;
};

// The one main window, set when it is created.
extern TMainForm* MainForm;
