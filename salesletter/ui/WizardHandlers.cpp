// The wizard's navigation, pickers, address completion, affiliate links and
// welcome page.
#include "CloseQuestion.h"
#include "CreateSaleslettersForm.h"
#include "PageControl.h"

#include "platform/FileSystem.h"
#include "platform/gui/Handlers.h"
#include "platform/gui/Text.h"
#include "platform/PathParts.h"
#include "platform/Services.h"
#include "salesletter/FieldHelpers.h"
#include "salesletter/ProjectFile.h"
#include "workspace/Affiliate.h"
#include "workspace/Registry.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include <filesystem>

using platform::fromQ;
using platform::toQ;

// ---- navigation ----

void TCreateSaleslettersForm::btnNextClick() {
    PageControl->SetActivePageIndex(PageControl->ActivePageIndex() + 1);
    PageControlChange();
}

void TCreateSaleslettersForm::btnPrevClick() {
    PageControl->SetActivePageIndex(PageControl->ActivePageIndex() - 1);
    PageControlChange();
}

void TCreateSaleslettersForm::PageControlChange() {
    int last = PageControl->PageCount() - 1;
    if (PageControl->ActivePageIndex() == last) {
        updateNavigation();
        // Leaving asks only when something is unsaved.
        if (!modified_ || ConfirmClose()) {
            exitConfirmed_ = true;
            close();
            return;
        }
        PageControl->SetActivePageIndex(0);
    }
    updateNavigation();
}

void TCreateSaleslettersForm::updateNavigation() {
    int index = PageControl->ActivePageIndex();
    btnPrev->setEnabled(index > 0);
    btnNext->setEnabled(index < PageControl->PageCount() - 1);
}

// ---- colour and image pickers ----

void TCreateSaleslettersForm::pickColor(const char* key) {
    // One colour dialog for all four buttons: it opens on its own last choice.
    std::optional<std::uint32_t> color = platform::services().chooseColor(lastColor_);
    if (!color)
        return;
    lastColor_ = *color;
    SetFieldText(key, ColorToHex(*color));
}

void TCreateSaleslettersForm::btnColorsClick() {
    pickColor("PBC");
}
void TCreateSaleslettersForm::btnTBCClick() {
    pickColor("TBC");
}
void TCreateSaleslettersForm::btnMBCClick() {
    pickColor("MBC");
}
void TCreateSaleslettersForm::btnOLBCClick() {
    pickColor("OLBC");
}

void TCreateSaleslettersForm::pickImage(const char* key) {
    platform::FileDialogOptions options;
    options.title = "Choose File";
    options.filter = "Pictures (*.png *.jpg *.jpeg *.gif *.webp *.svg)|"
                     "*.png;*.jpg;*.jpeg;*.gif;*.webp;*.svg|"
                     "PNG (*.png)|*.png|JPEG (*.jpg *.jpeg)|*.jpg;*.jpeg|GIF (*.gif)|*.gif|"
                     "WebP (*.webp)|*.webp|SVG (*.svg)|*.svg|All files (*)|*";
    // One image dialog for both buttons: it starts where the last choice was,
    // at first in the project's folder.
    options.initialFolder = lastImage_.empty() ? DialogFolder() : platform::folderPart(lastImage_);
    std::vector<std::string> chosen = platform::services().openFiles(options);
    if (chosen.empty())
        return;
    lastImage_ = chosen.front();
    SetFieldText(key, chosen.front());
}

void TCreateSaleslettersForm::btnHGClick() {
    pickImage("HG");
}
void TCreateSaleslettersForm::btnECClick() {
    pickImage("EC");
}

// ---- address fields and links ----

void TCreateSaleslettersForm::TW1Exit(QLineEdit* field) {
    std::string text = fromQ(field->text());
    std::string completed = CompleteWebAddress(text);
    if (completed != text)
        field->setText(toQ(completed));
}

void TCreateSaleslettersForm::Label113Click() {
    platform::services().openDocument(workspace::kAffiliateHost);
}

void TCreateSaleslettersForm::Label114Click() {
    platform::services().openDocument(workspace::kAffiliateHost);
}

