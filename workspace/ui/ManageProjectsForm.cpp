#include "ManageProjectsForm.h"

#include "browsers/ui/WebBrowser.h"
#include "EditProjectForm.h"
#include "platform/gui/Handlers.h"
#include "platform/gui/Text.h"
#include "platform/Services.h"
#ifdef QM_HAVE_PUBLISH
#include "publish/PageFolder.h"
#include "publish/ui/PublishForm.h"
#endif
#include "workspace/Affiliate.h"
#include "workspace/Registry.h"

#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

using platform::toQ;

namespace {

// The selected row of a single-selection list, -1 when nothing is selected.
int selectedRow(const QListWidget* list) {
    const QList<QListWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.front());
}

QPushButton* makeButton(const char* caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setFixedSize(145, 23);
    return button;
}

void warn(const std::string& text, platform::Icon icon) {
    platform::messageBox(text, "Warning", icon, platform::Buttons::Ok);
}

} // namespace

TManageProjectsForm::TManageProjectsForm(QWidget* owner, std::string brand)
    : QDialog(owner), brand_(std::move(brand)) {
    setWindowTitle("Manage Projects");
    setWindowFlags((windowFlags() | Qt::WindowMinMaxButtonsHint) &
                   ~Qt::WindowContextHelpButtonHint);
    setSizeGripEnabled(true);
    resize(758, 584);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    PageControl = new QTabWidget(this);
    outer->addWidget(PageControl);

    TabSheet1 = new QWidget;
    TabSheet3 = new QWidget;
    TabSheet2 = new QWidget;
    TabSheet4 = new QWidget;
    PageControl->addTab(TabSheet1, "Create New Project");
    PageControl->addTab(TabSheet3, "Hollowmark");
    PageControl->addTab(TabSheet2, "Fernwick");
    PageControl->addTab(TabSheet4, "Main Menu");
    buildFirstPage();

    WebBrowser = new ::WebBrowser(TabSheet3);
    (new QVBoxLayout(TabSheet3))->addWidget(WebBrowser);
    WebBrowser1 = new ::WebBrowser(TabSheet2);
    (new QVBoxLayout(TabSheet2))->addWidget(WebBrowser1);
    for (QWidget* page : {TabSheet3, TabSheet2})
        page->layout()->setContentsMargins(0, 0, 0, 0);
    PageControl->setCurrentIndex(CreateNewProjectPage);

    // A page chosen before the window is shown is loaded by the opener's own
    // call of PageControlChange, so the signal counts only while shown.
    platform::connectGuarded(PageControl, &QTabWidget::currentChanged, this, [this] {
        if (isVisible())
            PageControlChange();
    });
    platform::connectGuarded(ProjectGroupList, &QListWidget::itemSelectionChanged, this,
                             &TManageProjectsForm::ProjectGroupListClick);
    platform::connectGuarded(ProjectGroupList, &QListWidget::itemClicked, this,
                             &TManageProjectsForm::ProjectGroupListClick);
    platform::connectGuarded(btnCreateGroup, &QPushButton::clicked, this,
                             &TManageProjectsForm::btnCreateGroupClick);
    platform::connectGuarded(btnDeleteGroup, &QPushButton::clicked, this,
                             &TManageProjectsForm::btnDeleteGroupClick);
    platform::connectGuarded(btnAddProject, &QPushButton::clicked, this,
                             &TManageProjectsForm::btnAddProjectClick);
    platform::connectGuarded(Button1, &QPushButton::clicked, this,
                             &TManageProjectsForm::btnEditProjectClick);
    platform::connectGuarded(Button2, &QPushButton::clicked, this,
                             &TManageProjectsForm::btnDeleteProjectClick);
    if (btnPublish)
        platform::connectGuarded(btnPublish, &QPushButton::clicked, this,
                                 &TManageProjectsForm::btnPublishClick);

    platform::guarded([this] { FormCreate(); });
}

