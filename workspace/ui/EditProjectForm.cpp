#include "EditProjectForm.h"

#include "platform/FileSystem.h"
#include "platform/gui/Handlers.h"
#include "platform/gui/Text.h"
#include "platform/PathParts.h"
#include "platform/Services.h"
#include "platform/ShellFileOps.h"

#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include <filesystem>

using platform::toQ;

namespace {

constexpr char kSep = platform::kPathSeparator;

void warn(const std::string& text) {
    platform::messageBox(text, "Warning", platform::Icon::Warning, platform::Buttons::Ok);
}

// Whether `path` is the project folder or lies inside it, judged on the real
// folders (links resolved).
bool withinProject(const std::string& path, const std::string& project) {
    std::error_code ec;
    namespace fs = std::filesystem;
    const fs::path real = fs::weakly_canonical(fs::absolute(platform::fsPath(path), ec), ec);
    const fs::path realProject =
        fs::weakly_canonical(fs::absolute(platform::fsPath(project), ec), ec);
    if (ec)
        return false;
    auto tidy = [](fs::path p) {
        return (!p.has_filename() && p.has_relative_path()) ? p.parent_path() : p;
    };
    return tidy(real) == tidy(realProject) ||
           platform::liesStrictlyInside(tidy(real).string(), tidy(realProject).string());
}

QFrame* gradientPanel(const char* name, QWidget* parent, int x, int y, int w, int h) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setGeometry(x, y, w, h);
    panel->setStyleSheet(QString("#%1 { border: 1px solid #7d8ea8; background: "
                                 "qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #ffffff, "
                                 "stop:1 #c5d3e8); }")
                             .arg(name));
    return panel;
}

QLabel* label(const char* text, QWidget* parent, int x, int y, int w, bool bold = false) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, w, 16);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    return l;
}

QPushButton* button(const char* caption, QWidget* parent, int x, int y) {
    auto* b = new QPushButton(caption, parent);
    b->setGeometry(x, y, 129, 23);
    return b;
}

} // namespace

TEditProjectForm::TEditProjectForm(QWidget* owner, const std::string& projectName,
                                   const std::string& groupName, const std::string& projectPath)
    : QDialog(owner), projectPath_(projectPath) {
    setWindowTitle("Edit Project");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFont(QFont("Verdana", 8));
    setFixedSize(641, 325);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    RzPanel1 = gradientPanel("RzPanel1", this, 8, 8, 625, 73);
    Label1 = label("Project name:", RzPanel1, 16, 10, 100);
    lblPN = label("N/A", RzPanel1, 120, 10, 495, true);
    Label3 = label("Project group:", RzPanel1, 16, 30, 100);
    lblPG = label("N/A", RzPanel1, 120, 30, 495, true);
    Label2 = label("Project path:", RzPanel1, 16, 50, 100);
    lblPP = label("N/A", RzPanel1, 120, 50, 495, true);
    lblPN->setText(toQ(projectName));
    lblPG->setText(toQ(groupName));
    lblPP->setText(toQ(projectPath));
    lblPP->setToolTip(toQ(projectPath));

    RzPanel2 = gradientPanel("RzPanel2", this, 8, 85, 625, 209);
    lblPath = label("/", RzPanel2, 8, 5, 473);
    QFont italic = lblPath->font();
    italic.setItalic(true);
    lblPath->setFont(italic);
    FilesList = new QListWidget(RzPanel2);
    FilesList->setGeometry(8, 24, 473, 177);
    FilesList->setSelectionMode(QAbstractItemView::SingleSelection);
    btnUp = button("Up To Parent", RzPanel2, 488, 24);
    btnCreate = button("Create New Folder...", RzPanel2, 488, 51);
    btnAddFiles = button("Add Files...", RzPanel2, 488, 124);
    btnAddFolder = button("Add Folder...", RzPanel2, 488, 151);
    btnDeleteFile = button("Delete File/Folder", RzPanel2, 488, 178);
    btnClose = new QPushButton("Close", this);
    btnClose->setGeometry(283, 298, 75, 23);

    RecurseDir.Mask = "*.*";
    RecurseDir.RecurseSubDirs = false;
    RecurseDir.OnDirFound = [this](TRecurseDir* s, const std::string& d) {
        RecurseDirDirFound(s, d);
    };
    RecurseDir.OnFileFound = [this](TRecurseDir* s, const std::string& f) {
        RecurseDirFileFound(s, f);
    };

    auto wire = [this](QPushButton* b, void (TEditProjectForm::*handler)()) {
        platform::connectGuarded(b, &QPushButton::clicked, this, handler);
    };
    wire(btnUp, &TEditProjectForm::btnUpClick);
    wire(btnCreate, &TEditProjectForm::btnCreateClick);
    wire(btnAddFiles, &TEditProjectForm::btnAddFilesClick);
    wire(btnAddFolder, &TEditProjectForm::btnAddFolderClick);
    wire(btnDeleteFile, &TEditProjectForm::btnDeleteFileClick);
    platform::connectGuarded(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    platform::connectGuarded(FilesList, &QListWidget::itemDoubleClicked, this,
                             &TEditProjectForm::FilesListDblClick);

    FormCreate();
}

void TEditProjectForm::FormCreate() {
    entries_.clear();
    subPath_ = std::string(1, kSep);
}

void TEditProjectForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) // not when the window system merely shows it again
        platform::guarded([this] { FormShow(); });
}

