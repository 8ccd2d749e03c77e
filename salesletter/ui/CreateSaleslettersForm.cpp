#include "CreateSaleslettersForm.h"
#include "CloseQuestion.h"
#include "LivePreview.h"
#include "PageControl.h"

#include "platform/DataFolder.h"
#include "platform/FileSystem.h"
#include "platform/gui/Handlers.h"
#include "platform/gui/Text.h"
#include "platform/PathParts.h"
#include "platform/Services.h"
#include "platform/UserFiles.h"
#ifdef QM_HAVE_PUBLISH
#include "publish/ui/PublishForm.h"
#endif
#include "salesletter/Compiler.h"
#include "salesletter/Export.h"
#include "salesletter/PageCheck.h"
#include "salesletter/ProjectFile.h"

#include <exception>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSettings>

using platform::connectGuarded;
using platform::fromQ;
using platform::toQ;

namespace {

const char kCaptionPrefix[] = "Create Salesletters - ";
const char kProjectFilter[] = "Projects (*.prj)|*.prj";
// A project saved under a name without extension must be found as well.
const char kOpenProjectFilter[] = "Projects (*.prj)|*.prj|All files (*)|*";

bool askYesNo(const char* text, const char* caption) {
    return platform::messageBox(text, caption, platform::Icon::Question,
                                platform::Buttons::YesNo) == platform::Answer::Yes;
}

} // namespace

// The pictures are compiled into this static library; register them once.
static void loadSalesletterResources() {
    static bool loaded = false;
    if (!loaded) {
        Q_INIT_RESOURCE(salesletter);
        loaded = true;
    }
}

