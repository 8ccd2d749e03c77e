// Construction of the wizard's frame and its nineteen pages.
#include "CreateSaleslettersForm.h"
#include "PageBuilding.h"
#include "PageControl.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <limits>

using namespace wizardpages;

QLineEdit* TCreateSaleslettersForm::makeLine(const char* key, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(key);
    e->setMaxLength(std::numeric_limits<int>::max()); // no cut at 32,767 characters
    fields_[key] = e;
    return e;
}

QWidget* TCreateSaleslettersForm::makeMemo(const char* key, QWidget* parent, int height,
                                           bool wrap) {
    auto* m = new QPlainTextEdit(parent);
    m->setObjectName(key);
    m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    m->setTabChangesFocus(true);
    m->setFixedHeight(height);
    fields_[key] = m;
    return m;
}

QWidget* TCreateSaleslettersForm::pickerRow(const char* key, QPushButton*& button,
                                            const char* caption, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(4);
    h->addWidget(makeLine(key, row), 1);
    button = new QPushButton(caption, row);
    button->setFixedWidth(32);
    h->addWidget(button);
    return row;
}

void TCreateSaleslettersForm::buildFrame() {
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);

    Banner = new QLabel(this);
    Banner->setFixedSize(747, 152);
    Banner->setScaledContents(true);
    Banner->setPixmap(QPixmap(":/salesletter/banner.png"));
    main->addWidget(Banner);
    main->addWidget(rule(this));

    PageControl = new TPageControl(this);
    const std::pair<const char*, QWidget* (TCreateSaleslettersForm::*)()> pages[] = {
        {"Welcome", &TCreateSaleslettersForm::buildWelcomePage},
        {"Select Template", &TCreateSaleslettersForm::buildTemplatePage},
        {"Meta-Tags", &TCreateSaleslettersForm::buildMetaTagsPage},
        {"Page Settings", &TCreateSaleslettersForm::buildPageSettingsPage},
        {"Headline", &TCreateSaleslettersForm::buildHeadlinePage},
        {"Introduction", &TCreateSaleslettersForm::buildIntroductionPage},
        {"Introduce Product", &TCreateSaleslettersForm::buildIntroduceProductPage},
        {"Feature Lists", &TCreateSaleslettersForm::buildFeatureListsPage},
        {"Benefits", &TCreateSaleslettersForm::buildBenefitsPage},
        {"Testimonials", &TCreateSaleslettersForm::buildTestimonialsPage},
        {"Body", &TCreateSaleslettersForm::buildBodyPage},
        {"Bonus", &TCreateSaleslettersForm::buildBonusPage},
        {"Guarantee", &TCreateSaleslettersForm::buildGuaranteePage},
        {"Closing", &TCreateSaleslettersForm::buildClosingPage},
        {"Legal Forms", &TCreateSaleslettersForm::buildLegalFormsPage},
        {"Pop-up", &TCreateSaleslettersForm::buildPopUpPage},
        {"Order Links", &TCreateSaleslettersForm::buildOrderLinksPage},
        {"Affiliate Program", &TCreateSaleslettersForm::buildAffiliatePage},
    };
    for (const auto& [caption, build] : pages)
        PageControl->AddPage((this->*build)(), caption);
    PageControl->AddPage(new QWidget, "Main Menu");
    PageControl->ArrangeTabs(747 - 8);
    auto* tabs = new QVBoxLayout;
    tabs->setContentsMargins(4, 4, 4, 0);
    tabs->addWidget(PageControl);
    main->addLayout(tabs, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(8, 6, 8, 6);
    btnPrev = new QPushButton("Previous", this);
    btnNext = new QPushButton("Next", this);
    btnPreview = new QPushButton("Preview", this);
    btnExit = new QPushButton("&Exit", this);
    for (QPushButton* b : {btnPrev, btnNext, btnPreview, btnExit}) {
        b->setAutoDefault(false);
        b->setFixedWidth(80);
    }
    btnPrev->setEnabled(false);
    buttons->addWidget(btnPrev);
    buttons->addWidget(btnNext);
    buttons->addStretch(1);
    btnLivePreview = new QPushButton("Live Preview", this);
    btnLivePreview->setCheckable(true);
    btnLivePreview->setAutoDefault(false);
    btnLivePreview->setFixedWidth(90);
    btnLivePreview->setToolTip("Show the page beside the wizard as you type (Ctrl+Shift+P)");
    buttons->addWidget(btnLivePreview);
    buttons->addWidget(btnPreview);
    buttons->addWidget(btnExit);
    main->addLayout(buttons);
}

