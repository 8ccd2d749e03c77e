// The project folder editor: lists the folders and files of a folder inside
// one project's folder, moves down into subfolders and back up, creates
// folders, copies files and folder trees in, and deletes files and folders.
// It never shows or changes anything outside the project folder.
#pragma once

#include "workspace/RecurseDir.h"

#include <QDialog>

#include <string>
#include <vector>

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;

class TEditProjectForm : public QDialog {
    Q_OBJECT
public:
    // `projectPath`: the project's folder, absolute, without a separator at its end.
    TEditProjectForm(QWidget* owner, const std::string& projectName, const std::string& groupName,
                     const std::string& projectPath);

    QFrame* RzPanel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblPN = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblPG = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblPP = nullptr;
    QFrame* RzPanel2 = nullptr;
    QLabel* lblPath = nullptr;
    QListWidget* FilesList = nullptr;
    QPushButton* btnUp = nullptr;
    QPushButton* btnCreate = nullptr;
    QPushButton* btnAddFiles = nullptr;
    QPushButton* btnAddFolder = nullptr;
    QPushButton* btnDeleteFile = nullptr;
    QPushButton* btnClose = nullptr;
    TRecurseDir RecurseDir;

    // One listed item. Its kind is kept beside its text, so a file whose name
    // begins with "[" is never taken for a folder.
    enum class Kind { Parent, Folder, File };
    struct Entry {
        std::string name;
        Kind kind;
    };

    // The current folder below the project folder: begins and ends with the
    // separator; the separator alone is the project folder itself.
    const std::string& SubPath() const { return subPath_; }
    // The items of FilesList, in order.
    const std::vector<Entry>& ShownEntries() const { return shown_; }

    // Handlers.
    void FormCreate();
    void FormShow();
    void RecurseDirDirFound(TRecurseDir* Sender, const std::string& DirName);
    void RecurseDirFileFound(TRecurseDir* Sender, const std::string& FileName);
    void FilesListDblClick();
    void btnUpClick();
    void btnCreateClick();
    void btnAddFilesClick();
    void btnAddFolderClick();
    void btnDeleteFileClick();

    // Lists the current folder afresh from the disk.
    void ListFolder();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::string currentFolder() const { return projectPath_ + subPath_; }

    std::string projectPath_;
    std::string subPath_;
    std::vector<Entry> entries_; // filled by the walker
    std::vector<Entry> shown_;   // parallel to FilesList
};