void TManageProjectsForm::buildFirstPage() {
    Label1 = new QLabel("Available Project Groups:", TabSheet1);
    ProjectGroupList = new QListWidget(TabSheet1);
    ProjectGroupList->setSelectionMode(QAbstractItemView::SingleSelection);
    ProjectGroupList->setFixedHeight(121);
    ProjectGroupList->setMinimumWidth(200);
    btnCreateGroup = makeButton("Create Project Group", TabSheet1);
    btnDeleteGroup = makeButton("Delete Project Group", TabSheet1);

    Label2 = new QLabel("Projects In Selected Group:", TabSheet1);
    ProjectList = new QListWidget(TabSheet1);
    ProjectList->setSelectionMode(QAbstractItemView::SingleSelection);
    ProjectList->setMinimumWidth(200);
    btnAddProject = makeButton("Add Project", TabSheet1);
    Button1 = makeButton("Edit Project", TabSheet1);
    Button2 = makeButton("Delete Project", TabSheet1);
#ifdef QM_HAVE_PUBLISH
    btnPublish = makeButton("Publish…", TabSheet1);
#endif

    auto* grid = new QGridLayout(TabSheet1);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setHorizontalSpacing(12);
    auto column = [](std::initializer_list<QPushButton*> buttons) {
        auto* box = new QVBoxLayout;
        box->setSpacing(6);
        for (QPushButton* b : buttons)
            box->addWidget(b);
        box->addStretch();
        return box;
    };
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(ProjectGroupList, 1, 0);
    grid->addLayout(column({btnCreateGroup, btnDeleteGroup}), 1, 1);
    grid->addWidget(Label2, 2, 0);
    grid->addWidget(ProjectList, 3, 0);
    auto* projectButtons = column({btnAddProject, Button1, Button2});
    if (btnPublish)
        projectButtons->insertWidget(3, btnPublish);
    grid->addLayout(projectButtons, 3, 1);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(3, 1);
    grid->setRowMinimumHeight(2, 28);
    grid->setAlignment(Label2, Qt::AlignBottom);
}

void TManageProjectsForm::FormCreate() {
    const QSignalBlocker block(ProjectGroupList);
    ProjectGroupList->clear();
    groups_.clear();
    for (const std::string& group : workspace::ListGroups())
        addGroupItem(group);
    ProjectGroupList->setCurrentRow(-1);
    ProjectList->clear();
    projects_.clear();
}

void TManageProjectsForm::addGroupItem(const std::string& name) {
    groups_.push_back(name);
    ProjectGroupList->addItem(toQ(name));
}

void TManageProjectsForm::addProjectItem(const std::string& name) {
    projects_.push_back(name);
    ProjectList->addItem(toQ(name));
}

void TManageProjectsForm::ProjectGroupListClick() {
    const int row = selectedRow(ProjectGroupList);
    ProjectList->clear();
    projects_.clear();
    if (row < 0)
        return;
    for (const std::string& project : workspace::ListProjects(groups_.at(row)))
        addProjectItem(project);
}

void TManageProjectsForm::btnCreateGroupClick() {
    const std::string name =
        platform::inputBox("Create New Group", "Enter new project group name:", "");
    if (workspace::IsBlankName(name))
        return;
    if (auto refusal = workspace::NameRefusal(name))
        return warn(*refusal, platform::Icon::Warning);
    // Besides the A to Z test, a name that the registry would take for an
    // existing section is the same group.
    if (workspace::ContainsNameAZ(groups_, name) || workspace::ContainsSectionName(groups_, name))
        return warn("A project group with this name already exists!", platform::Icon::Information);

    {
        const QSignalBlocker block(ProjectGroupList); // the selection does not move
        addGroupItem(name);
    }
    workspace::CreateGroup(name);
    workspace::CreateGroupFolder(name);
    ProjectGroupListClick();
}

void TManageProjectsForm::btnDeleteGroupClick() {
    const int row = selectedRow(ProjectGroupList);
    if (row < 0)
        return;
    const std::string group = groups_.at(row);
    const platform::Answer answer =
        platform::messageBox("Are you sure you want to delete the project group \"" + group + "\"?",
                             "Confirm Delete", platform::Icon::Question, platform::Buttons::YesNo);
    if (answer == platform::Answer::Yes) {
        workspace::DeleteGroup(group);
        workspace::DeleteGroupFolder(group);
        const QSignalBlocker block(ProjectGroupList);
        delete ProjectGroupList->takeItem(row);
        groups_.erase(groups_.begin() + row);
        ProjectGroupList->clearSelection();
        ProjectGroupList->setCurrentRow(-1);
    }
    ProjectGroupListClick();
}

