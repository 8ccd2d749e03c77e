// The sales-letter wizard: nineteen pages that edit a TSalesLetter, the
// project-file commands, preview and compile, and the navigation between pages.
//
// Construct with the owner window and show modally:
//   auto* form = new TCreateSaleslettersForm(owner); form->exec(); delete form;
// Every dialog, question and browser request goes through platform::services().
#pragma once

#include "salesletter/SalesLetter.h"

#include <cstdint>
#include <initializer_list>
#include <map>
#include <QDialog>
#include <string>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QVBoxLayout;
class QGridLayout;
class TLivePreview;
class TPageControl;

class TCreateSaleslettersForm : public QDialog {
    Q_OBJECT
public:
    explicit TCreateSaleslettersForm(QWidget* owner = nullptr);
    ~TCreateSaleslettersForm() override;

    // The record as the controls show it now (multi-line text with CR LF).
    TSalesLetter Letter() const;
    // Shows a record in the controls.
    void SetLetter(const TSalesLetter& letter);

    // The control that shows a field (QLineEdit, QPlainTextEdit or QComboBox).
    QWidget* Field(const std::string& key) const;
    std::string FieldText(const std::string& key) const;
    void SetFieldText(const std::string& key, const std::string& text);

    // Project file commands and state.
    void LoadProject(const std::string& path);
    void SaveProject(const std::string& path);
    void ResetProject();
    // Shows a record recovered after a crash: every field and the template
    // choice, `projectFile` as the current file (untitled when empty), and
    // "(recovered)" after the project's name in the caption.
    // `stamp` is platform::fileStamp of the project file as it was then: a
    // later Save asks first when the file has changed since.
    void RestoreRecovered(const TSalesLetter& letter, const std::string& projectFile,
                          const std::string& stamp = {});
    const std::string& CurrentFile() const { return currentFile_; }
    // Where relative picture names are found, in Preview, Finish and the live
    // preview alike: the project file's folder (the home folder while there is
    // none), written with the system's separators as the user knows them.
    std::string PictureFolder() const;
    // platform::fileStamp of the current file when it was last loaded or saved.
    const std::string& CurrentFileStamp() const { return fileStamp_; }
    // True while the record holds changes that no file holds (after an edit
    // or a restore, until a load, a save or New Project).
    bool Modified() const { return modified_; }
    bool Untitled() const { return untitled_; }
    bool ExitConfirmed() const { return exitConfirmed_; }

    // Welcome page.
    void FillProjectGroups();
    void FillProjects(int index);
    const std::string& PNameInitialFolder() const { return pnameInitialFolder_; }
    // The welcome page's choices: group, project (empty when none) and the name field.
    struct WelcomeChoice {
        std::string group, project, name;
    };
    WelcomeChoice Welcome() const;
    // Picks the group and project when the registry still lists them, and
    // fills the name field.
    void SetWelcome(const WelcomeChoice& choice);
    // Where file dialogs open: the chosen project's folder, else the current
    // file's folder, else the user's documents.
    std::string DialogFolder() const;

