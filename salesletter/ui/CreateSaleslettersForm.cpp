#include "CreateSaleslettersForm.h"
#include "PageControl.h"

#include "platform/DataFolder.h"
#include "platform/FileSystem.h"
#include "platform/gui/Text.h"
#include "platform/Services.h"
#include "salesletter/Compiler.h"
#include "salesletter/ProjectFile.h"

#include <exception>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

using platform::fromQ;
using platform::toQ;

namespace {

const char kCaptionPrefix[] = "Create Salesletters - ";
const char kCloseQuestion[] = "Are you sure you want to exit the salespage creator and lose the "
                              "changes in the current salesletter?";
const char kProjectFilter[] = "Projects (*.prj)|*.prj";

bool askYesNo(const char* text, const char* caption) {
    return platform::messageBox(text, caption, platform::Icon::Question,
                                platform::Buttons::YesNo) == platform::Answer::Yes;
}

// Runs a command; an error it raises becomes the standard error report and
// ends only that command.
template <typename F> void guarded(F&& command) {
    try {
        command();
    } catch (const std::exception& e) {
        platform::showError(e.what());
    }
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

    connect(btnNext, &QPushButton::clicked, this, &TCreateSaleslettersForm::btnNextClick);
    connect(btnPrev, &QPushButton::clicked, this, &TCreateSaleslettersForm::btnPrevClick);
    connect(btnPreview, &QPushButton::clicked, this, &TCreateSaleslettersForm::btnPreviewClick);
    connect(btnExit, &QPushButton::clicked, this, &TCreateSaleslettersForm::btnExitClick);
    connect(btnFinish, &QPushButton::clicked, this, &TCreateSaleslettersForm::Compile1Click);
    connect(PageControl, &TPageControl::changed, this, &TCreateSaleslettersForm::PageControlChange);
    connect(btnColors, &QPushButton::clicked, this, &TCreateSaleslettersForm::btnColorsClick);
    connect(btnTBC, &QPushButton::clicked, this, &TCreateSaleslettersForm::btnTBCClick);
    connect(btnMBC, &QPushButton::clicked, this, &TCreateSaleslettersForm::btnMBCClick);
    connect(btnOLBC, &QPushButton::clicked, this, &TCreateSaleslettersForm::btnOLBCClick);
    connect(btnHG, &QPushButton::clicked, this, &TCreateSaleslettersForm::btnHGClick);
    connect(btnEC, &QPushButton::clicked, this, &TCreateSaleslettersForm::btnECClick);
    for (const char* key : {"TW1", "TW2", "TW3", "TW4", "TW5", "Link"})
        Field(key)->installEventFilter(this);

    connect(NewProject1, &QAction::triggered, this, &TCreateSaleslettersForm::NewProject1Click);
    connect(OpenProject1, &QAction::triggered, this, &TCreateSaleslettersForm::OpenProject1Click);
    connect(SaveProject1, &QAction::triggered, this, &TCreateSaleslettersForm::SaveProject1Click);
    connect(SaveProjectAs1, &QAction::triggered, this,
            &TCreateSaleslettersForm::SaveProjectAs1Click);
    connect(Compile1, &QAction::triggered, this, &TCreateSaleslettersForm::Compile1Click);
    connect(Preview1, &QAction::triggered, this, &TCreateSaleslettersForm::btnPreviewClick);
    connect(Exit1, &QAction::triggered, this, &TCreateSaleslettersForm::btnExitClick);

    connect(ProjectGroups, &QComboBox::currentIndexChanged, this,
            &TCreateSaleslettersForm::ProjectGroupsChange);
    connect(Projects, &QComboBox::activated, this, &TCreateSaleslettersForm::ProjectsChange);
    connect(chkNew, &QRadioButton::clicked, this, &TCreateSaleslettersForm::chkNewClick);
    connect(chkOpen, &QRadioButton::clicked, this, &TCreateSaleslettersForm::chkOpenClick);
    connect(PName, &QLineEdit::textChanged, this, &TCreateSaleslettersForm::PNameChange);
    connect(PNameBrowse, &QPushButton::clicked, this, &TCreateSaleslettersForm::PNameBrowseClick);
    connect(btnLoad, &QPushButton::clicked, this, &TCreateSaleslettersForm::btnLoadClick);
    connect(btnSave, &QPushButton::clicked, this, &TCreateSaleslettersForm::btnSaveClick);

    // FormCreate: the project is untitled, and the group list comes from the registry.
    currentFile_.clear();
    untitled_ = true;
    exitConfirmed_ = false;
    setWindowTitle(toQ(std::string(kCaptionPrefix) + "Untitled"));
    guarded([this] { FillProjectGroups(); });
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
    // A memo gives its lines separated by CR LF, whatever the widget holds.
    return platform::toCrLf(fromQ(static_cast<QPlainTextEdit*>(w)->toPlainText()));
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

void TCreateSaleslettersForm::SetLetter(const TSalesLetter& letter) {
    applyTemplateOptions(letter);
    for (const FieldInfo& f : TSalesLetter::Fields())
        SetFieldText(f.key, letter[f.key]);
}

// ---- project file ----

void TCreateSaleslettersForm::setCaptionFromFile() {
    setWindowTitle(toQ(kCaptionPrefix + ExtractFileName(currentFile_)));
}

void TCreateSaleslettersForm::LoadProject(const std::string& path) {
    TSalesLetter letter = Letter();
    ::LoadProject(letter, path);
    SetLetter(letter);
    currentFile_ = path;
    untitled_ = false;
    setCaptionFromFile();
}

void TCreateSaleslettersForm::SaveProject(const std::string& path) {
    bool written = false;
    std::vector<std::string> cut = ::SaveProject(Letter(), path, &written);
    if (!written)
        return; // the engine has warned; caption and current file stay as they were
    currentFile_ = path;
    untitled_ = false;
    setCaptionFromFile();
    if (!cut.empty()) {
        std::string names;
        for (const std::string& key : cut)
            names += (names.empty() ? "" : ", ") + key;
        platform::messageBox("The project file keeps at most 255 characters per line, so the end "
                             "of these fields was not saved: " +
                                 names + ".",
                             "Warning", platform::Icon::Warning, platform::Buttons::Ok);
    }
}

void TCreateSaleslettersForm::ResetProject() {
    TSalesLetter letter = Letter();
    letter.ResetProject();
    for (const FieldInfo& f : TSalesLetter::Fields())
        SetFieldText(f.key, letter[f.key]);
    currentFile_.clear();
    untitled_ = true;
    setWindowTitle(toQ(std::string(kCaptionPrefix) + "Untitled"));
}

void TCreateSaleslettersForm::NewProject1Click() {
    if (askYesNo("Are you sure you want to create a new salesletter and lose the changes in the "
                 "current one?",
                 "New Salesletter"))
        ResetProject();
}

void TCreateSaleslettersForm::OpenProject1Click() {
    if (!askYesNo("Are you sure you want to open a salesletter and lose the changes in the "
                  "current one?",
                  "Open Salesletter"))
        return;
    platform::FileDialogOptions options;
    options.title = "Open Project";
    options.filter = kProjectFilter;
    std::vector<std::string> chosen = platform::services().openFiles(options);
    if (!chosen.empty())
        guarded([&] { LoadProject(chosen.front()); });
}

void TCreateSaleslettersForm::SaveProject1Click() {
    if (untitled_)
        SaveProjectAs1Click();
    else
        guarded([this] { SaveProject(currentFile_); });
}

void TCreateSaleslettersForm::SaveProjectAs1Click() {
    platform::FileDialogOptions options;
    options.title = "Save Project";
    options.filter = kProjectFilter;
    if (std::optional<std::string> name = platform::services().saveFile(options))
        guarded([&] { SaveProject(EnsureExtension(*name, ".prj")); });
}

// ---- preview and compile ----

void TCreateSaleslettersForm::btnPreviewClick() {
    guarded([this] {
        std::string target = platform::dataFolder() + kPreviewPageName;
        CompileSalesLetter(Letter(), target);
        platform::services().openDocument(target);
    });
}

void TCreateSaleslettersForm::Compile1Click() {
    platform::FileDialogOptions options;
    options.title = "Compile Sales Letter";
    options.filter = "HTML Documents (*.html)|*.html";
    options.initialFolder = pnameInitialFolder_;
    std::optional<std::string> name = platform::services().saveFile(options);
    if (!name)
        return;
    guarded([&] {
        std::string target = EnsureExtension(*name, ".html");
        CompileSalesLetter(Letter(), target);
        platform::services().openDocument(target);
    });
}

// ---- closing and minimising ----

void TCreateSaleslettersForm::btnExitClick() {
    close();
}

void TCreateSaleslettersForm::closeEvent(QCloseEvent* event) {
    // FormClose: ask unless the user already confirmed on the "Main Menu" tab.
    if (!exitConfirmed_ && !askYesNo(kCloseQuestion, "Confirm Close")) {
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