void TCreateSaleslettersForm::buildMenu() {
    // The menu bar exists for its commands but never shows: all three menus are hidden.
    MainMenu = new QMenuBar(this);
    QMenu* project = MainMenu->addMenu("&Project");
    NewProject1 = project->addAction("&New Project...");
    project->addSeparator();
    OpenProject1 = project->addAction("&Open Project");
    project->addSeparator();
    SaveProject1 = project->addAction("&Save Project");
    SaveProjectAs1 = project->addAction("&Save Project As...");
    project->addSeparator();
    Compile1 = project->addAction("&Compile");
    Preview1 = project->addAction("&Preview");
    project->addSeparator();
    Exit1 = project->addAction("&Exit");
    QMenu* view = MainMenu->addMenu("&View");
    PreviewWindow1 = view->addAction("&Preview Window");
    PreviewWindow1->setCheckable(true);
    QMenu* help = MainMenu->addMenu("&Help");
    About1 = help->addAction("&About");
    for (QMenu* m : {project, view, help})
        m->menuAction()->setVisible(false);
    MainMenu->hide();
}

QWidget* TCreateSaleslettersForm::buildWelcomePage() {
    Page p = newPage(this);
    QWidget* b = p.body;
    QLabel* title = bold("Welcome", b);
    QFont f = title->font();
    f.setPointSize(f.pointSize() + 4);
    title->setFont(f);
    p.layout->addWidget(title);
    p.layout->addWidget(guide(
        "Please select the project group that you wish to use for saving the salesletter:", b));
    ProjectGroups = new QComboBox(b);
    ProjectGroups->setObjectName("ProjectGroups");
    p.layout->addWidget(ProjectGroups);
    p.layout->addWidget(guide("Now please select the project to save the salesletter into:", b));
    Projects = new QComboBox(b);
    Projects->setObjectName("Projects");
    p.layout->addWidget(Projects);
    chkNew = new QRadioButton("Create a new salesletter project", b);
    chkOpen = new QRadioButton("Open an existing salesletter project", b);
    chkNew->setChecked(true);
    auto* radios = new QHBoxLayout;
    radios->addWidget(chkNew);
    radios->addWidget(chkOpen);
    radios->addStretch(1);
    p.layout->addSpacing(4);
    p.layout->addLayout(radios);
    p.layout->addWidget(guide("Enter the name of the salesletter project:", b));
    auto* name = new QHBoxLayout;
    PName = new QLineEdit(b);
    PName->setObjectName("PName");
    PNameBrowse = new QPushButton("...", b);
    PNameBrowse->setFixedWidth(32);
    PNameBrowse->setAutoDefault(false);
    name->addWidget(PName, 1);
    name->addWidget(PNameBrowse);
    p.layout->addLayout(name);
    auto* actions = new QHBoxLayout;
    btnLoad = new QPushButton("Load Selected Salesletter Project", b);
    btnSave = new QPushButton("Save Current Salesletter Project", b);
    for (QPushButton* x : {btnLoad, btnSave}) {
        x->setAutoDefault(false);
        actions->addWidget(x);
    }
    btnLoad->hide();
    actions->addStretch(1);
    p.layout->addSpacing(4);
    p.layout->addLayout(actions);
    return finish(p);
}

