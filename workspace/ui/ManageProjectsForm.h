// The Manage Projects window: lists, creates and deletes project groups and
// projects, opens a project's folder editor, and shows two pages of the
// affiliate network's site on tabs of their own.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;
class WebBrowser;

class TManageProjectsForm : public QDialog {
    Q_OBJECT
public:
    // `brand` is the reseller's name that the main menu read; the two web
    // pages build their addresses from it.
    explicit TManageProjectsForm(QWidget* owner, std::string brand = std::string());

    // The pages, in this order.
    enum Page { CreateNewProjectPage = 0, HollowmarkPage = 1, FernwickPage = 2, MainMenuPage = 3 };

    QTabWidget* PageControl = nullptr;
    QWidget* TabSheet1 = nullptr; // "Create New Project"
    QWidget* TabSheet3 = nullptr; // "Hollowmark"
    QWidget* TabSheet2 = nullptr; // "Fernwick"
    QWidget* TabSheet4 = nullptr; // "Main Menu"
    QLabel* Label1 = nullptr;
    QListWidget* ProjectGroupList = nullptr;
    QPushButton* btnCreateGroup = nullptr;
    QPushButton* btnDeleteGroup = nullptr;
    QLabel* Label2 = nullptr;
    QListWidget* ProjectList = nullptr;
    QPushButton* btnAddProject = nullptr;
    QPushButton* Button1 = nullptr;    // "Edit Project"
    QPushButton* Button2 = nullptr;    // "Delete Project"
    QPushButton* btnPublish = nullptr; // "Publish…": the selected group's target
    ::WebBrowser* WebBrowser = nullptr;
    ::WebBrowser* WebBrowser1 = nullptr;

    // Handlers. The page control's change signal calls PageControlChange only
    // while the window is shown; whoever opens the window on a web page sets
    // the current page and calls PageControlChange itself, which then loads
    // the page exactly once.
    void FormCreate();
    void ProjectGroupListClick();
    void btnCreateGroupClick();
    void btnDeleteGroupClick();
    void btnAddProjectClick();
    void btnEditProjectClick();
    void btnDeleteProjectClick();
    void btnPublishClick();
    void PageControlChange();

    // The names behind the two lists, byte for byte as in the registry (the
    // lists show them converted for display).
    const std::vector<std::string>& GroupNames() const { return groups_; }
    const std::vector<std::string>& ProjectNames() const { return projects_; }

protected:
    // Minimising the window minimises the whole application.
    void changeEvent(QEvent* event) override;

private:
    void buildFirstPage();
    void addGroupItem(const std::string& name);
    void addProjectItem(const std::string& name);

    std::vector<std::string> groups_;   // parallel to ProjectGroupList
    std::vector<std::string> projects_; // parallel to ProjectList

    std::string brand_;
    bool minimizing_ = false;
};