bool TCreateSaleslettersForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // Leaving the field, not the window: switching to another window or
        // opening the field's context menu keeps the text as it is.
        Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        auto* field = qobject_cast<QLineEdit*>(watched);
        if (field && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            platform::guarded([&] { TW1Exit(field); });
    } else if (event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == Label113) {
            platform::guarded([this] { Label113Click(); });
            return true;
        }
        if (watched == Label114) {
            platform::guarded([this] { Label114Click(); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---- welcome page ----

void TCreateSaleslettersForm::FillProjectGroups() {
    std::vector<std::string> groups = workspace::ListGroups();
    QSignalBlocker block(ProjectGroups);
    ProjectGroups->clear();
    for (const std::string& g : groups)
        ProjectGroups->addItem(toQ(g));
    ProjectGroups->setCurrentIndex(-1);
}

void TCreateSaleslettersForm::FillProjects(int index) {
    if (index < 0) {
        pnameInitialFolder_.clear();
        Projects->clear();
        return;
    }
    std::vector<std::string> projects =
        workspace::ListProjects(fromQ(ProjectGroups->itemText(index)));
    QSignalBlocker block(Projects);
    Projects->clear();
    for (const std::string& p : projects)
        Projects->addItem(toQ(p));
    Projects->setCurrentIndex(-1);
}

void TCreateSaleslettersForm::ProjectGroupsChange() {
    FillProjects(ProjectGroups->currentIndex());
}

void TCreateSaleslettersForm::ProjectsChange() {
    if (ProjectGroups->currentIndex() < 0 || Projects->currentIndex() < 0)
        return;
    pnameInitialFolder_ = workspace::ProjectFolder(fromQ(ProjectGroups->currentText()),
                                                   fromQ(Projects->currentText()));
}

void TCreateSaleslettersForm::chkNewClick() {
    btnLoad->hide();
    btnSave->show();
}

void TCreateSaleslettersForm::chkOpenClick() {
    btnSave->hide();
    btnLoad->show();
}

void TCreateSaleslettersForm::PNameChange() {
    std::string text = fromQ(PName->text());
    std::string bare = UnquoteName(text);
    if (bare != text) {
        QSignalBlocker block(PName);
        PName->setText(toQ(bare));
    }
}

void TCreateSaleslettersForm::PNameBrowseClick() {
    std::string text = UnquoteName(fromQ(PName->text()));
    std::string folder = platform::folderPart(text);
    if (!folder.empty() && platform::folderExists(folder))
        pnameInitialFolder_ = folder;
    platform::FileDialogOptions options;
    options.title = "Open";
    options.filter = "Salesletter projects (*.prj)|*.prj|All files (*)|*";
    options.initialFolder = pnameInitialFolder_.empty() ? DialogFolder() : pnameInitialFolder_;
    std::vector<std::string> chosen = platform::services().openFiles(options);
    if (chosen.empty())
        return;
    // The field takes the path quoted when it holds a blank; PNameChange strips the quotes.
    PName->setText(toQ(QuoteIfBlank(chosen.front())));
    pnameInitialFolder_ = platform::folderPart(chosen.front());
}

// An empty name would load no file (emptying every field) or save onto the
// folder itself; it is refused with a word instead.
static bool nameGiven(const QLineEdit* name) {
    if (!name->text().trimmed().isEmpty())
        return true;
    platform::messageBox("Please enter the name of the salesletter project.", "Warning",
                         platform::Icon::Warning, platform::Buttons::Ok);
    return false;
}

void TCreateSaleslettersForm::btnLoadClick() {
    if (!nameGiven(PName))
        return;
    // A bare name is looked for first where btnSave puts it, in the picked
    // project's folder, then as it stands (beside the program). A name that
    // names no file is refused: loading it would empty every field without a
    // question while the caption claimed the file.
    const std::string text = fromQ(PName->text());
    std::string path = WelcomeSavePath(text, pnameInitialFolder_);
    if (!platform::fileExists(path) && platform::fileExists(text))
        path = text;
    // The name as saved: with ".prj" when it was typed without.
    if (!platform::fileExists(path) && platform::fileExists(EnsureExtension(path, ".prj")))
        path = EnsureExtension(path, ".prj");
    if (!platform::fileExists(path)) {
        platform::messageBox("The salesletter project \"" + path + "\" does not exist.", "Warning",
                             platform::Icon::Warning, platform::Buttons::Ok);
        return;
    }
    LoadProject(path);
}

void TCreateSaleslettersForm::btnSaveClick() {
    if (!nameGiven(PName))
        return;
    // A full path is used as typed; any other name goes into the chosen
    // project's folder. Without a chosen project no folder is guessed: the
    // Save Project dialog asks, starting in the user's documents.
    const std::string text = fromQ(PName->text());
    std::string path;
    if (platform::fsPath(text).is_absolute())
        path = text;
    else if (!pnameInitialFolder_.empty())
        path = pnameInitialFolder_ + platform::kPathSeparator + text;
    if (path.empty()) {
        platform::FileDialogOptions options;
        options.title = "Save Project";
        options.filter = "Projects (*.prj)|*.prj";
        options.initialFolder = DialogFolder();
        options.fileName = platform::lastPathPart(text);
        std::optional<std::string> chosen = platform::services().saveFile(options);
        if (!chosen)
            return;
        path = *chosen;
    }
    saveWithQuestions(EnsureExtension(path, ".prj"));
}

TCreateSaleslettersForm::WelcomeChoice TCreateSaleslettersForm::Welcome() const {
    WelcomeChoice choice;
    if (ProjectGroups->currentIndex() >= 0)
        choice.group = fromQ(ProjectGroups->currentText());
    if (Projects->currentIndex() >= 0)
        choice.project = fromQ(Projects->currentText());
    choice.name = fromQ(PName->text());
    return choice;
}

void TCreateSaleslettersForm::SetWelcome(const WelcomeChoice& choice) {
    const int group = choice.group.empty() ? -1 : ProjectGroups->findText(toQ(choice.group));
    if (group >= 0) {
        ProjectGroups->setCurrentIndex(group); // fills Projects
        const int project = choice.project.empty() ? -1 : Projects->findText(toQ(choice.project));
        if (project >= 0) {
            Projects->setCurrentIndex(project);
            ProjectsChange();
        }
    }
    PName->setText(toQ(choice.name));
}