TCreateSaleslettersForm::TCreateSaleslettersForm(QWidget* owner) : QDialog(owner) {
    loadSalesletterResources();
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(QFont("Verdana", 8));
    buildFrame();
    buildMenu();
    setFixedSize(747, 565);
    if (QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    SetLetter(TSalesLetter());
    connectEditSignals();
    connect(this, &TCreateSaleslettersForm::letterEdited, this, [this] { modified_ = true; });
    LivePreview = new TLivePreview(this);

    connectGuarded(btnNext, &QPushButton::clicked, this, &TCreateSaleslettersForm::btnNextClick);
    connectGuarded(btnPrev, &QPushButton::clicked, this, &TCreateSaleslettersForm::btnPrevClick);
    connectGuarded(btnPreview, &QPushButton::clicked, this,
                   &TCreateSaleslettersForm::btnPreviewClick);
    connectGuarded(btnExit, &QPushButton::clicked, this, &TCreateSaleslettersForm::btnExitClick);
    connectGuarded(btnFinish, &QPushButton::clicked, this, &TCreateSaleslettersForm::Compile1Click);
    if (btnPublish)
        connectGuarded(btnPublish, &QPushButton::clicked, this,
                       &TCreateSaleslettersForm::btnPublishClick);
    connectGuarded(PageControl, &TPageControl::changed, this,
                   &TCreateSaleslettersForm::PageControlChange);
    connectGuarded(btnColors, &QPushButton::clicked, this,
                   &TCreateSaleslettersForm::btnColorsClick);
    connectGuarded(btnTBC, &QPushButton::clicked, this, &TCreateSaleslettersForm::btnTBCClick);
    connectGuarded(btnMBC, &QPushButton::clicked, this, &TCreateSaleslettersForm::btnMBCClick);
    connectGuarded(btnOLBC, &QPushButton::clicked, this, &TCreateSaleslettersForm::btnOLBCClick);
    connectGuarded(btnHG, &QPushButton::clicked, this, &TCreateSaleslettersForm::btnHGClick);
    connectGuarded(btnEC, &QPushButton::clicked, this, &TCreateSaleslettersForm::btnECClick);
    for (const char* key : {"TW1", "TW2", "TW3", "TW4", "TW5", "Link"})
        Field(key)->installEventFilter(this);

    connectGuarded(NewProject1, &QAction::triggered, this,
                   &TCreateSaleslettersForm::NewProject1Click);
    connectGuarded(OpenProject1, &QAction::triggered, this,
                   &TCreateSaleslettersForm::OpenProject1Click);
    connectGuarded(SaveProject1, &QAction::triggered, this,
                   &TCreateSaleslettersForm::SaveProject1Click);
    connectGuarded(SaveProjectAs1, &QAction::triggered, this,
                   &TCreateSaleslettersForm::SaveProjectAs1Click);
    connectGuarded(Compile1, &QAction::triggered, this, &TCreateSaleslettersForm::Compile1Click);
    connectGuarded(Preview1, &QAction::triggered, this, &TCreateSaleslettersForm::btnPreviewClick);
    connectGuarded(Exit1, &QAction::triggered, this, &TCreateSaleslettersForm::btnExitClick);

    connectGuarded(ProjectGroups, &QComboBox::currentIndexChanged, this,
                   &TCreateSaleslettersForm::ProjectGroupsChange);
    connectGuarded(Projects, &QComboBox::activated, this, &TCreateSaleslettersForm::ProjectsChange);
    connectGuarded(chkNew, &QRadioButton::clicked, this, &TCreateSaleslettersForm::chkNewClick);
    connectGuarded(chkOpen, &QRadioButton::clicked, this, &TCreateSaleslettersForm::chkOpenClick);
    connectGuarded(PName, &QLineEdit::textChanged, this, &TCreateSaleslettersForm::PNameChange);
    connectGuarded(PNameBrowse, &QPushButton::clicked, this,
                   &TCreateSaleslettersForm::PNameBrowseClick);
    connectGuarded(btnLoad, &QPushButton::clicked, this, &TCreateSaleslettersForm::btnLoadClick);
    connectGuarded(btnSave, &QPushButton::clicked, this, &TCreateSaleslettersForm::btnSaveClick);

    // FormCreate: the project is untitled, and the group list comes from the registry.
    currentFile_.clear();
    untitled_ = true;
    exitConfirmed_ = false;
    setWindowTitle(toQ(std::string(kCaptionPrefix) + "Untitled"));
    platform::guarded([this] { FillProjectGroups(); });
}

TCreateSaleslettersForm::~TCreateSaleslettersForm() = default;

// ---- the record and the controls ----

QWidget* TCreateSaleslettersForm::Field(const std::string& key) const {
    auto it = fields_.find(key);
    if (it == fields_.end())
        throw std::out_of_range("No control for field \"" + key + "\"");
    return it->second;
}

std::string TCreateSaleslettersForm::FieldText(const std::string& key) const {
    QWidget* w = Field(key);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return fromQ(e->text());
    if (auto* c = qobject_cast<QComboBox*>(w))
        return fromQ(c->currentText());
    // A memo gives its lines separated by CR LF, whatever the widget holds,
    // and every character as typed (no-break spaces included).
    return platform::toCrLf(
        fromQ(platform::rawPlainText(*static_cast<QPlainTextEdit*>(w)->document())));
}

void TCreateSaleslettersForm::SetFieldText(const std::string& key, const std::string& text) {
    QWidget* w = Field(key);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(toQ(text));
    else if (auto* c = qobject_cast<QComboBox*>(w))
        c->setEditText(toQ(text));
    else
        static_cast<QPlainTextEdit*>(w)->setPlainText(toQ(platform::toLf(text)));
}

TSalesLetter TCreateSaleslettersForm::Letter() const {
    TSalesLetter letter;
    letter.CB1 = CheckBox1->isChecked();
    letter.CB2 = CheckBox2->isChecked();
    letter.CB3 = CheckBox3->isChecked();
    for (const FieldInfo& f : TSalesLetter::Fields())
        letter[f.key] = FieldText(f.key);
    return letter;
}

void TCreateSaleslettersForm::applyTemplateOptions(const TSalesLetter& letter) {
    // The buttons are exclusive among themselves; a record with none selected
    // (from a project file) is shown with none selected.
    CheckBox1->setAutoExclusive(false);
    CheckBox2->setAutoExclusive(false);
    CheckBox3->setAutoExclusive(false);
    CheckBox1->setChecked(letter.CB1);
    CheckBox2->setChecked(letter.CB2);
    CheckBox3->setChecked(letter.CB3);
    CheckBox1->setAutoExclusive(true);
    CheckBox2->setAutoExclusive(true);
    CheckBox3->setAutoExclusive(true);
}

void TCreateSaleslettersForm::connectEditSignals() {
    auto edited = [this] {
        if (!filling_)
            emit letterEdited();
    };
    for (const auto& [key, w] : fields_) {
        if (auto* e = qobject_cast<QLineEdit*>(w))
            connect(e, &QLineEdit::textChanged, this, edited);
        else if (auto* c = qobject_cast<QComboBox*>(w))
            connect(c, &QComboBox::currentTextChanged, this, edited);
        else if (auto* m = qobject_cast<QPlainTextEdit*>(w))
            connect(m, &QPlainTextEdit::textChanged, this, edited);
    }
    // Choosing an option clears another: only the one that becomes selected counts.
    for (QRadioButton* option : {CheckBox1, CheckBox2, CheckBox3})
        connect(option, &QRadioButton::toggled, this, [edited](bool on) {
            if (on)
                edited();
        });
}

void TCreateSaleslettersForm::SetLetter(const TSalesLetter& letter) {
    {
        QScopedValueRollback<bool> filling(filling_, true);
        applyTemplateOptions(letter);
        for (const FieldInfo& f : TSalesLetter::Fields())
            SetFieldText(f.key, letter[f.key]);
    }
    emit letterReplaced();
}

// ---- project file ----

void TCreateSaleslettersForm::setCaptionFromFile() {
    setWindowTitle(toQ(kCaptionPrefix + platform::lastPathPart(currentFile_)));
}

void TCreateSaleslettersForm::LoadProject(const std::string& path) {
    TSalesLetter letter = Letter();
    ::LoadProject(letter, path);
    SetLetter(letter);
    currentFile_ = path;
    fileStamp_ = platform::fileStamp(path);
    untitled_ = false;
    modified_ = false;
    setCaptionFromFile();
}

void TCreateSaleslettersForm::SaveProject(const std::string& path) {
    bool written = false;
    ::SaveProject(Letter(), path, &written); // stores every field whole
    if (!written)
        return; // the engine has warned; caption and current file stay as they were
    currentFile_ = path;
    fileStamp_ = platform::fileStamp(path);
    untitled_ = false;
    modified_ = false;
    setCaptionFromFile();
    emit projectSaved();
}

void TCreateSaleslettersForm::ResetProject() {
    TSalesLetter letter = Letter();
    letter.ResetProject();
    {
        QScopedValueRollback<bool> filling(filling_, true);
        for (const FieldInfo& f : TSalesLetter::Fields())
            SetFieldText(f.key, letter[f.key]);
    }
    emit letterReplaced();
    currentFile_.clear();
    fileStamp_.clear();
    untitled_ = true;
    modified_ = false;
    setWindowTitle(toQ(std::string(kCaptionPrefix) + "Untitled"));
}

void TCreateSaleslettersForm::RestoreRecovered(const TSalesLetter& letter,
                                               const std::string& projectFile,
                                               const std::string& stamp) {
    SetLetter(letter);
    currentFile_ = projectFile;
    fileStamp_ = stamp;
    untitled_ = projectFile.empty();
    modified_ = true; // no file holds the restored text yet
    std::string name = untitled_ ? std::string("Untitled") : platform::lastPathPart(currentFile_);
    setWindowTitle(toQ(kCaptionPrefix + name + " (recovered)"));
}

void TCreateSaleslettersForm::NewProject1Click() {
    if (askYesNo("Are you sure you want to create a new salesletter and lose the changes in the "
                 "current one?",
                 "New Salesletter")) {
        ResetProject();
        emit projectReset();
    }
}

void TCreateSaleslettersForm::OpenProject1Click() {
    if (!askYesNo("Are you sure you want to open a salesletter and lose the changes in the "
                  "current one?",
                  "Open Salesletter"))
        return;
    platform::FileDialogOptions options;
    options.title = "Open Project";
    options.filter = kOpenProjectFilter;
    options.initialFolder = DialogFolder();
    std::vector<std::string> chosen = platform::services().openFiles(options);
    if (!chosen.empty())
        LoadProject(chosen.front());
}

void TCreateSaleslettersForm::SaveProject1Click() {
    if (untitled_)
        SaveProjectAs1Click();
    else
        saveWithQuestions(currentFile_);
}

void TCreateSaleslettersForm::SaveProjectAs1Click() {
    platform::FileDialogOptions options;
    options.title = "Save Project";
    options.filter = kProjectFilter;
    options.initialFolder = DialogFolder();
    if (!untitled_)
        options.fileName = platform::lastPathPart(currentFile_);
    if (std::optional<std::string> name = platform::services().saveFile(options))
        saveWithQuestions(EnsureExtension(*name, ".prj"));
}

bool TCreateSaleslettersForm::saveWithQuestions(const std::string& path) {
    const std::string now = platform::fileStamp(path);
    const bool current =
        !untitled_ && (path == currentFile_ || platform::sameFile(path, currentFile_));
    if (current) {
        // Another program (or another wizard) wrote the file after it was
        // loaded or saved here.
        if (!now.empty() && now != fileStamp_ &&
            !askYesNo(("The salesletter project \"" + path +
                       "\" was changed on disk after it was opened here. Do you want to "
                       "replace it with this salesletter?")
                          .c_str(),
                      "Save Project"))
            return false;
    } else if (!now.empty() &&
               !askYesNo(
                   ("The file \"" + path + "\" already exists. Do you want to replace it?").c_str(),
                   "Save Project")) {
        return false;
    }
    SaveProject(path);
    return true;
}

std::string TCreateSaleslettersForm::DialogFolder() const {
    if (!pnameInitialFolder_.empty() && platform::folderExists(pnameInitialFolder_))
        return pnameInitialFolder_;
    if (!untitled_) {
        const std::string folder = platform::folderPart(currentFile_);
        if (!folder.empty() && platform::folderExists(folder))
            return folder;
    }
    return platform::documentsFolder();
}

// ---- preview and compile ----

std::string TCreateSaleslettersForm::PictureFolder() const {
    // Qt writes "/" on every system; Windows users read "\\".
    return fromQ(QDir::toNativeSeparators(
        currentFile_.empty() ? QDir::homePath() : QFileInfo(toQ(currentFile_)).absolutePath()));
}

void TCreateSaleslettersForm::btnPreviewClick() {
    std::string target = platform::dataFolder() + kPreviewPageName;
    PageContext context = DefaultPageContext();
    context.baseFolder = PictureFolder();
    // The preview is a draft: the user's alone.
    platform::saveFileAtomic(target, CompileSalesPage(Letter(), context),
                             platform::FileAccess::OwnerOnly);
    platform::services().openDocument(target);
}

void TCreateSaleslettersForm::Compile1Click() {
    platform::FileDialogOptions options;
    options.title = "Compile Sales Letter";
    options.filter = "HTML Documents (*.html)|*.html";
    options.initialFolder = DialogFolder();
    std::optional<std::string> name = platform::services().saveFile(options);
    if (!name)
        return;
    // The page with its pictures copied into "images" beside it, ready to upload.
    std::string target = EnsureExtension(*name, ".html");
    const TSalesLetter letter = Letter();
    ExportOptions page;
    // Relative picture names are found beside the project, as the live preview finds them.
    page.baseFolder = PictureFolder();
    page.siteAddress = fromQ(QSettings(QSettings::UserScope, "Quillmere", "Quillmere")
                                 .value("SiteAddress")
                                 .toString()
                                 .trimmed());
    // What a buyer would notice and the pictures that leave the machine, shown
    // before anything is written; No goes back to the wizard.
    const std::string question =
        FinishConfirmation(CheckPage(letter, page.baseFolder),
                           PlanExport(letter, page.baseFolder, ImagesFolderFor(target)), target);
    if (!question.empty() &&
        platform::messageBox(question, kFinishCaption, platform::Icon::Question,
                             platform::Buttons::YesNo) != platform::Answer::Yes)
        return;
    ExportSalesLetter(letter, target, page);
    platform::services().openDocument(target);
}

// ---- closing and minimising ----

void TCreateSaleslettersForm::btnExitClick() {
    close();
}

void TCreateSaleslettersForm::closeEvent(QCloseEvent* event) {
    // FormClose: ask unless the user already confirmed on the "Main Menu" tab.
    // Nothing unsaved: nothing to lose, nothing to ask.
    if (!exitConfirmed_ && modified_ && !ConfirmClose()) {
        event->ignore();
        return;
    }
    closing_ = true;
    QDialog::closeEvent(event);
    closing_ = false;
}

void TCreateSaleslettersForm::reject() {
    // Escape closes the window through the close prompt like the close box does.
    if (closing_)
        QDialog::reject();
    else
        close();
}

void TCreateSaleslettersForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
        auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if (!(change->oldState() & Qt::WindowMinimized))
            platform::services().minimizeApplication();
    }
}

// The Publish window for the chosen project group, publishing the record as
// the pages show it now.
// A build without publishing has no such button.
void TCreateSaleslettersForm::btnPublishClick() {
#ifdef QM_HAVE_PUBLISH
    const std::string group = fromQ(ProjectGroups->currentText());
    TPublishForm form(this, group.empty() ? "Default" : group,
                      [this]() -> std::optional<TSalesLetter> { return Letter(); });
    form.exec();
#endif
}