    // Controls, named as the program's other code and tests refer to them.
    TPageControl* PageControl = nullptr;
    QPushButton* btnPrev = nullptr;
    QPushButton* btnNext = nullptr;
    QPushButton* btnPreview = nullptr;
    QPushButton* btnLivePreview = nullptr; // checked while the preview window shows
    QPushButton* btnExit = nullptr;
    QPushButton* btnFinish = nullptr;
    QPushButton* btnPublish = nullptr; // beside Finish: the Publish window
    QLabel* Banner = nullptr;
    QRadioButton* CheckBox1 = nullptr;
    QRadioButton* CheckBox2 = nullptr;
    QRadioButton* CheckBox3 = nullptr;
    QComboBox* ProjectGroups = nullptr;
    QComboBox* Projects = nullptr;
    QRadioButton* chkNew = nullptr;
    QRadioButton* chkOpen = nullptr;
    QLineEdit* PName = nullptr;
    QPushButton* PNameBrowse = nullptr;
    QPushButton* btnLoad = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnColors = nullptr;
    QPushButton* btnTBC = nullptr;
    QPushButton* btnMBC = nullptr;
    QPushButton* btnOLBC = nullptr;
    QPushButton* btnHG = nullptr;
    QPushButton* btnEC = nullptr;
    QLabel* Label113 = nullptr;
    QLabel* Label114 = nullptr;
    QMenuBar* MainMenu = nullptr;
    QAction* NewProject1 = nullptr;
    QAction* OpenProject1 = nullptr;
    QAction* SaveProject1 = nullptr;
    QAction* SaveProjectAs1 = nullptr;
    QAction* Compile1 = nullptr;
    QAction* Preview1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* PreviewWindow1 = nullptr;
    QAction* About1 = nullptr;
    TLivePreview* LivePreview = nullptr; // the preview window and its refreshes

signals:
    // Once for every change the user makes to a field or to the template
    // choice; not while SetLetter, LoadProject or ResetProject fill the controls.
    void letterEdited();
    // SetLetter, LoadProject or ResetProject put another record in the controls.
    void letterReplaced();
    // After SaveProject has written the record to CurrentFile().
    void projectSaved();
    // After the user confirmed New Project and the record was reset.
    void projectReset();

public slots:
    void btnNextClick();
    void btnPrevClick();
    void PageControlChange();
    void btnColorsClick();
    void btnTBCClick();
    void btnMBCClick();
    void btnOLBCClick();
    void btnHGClick();
    void btnECClick();
    void TW1Exit(QLineEdit* field);
    void Label113Click();
    void Label114Click();
    void NewProject1Click();
    void OpenProject1Click();
    void SaveProject1Click();
    void SaveProjectAs1Click();
    void btnExitClick();
    void btnPreviewClick();
    void Compile1Click();
    void btnPublishClick();
    void ProjectGroupsChange();
    void ProjectsChange();
    void chkNewClick();
    void chkOpenClick();
    void PNameChange();
    void PNameBrowseClick();
    void btnLoadClick();
    void btnSaveClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Page construction (WizardPages.cpp).
    void buildFrame();
    void buildMenu();
    QWidget* buildWelcomePage();
    QWidget* buildTemplatePage();
    QWidget* buildMetaTagsPage();
    QWidget* buildPageSettingsPage();
    QWidget* buildHeadlinePage();
    QWidget* buildIntroductionPage();
    QWidget* buildIntroduceProductPage();
    QWidget* buildFeatureListsPage();
    QWidget* buildBenefitsPage();
    QWidget* buildTestimonialsPage();
    QWidget* buildBodyPage();
    QWidget* buildBonusPage();
    QWidget* buildGuaranteePage();
    QWidget* buildClosingPage();
    QWidget* buildLegalFormsPage();
    QWidget* buildPopUpPage();
    QWidget* buildOrderLinksPage();
    QWidget* buildAffiliatePage();

    // Field construction helpers: each registers the control under its key.
    QLineEdit* makeLine(const char* key, QWidget* parent);
    QWidget* makeMemo(const char* key, QWidget* parent, int height, bool wrap = false);
    void memoSection(QVBoxLayout* layout, QWidget* parent, const char* label, const char* key,
                     std::initializer_list<const char*> guidance);
    QWidget* pickerRow(const char* key, QPushButton*& button, const char* caption, QWidget* parent);

    void pickColor(const char* key);
    void pickImage(const char* key);
    void setCaptionFromFile();
    // Saves after the questions a replaced or changed file needs; false when
    // the user answered No.
    bool saveWithQuestions(const std::string& path);
    void updateNavigation();
    void applyTemplateOptions(const TSalesLetter& letter);
    void connectEditSignals();

    std::map<std::string, QWidget*> fields_;
    std::string currentFile_;
    std::string fileStamp_;
    bool untitled_ = true;
    bool modified_ = false;
    bool exitConfirmed_ = false;
    bool closing_ = false;
    bool filling_ = false; // the controls are being filled, not edited
    std::string pnameInitialFolder_;
    std::uint32_t lastColor_ = 0; // the colour dialog keeps its last choice; black at first
    std::string lastImage_;       // the image dialog's last choice
};