QWidget* TCreateSaleslettersForm::buildTemplatePage() {
    Page p = newPage(this);
    p.layout->addWidget(guide("To begin, select which of the templates below that you'd like to "
                              "use for your sales letter.  (Three templates are available "
                              "in version 2.0: the picture under each shows its page.)",
                              p.body));
    auto* row = new QHBoxLayout;
    QRadioButton** buttons[] = {&CheckBox1, &CheckBox2, &CheckBox3};
    for (int i = 0; i < 3; ++i) {
        auto* column = new QVBoxLayout;
        *buttons[i] = new QRadioButton(p.body);
        (*buttons[i])->setObjectName(QString("CheckBox%1").arg(i + 1));
        column->addWidget(*buttons[i], 0, Qt::AlignHCenter);
        auto* picture = new QLabel(p.body);
        picture->setFixedSize(175, 140);
        picture->setPixmap(QPixmap(QString(":/salesletter/template%1.jpg").arg(i + 1)));
        column->addWidget(picture, 0, Qt::AlignHCenter);
        row->addLayout(column);
    }
    CheckBox1->setChecked(true);
    p.layout->addSpacing(8);
    p.layout->addLayout(row);
    return finish(p);
}

QWidget* TCreateSaleslettersForm::buildMetaTagsPage() {
    Page p = newPage(this);
    QWidget* b = p.body;
    p.layout->addWidget(guide("This section is important because the meta-tags in your HTML will "
                              "give search engines something to index in their databases. They "
                              "are important and should be used on every sales letter.",
                              b));
    auto* g = new QGridLayout;
    g->setVerticalSpacing(3);
    int row = 0;
    auto add = [&](const char* label, QWidget* field) {
        auto* l = guide(label, b);
        g->addWidget(l, row, 0, Qt::AlignTop);
        g->addWidget(field, row++, 1);
    };
    add("Your full name:", makeLine("FN", b));
    add("Subject of website:", makeLine("SW", b));
    add("Website language:", makeLine("WL", b));
    add("Description of website: (no more than 25 words or 255 chars)", makeMemo("WD", b, 40));
    add("Keywords (up to 50 keywords, comma-separated, no spaces):", makeMemo("KP", b, 40));
    auto* rs = new QComboBox(b);
    rs->setObjectName("RS");
    rs->setEditable(true);
    rs->setInsertPolicy(QComboBox::NoInsert);
    rs->addItems({"All", "None", "Index", "No Index", "Follow", "No Follow"});
    fields_["RS"] = rs;
    add("How robots spider site: (choose Follow to have all links listed)", rs);
    add("Type of site:", makeLine("TS", b));
    add("Classifications: (example: Internet Services)", makeLine("CW", b));
    g->setColumnStretch(0, 2);
    g->setColumnStretch(1, 3);
    p.layout->addLayout(g);
    return finish(p);
}

QWidget* TCreateSaleslettersForm::buildPageSettingsPage() {
    Page p = newPage(this);
    QWidget* b = p.body;
    auto* g = new QGridLayout;
    g->setVerticalSpacing(6);
    int row = 0;
    auto add = [&](const char* label, QWidget* field) {
        g->addWidget(bold(label, b), row, 0);
        g->addWidget(field, row++, 1);
    };
    add("Page Title", makeLine("PT", b));
    add("Current Date", makeLine("CD", b));
    add("Your Full Name", makeLine("YFN", b));
    add("Page Background Color", pickerRow("PBC", btnColors, ">>", b));
    add("Customer Support E-Mail Address", makeLine("CS", b));
    add("Header Graphic", pickerRow("HG", btnHG, "...", b));
    g->addWidget(guide("The size of the Header graphic is about 600 x 115 pixels.", b), row++, 1);
    add("E-Cover", pickerRow("EC", btnEC, "...", b));
    g->setColumnMinimumWidth(0, 230);
    g->setColumnStretch(1, 1);
    p.layout->addSpacing(6);
    p.layout->addLayout(g);
    return finish(p);
}