void TEditProjectForm::FormShow() {
    ListFolder();
}

void TEditProjectForm::RecurseDirDirFound(TRecurseDir*, const std::string& DirName) {
    const std::string name = platform::lastPathPart(DirName);
    if (name.empty() || name == "." || name == "..")
        return; // the walked folder itself, and the entries for it and its parent
    entries_.push_back({name, Kind::Folder});
}

void TEditProjectForm::RecurseDirFileFound(TRecurseDir*, const std::string& FileName) {
    entries_.push_back({platform::lastPathPart(FileName), Kind::File});
}

void TEditProjectForm::ListFolder() {
    entries_.clear();
    RecurseDir.Directory = currentFolder();
    lblPath->setText(toQ(subPath_));
    RecurseDir.Execute();

    FilesList->clear();
    shown_.clear();
    if (subPath_.size() > 1)
        shown_.push_back({"..", Kind::Parent});
    for (Kind kind : {Kind::Folder, Kind::File})
        for (const Entry& entry : entries_)
            if (entry.kind == kind)
                shown_.push_back(entry);
    for (const Entry& entry : shown_)
        FilesList->addItem(toQ(entry.kind == Kind::File ? entry.name : "[" + entry.name + "]"));
}

void TEditProjectForm::FilesListDblClick() {
    const QList<QListWidgetItem*> selected = FilesList->selectedItems();
    if (selected.isEmpty())
        return;
    const Entry entry = shown_.at(static_cast<std::size_t>(FilesList->row(selected.front())));
    if (entry.kind == Kind::Parent)
        return btnUpClick();
    if (entry.kind != Kind::Folder)
        return;
    // A folder that is a link to somewhere else is not entered.
    if (!withinProject(currentFolder() + entry.name, projectPath_))
        return warn("The folder \"" + entry.name + "\" lies outside the project folder.");
    subPath_ += entry.name + kSep;
    ListFolder();
}

void TEditProjectForm::btnUpClick() {
    if (subPath_.size() <= 1)
        return;
    subPath_.pop_back();
    subPath_.erase(subPath_.find_last_of(kSep) + 1);
    ListFolder();
}

void TEditProjectForm::btnCreateClick() {
    auto answer = platform::services().inputQuery("Create New Folder",
                                                  "Enter new folder name:", "New folder");
    if (!answer)
        return;
    // Either separator makes nested folders; ".." would climb out of the
    // project folder.
    std::string name = *answer;
    for (char& c : name)
        if (c == '\\' || c == '/')
            c = kSep;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find(kSep, start);
        if (end == std::string::npos)
            end = name.size();
        if (name.compare(start, end - start, "..") == 0)
            return warn("The folder name may not contain \"..\": new folders are made only "
                        "inside the project folder.");
        start = end + 1;
    }
    const std::string path = currentFolder() + name;
    if (!withinProject(path, projectPath_))
        return warn("The folder \"" + *answer + "\" would lie outside the project folder.");
    platform::forceDirectories(path); // a folder that cannot be made is simply not listed
    ListFolder();
}

void TEditProjectForm::btnAddFilesClick() {
    platform::FileDialogOptions options;
    options.title = "Add Files";
    options.filter = "All Files (*.*)|*.*";
    options.multiSelect = true;
    options.showHidden = true;
    const std::vector<std::string> files = platform::services().openFiles(options);
    if (files.empty())
        return;
    for (const std::string& file : files)
        platform::shellCopy(file, currentFolder() + platform::lastPathPart(file), projectPath_);
    ListFolder();
}

void TEditProjectForm::btnAddFolderClick() {
    auto chosen = platform::services().selectFolder("Add Folder", "", true);
    if (!chosen)
        return;
    std::string folder = *chosen;
    // Either separator may close the name (Windows takes both).
    while (folder.size() > 1 && (folder.back() == kSep || folder.back() == '/'))
        folder.pop_back();
    const std::string name = platform::lastPathPart(folder);
    if (name.empty() || name == "." || name == "..")
        return warn("The folder \"" + *chosen + "\" cannot be added: it has no name of its own.");
    platform::shellCopy(folder, currentFolder() + name, projectPath_);
    ListFolder();
}

void TEditProjectForm::btnDeleteFileClick() {
    const QList<QListWidgetItem*> selected = FilesList->selectedItems();
    if (selected.isEmpty())
        return;
    const int row = FilesList->row(selected.front());
    const Entry entry = shown_.at(static_cast<std::size_t>(row));
    if (entry.kind == Kind::Parent)
        return;
    const std::string shown = platform::fromQ(FilesList->item(row)->text());
    const platform::Answer answer =
        platform::messageBox("Are you sure you want to delete the item \"" + shown + "\"?",
                             "Confirm Delete", platform::Icon::Question, platform::Buttons::YesNo);
    if (answer != platform::Answer::Yes)
        return;
    platform::shellDelete(currentFolder() + entry.name, projectPath_);
    ListFolder();
}
