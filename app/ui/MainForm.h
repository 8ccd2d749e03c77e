// The main menu window: one instance for the whole run, reachable as MainForm.
#pragma once

#include <QDialog>
#include <QWidget>

#include <functional>
#include <string>

class TMainForm : public QWidget {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);

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
};

// The one main window, set when it is created.
extern TMainForm* MainForm;