void TManageProjectsForm::btnAddProjectClick() {
    const int row = selectedRow(ProjectGroupList);
    if (row < 0)
        return;
    const std::string group = groups_.at(row);
    if (projects_.size() >= static_cast<std::size_t>(workspace::kMaxProjects))
        return warn(workspace::GroupFullText(group), platform::Icon::Warning);
    const std::string name = platform::inputBox("Add Project", "Enter new project name:", "");
    if (workspace::IsBlankName(name))
        return;
    if (auto refusal = workspace::NameRefusal(name))
        return warn(*refusal, platform::Icon::Warning);
    if (workspace::ContainsNameAZ(projects_, name))
        return warn("The project already exists in the current project group!",
                    platform::Icon::Warning);

    workspace::CreateProjectFolder(group, name);
    addProjectItem(name);
    workspace::AddProject(group, name);
}

void TManageProjectsForm::btnEditProjectClick() {
    const int project = selectedRow(ProjectList);
    const int group = selectedRow(ProjectGroupList);
    if (project < 0 || group < 0)
        return;
    const std::string groupName = groups_.at(group);
    const std::string projectName = projects_.at(project);
    TEditProjectForm editor(this, projectName, groupName,
                            workspace::ProjectFolder(groupName, projectName));
    editor.exec();
}

void TManageProjectsForm::btnDeleteProjectClick() {
    const int project = selectedRow(ProjectList);
    const int group = selectedRow(ProjectGroupList);
    if (project < 0 || group < 0)
        return;
    const std::string groupName = groups_.at(group);
    const std::string projectName = projects_.at(project);
    const platform::Answer answer =
        platform::messageBox("Are you sure you want to delete the project \"" + projectName +
                                 "\" in the current project group?",
                             "Confirm Delete", platform::Icon::Question, platform::Buttons::YesNo);
    if (answer != platform::Answer::Yes)
        return;
    workspace::DeleteProjectFolder(groupName, projectName);
    delete ProjectList->takeItem(project);
    projects_.erase(projects_.begin() + project);
    workspace::RewriteProjects(groupName, projects_);
}

void TManageProjectsForm::PageControlChange() {
    switch (PageControl->currentIndex()) {
    case MainMenuPage:
        close();
        break;
    case FernwickPage:
        WebBrowser->Navigate("about:blank");
        WebBrowser1->Navigate(workspace::AffiliatePageAddress(brand_, "fernwick"));
        break;
    case HollowmarkPage:
        WebBrowser->Navigate(workspace::AffiliatePageAddress(brand_, "hollowmark"));
        WebBrowser1->Navigate("about:blank");
        break;
    default:
        break;
    }
}

void TManageProjectsForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && !minimizing_ &&
        (windowState() & Qt::WindowMinimized)) {
        // The application goes to its task bar button as a whole; this window
        // keeps its own state and goes with it.
        minimizing_ = true;
        setWindowState(windowState() & ~Qt::WindowMinimized);
        platform::services().minimizeApplication();
        minimizing_ = false;
    }
    QDialog::changeEvent(event);
}

#ifdef QM_HAVE_PUBLISH
// The selected group's publish target; the page is a project file the user
// picks in the selected project's folder (or the group's).
void TManageProjectsForm::btnPublishClick() {
    const int group = selectedRow(ProjectGroupList);
    if (group < 0) {
        platform::messageBox("Select the project group to publish first.", "Warning",
                             platform::Icon::Warning, platform::Buttons::Ok);
        return;
    }
    const std::string groupName = groups_.at(group);
    const int project = selectedRow(ProjectList);
    const std::string folder = project < 0
                                   ? workspace::GroupFolder(groupName)
                                   : workspace::ProjectFolder(groupName, projects_.at(project));
    TPublishForm form(this, groupName, [folder]() -> std::optional<TSalesLetter> {
        platform::FileDialogOptions o;
        o.title = "Choose the salesletter project to publish";
        o.filter = "Salesletter projects (*.prj)|*.prj";
        o.initialFolder = folder;
        const auto files = platform::services().openFiles(o);
        if (files.empty())
            return std::nullopt;
        return publish::loadProjectFile(files.front());
    });
    form.exec();
}
#else
// A build without publishing has no such button.
void TManageProjectsForm::btnPublishClick() {}
#endif
