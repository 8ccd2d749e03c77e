// Construction of the wizard's content pages, "Headline" to "Affiliate Program".
#include "CreateSaleslettersForm.h"
#include "PageBuilding.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

using namespace wizardpages;

namespace {

std::string numbered(const char* prefix, int n) {
    return prefix + std::to_string(n);
}

} // namespace

QWidget* TCreateSaleslettersForm::buildHeadlinePage() {
    Page p = newPage(this);
    QWidget* b = p.body;
    p.layout->addWidget(bold("Attention Headline", b));
    p.layout->addWidget(guide("This will be a very short attention grabbing headline right below "
                              "the header graphic.  This is not your main headline.",
                              b));
    p.layout->addWidget(makeLine("NH", b));
    p.layout->addSpacing(4);
    p.layout->addWidget(bold("Headline", b));
    p.layout->addWidget(guide("This is your main headline.  It is recommended to have your main "
                              "headline between 12 and 17 words.",
                              b));
    p.layout->addWidget(makeMemo("Headline", b, 60));
    p.layout->addSpacing(4);
    p.layout->addWidget(bold("Subheadline", b));
    p.layout->addWidget(guide("This is a shorter headline that will follow your headline", b));
    p.layout->addWidget(makeMemo("Subheadline", b, 60));
    return finish(p);
}

// A multi-line field under its bold label and guidance lines.
void TCreateSaleslettersForm::memoSection(QVBoxLayout* layout, QWidget* parent, const char* label,
                                          const char* key,
                                          std::initializer_list<const char*> guidance) {
    layout->addWidget(bold(label, parent));
    for (const char* line : guidance)
        layout->addWidget(guide(line, parent));
    layout->addWidget(makeMemo(key, parent, 48));
    layout->addSpacing(3);
}

QWidget* TCreateSaleslettersForm::buildIntroductionPage() {
    Page p = newPage(this);
    memoSection(p.layout, p.body, "Introduction Sentence", "IntroLine",
                {"This is the first line of the sales letter and should grab their attention"});
    memoSection(p.layout, p.body, "1st Paragraph", "FirstParagraph", {kParagraphs});
    memoSection(p.layout, p.body, "Problem", "Problem",
                {"This is the problem that you encountered that gave you the desire to create "
                 "your product",
                 kParagraphs});
    return finish(p);
}

QWidget* TCreateSaleslettersForm::buildIntroduceProductPage() {
    Page p = newPage(this);
    memoSection(p.layout, p.body, "Introduction Headline", "IntroHeadline",
                {"This is the headline that you will use to introduce your product"});
    memoSection(p.layout, p.body, "Feature List", "FeatureList",
                {"List the main features of your product", kParagraphs});
    memoSection(p.layout, p.body, "How Your Product Solves The Problem", "Introduction",
                {"Explain how this product solves the problem you mentioned earlier", kParagraphs});
    return finish(p);
}

QWidget* TCreateSaleslettersForm::buildFeatureListsPage() {
    Page p = newPage(this);
    QWidget* b = p.body;
    auto* g = new QGridLayout;
    g->setHorizontalSpacing(10);
    g->setVerticalSpacing(2);
    for (int n = 1; n <= 9; ++n) {
        int row = (n - 1) / 3 * 2, column = (n - 1) % 3;
        auto* head = new QHBoxLayout;
        head->addWidget(bold(QString("Feature %1:").arg(n), b));
        head->addWidget(makeLine(numbered("F", n).c_str(), b), 1);
        g->addLayout(head, row, column);
        g->addWidget(makeMemo(numbered("FD", n).c_str(), b, 44), row + 1, column);
    }
    p.layout->addLayout(g);
    p.layout->addSpacing(4);
    p.layout->addWidget(bold("Feature Summary", b));
    p.layout->addWidget(guide("Include a summary of the features", b));
    p.layout->addWidget(guide(kParagraphsCap, b));
    p.layout->addWidget(makeLine("FeatureSummary", b));
    return finish(p);
}

QWidget* TCreateSaleslettersForm::buildBenefitsPage() {
    Page p = newPage(this);
    QWidget* b = p.body;
    memoSection(p.layout, p.body, "Introduce the Benefits", "Benefits",
                {"Explain the benefits that your product will give them", kParagraphs});
    auto* g = new QGridLayout;
    g->setVerticalSpacing(3);
    for (int n = 1; n <= 5; ++n) {
        g->addWidget(bold(QString("Benefit %1").arg(n), b), n, 0);
        g->addWidget(makeLine(numbered("Benefit", n).c_str(), b), n, 1);
    }
    g->setColumnStretch(1, 1);
    p.layout->addLayout(g);
    return finish(p);
}

QWidget* TCreateSaleslettersForm::buildTestimonialsPage() {
    Page p = newPage(this);
    QWidget* b = p.body;
    auto* g = new QGridLayout;
    g->setHorizontalSpacing(8);
    g->setVerticalSpacing(3);
    for (int n = 1; n <= 5; ++n) {
        int c = n - 1;
        g->addWidget(bold(QString("Testimonial %1").arg(n), b), 0, c);
        QLineEdit* name = makeLine(numbered("TN", n).c_str(), b);
        QLineEdit* site = makeLine(numbered("TW", n).c_str(), b);
        QLineEdit* head = makeLine(numbered("T", n).c_str(), b);
        name->setPlaceholderText("Name");
        site->setPlaceholderText("Website");
        head->setPlaceholderText("Testimonial");
        g->addWidget(name, 1, c);
        g->addWidget(site, 2, c);
        g->addWidget(head, 3, c);
        g->addWidget(makeMemo(numbered("TD", n).c_str(), b, 110), 4, c);
        g->setColumnStretch(c, 1);
    }
    p.layout->addLayout(g);
    p.layout->addSpacing(8);
    auto* colour = new QHBoxLayout;
    colour->addWidget(bold("Testimonial Background Color", b));
    QWidget* tbc = pickerRow("TBC", btnTBC, ">>", b);
    tbc->setFixedWidth(140);
    colour->addWidget(tbc);
    colour->addStretch(1);
    p.layout->addLayout(colour);
    return finish(p);
}

QWidget* TCreateSaleslettersForm::buildBodyPage() {
    Page p = newPage(this);
    memoSection(p.layout, p.body, "How This Product Works", "HowItWorks", {kParagraphsCap});
    memoSection(p.layout, p.body, "How Much Are You Charging And Why", "PriceReason",
                {kParagraphsCap});
    memoSection(p.layout, p.body, "What Will Your Customers Receive", "Receive", {kParagraphsCap});
    return finish(p);
}

QWidget* TCreateSaleslettersForm::buildBonusPage() {
    Page p = newPage(this);
    QWidget* b = p.body;
    auto* intro = new QHBoxLayout;
    intro->addWidget(bold("Headline to Introduce Bonus's", b));
    intro->addWidget(makeLine("IntroBonus", b), 1);
    p.layout->addLayout(intro);
    p.layout->addSpacing(4);
    auto* g = new QGridLayout;
    g->setHorizontalSpacing(10);
    g->setVerticalSpacing(2);
    for (int n = 1; n <= 5; ++n) {
        int row = (n - 1) / 3 * 2, column = (n - 1) % 3;
        auto* head = new QHBoxLayout;
        head->addWidget(bold(QString("Bonus %1").arg(n), b));
        head->addWidget(makeLine(numbered("FG", n).c_str(), b), 1);
        g->addLayout(head, row, column);
        g->addWidget(makeMemo(numbered("FGD", n).c_str(), b, 70), row + 1, column);
        g->setColumnStretch(column, 1);
    }
    p.layout->addLayout(g);
    return finish(p);
}

QWidget* TCreateSaleslettersForm::buildGuaranteePage() {
    Page p = newPage(this);
    QWidget* b = p.body;
    p.layout->addWidget(bold("Money Back Guarantee", b));
    p.layout->addWidget(guide("Headline to describe which type of guarantee you are offering", b));
    p.layout->addWidget(makeLine("MBG", b));
    p.layout->addSpacing(4);
    memoSection(p.layout, p.body, "Your Guarantee", "YG", {kParagraphsCap});
    auto* colour = new QHBoxLayout;
    colour->addWidget(bold("Money Back Guarantee Background Color", b));
    QWidget* mbc = pickerRow("MBC", btnMBC, ">>", b);
    mbc->setFixedWidth(140);
    colour->addWidget(mbc);
    colour->addStretch(1);
    p.layout->addLayout(colour);
    return finish(p);
}

QWidget* TCreateSaleslettersForm::buildClosingPage() {
    Page p = newPage(this);
    QWidget* b = p.body;
    memoSection(p.layout, p.body, "Closing Paragraph", "Closing",
                {"This is where you are going to close the sale", kParagraphsCap});
    auto* closing = new QHBoxLayout;
    closing->addWidget(bold("Closing Statement", b));
    closing->addWidget(makeLine("ClosingS", b), 1);
    p.layout->addLayout(closing);
    p.layout->addSpacing(3);
    memoSection(p.layout, p.body, "P.S.", "PS",
                {"This can be one of the most important parts of the site.  Be sure to restate "
                 "the main benefits of using your product.",
                 kParagraphsCap});
    return finish(p);
}

QWidget* TCreateSaleslettersForm::buildLegalFormsPage() {
    Page p = newPage(this);
    QWidget* b = p.body;
    auto* g = new QGridLayout;
    g->setVerticalSpacing(6);
    const std::pair<const char*, const char*> rows[] = {
        {"First Name", "N"}, {"Last Name", "LN"}, {"Business Name", "BN"}};
    int row = 0;
    for (auto [label, key] : rows) {
        g->addWidget(bold(label, b), row, 0);
        g->addWidget(makeLine(key, b), row++, 1);
    }
    g->setColumnMinimumWidth(0, 150);
    g->setColumnStretch(1, 1);
    p.layout->addSpacing(6);
    p.layout->addLayout(g);
    return finish(p);
}

QWidget* TCreateSaleslettersForm::buildPopUpPage() {
    Page p = newPage(this);
    QWidget* b = p.body;
    p.layout->addWidget(bold("Ezine Title", b));
    p.layout->addWidget(guide("This is the title of your ezine or newsletter", b));
    p.layout->addWidget(makeLine("PopT", b));
    p.layout->addWidget(bold("Ezine E-mail Address", b));
    p.layout->addWidget(makeLine("EEA", b));
    p.layout->addWidget(bold("E-mail Subject", b));
    p.layout->addWidget(guide("Some autoresponders require a subject line.  If you are not sure "
                              "what it is, then just use \"subscribe\"",
                              b));
    p.layout->addWidget(makeLine("ES", b));
    p.layout->addWidget(bold("Ezine Description", b));
    p.layout->addWidget(makeMemo("ED", b, 60, true));
    return finish(p);
}

QWidget* TCreateSaleslettersForm::buildOrderLinksPage() {
    Page p = newPage(this);
    QWidget* b = p.body;
    p.layout->addWidget(bold("Order headline", b));
    p.layout->addWidget(guide("This is the order headline", b));
    p.layout->addWidget(makeLine("OH", b));
    p.layout->addWidget(guide("Insert your direct link to your product order page", b));
    p.layout->addWidget(makeLine("Link", b));
    auto* colour = new QHBoxLayout;
    colour->addWidget(new QLabel("Order Link Background Color:", b));
    QWidget* olbc = pickerRow("OLBC", btnOLBC, ">>", b);
    olbc->setFixedWidth(140);
    colour->addWidget(olbc);
    colour->addStretch(1);
    p.layout->addLayout(colour);
    auto* g = new QGridLayout;
    g->setVerticalSpacing(3);
    for (int n = 1; n <= 5; ++n) {
        g->addWidget(bold(QString("Order Reason %1").arg(n), b), n, 0);
        g->addWidget(makeLine(numbered("OR", n).c_str(), b), n, 1);
    }
    g->setColumnStretch(1, 1);
    p.layout->addLayout(g);
    return finish(p);
}

QWidget* TCreateSaleslettersForm::buildAffiliatePage() {
    Page p = newPage(this);
    QWidget* b = p.body;
    p.layout->addWidget(
        guide("You will need to sign up as an affiliate for Tarrowby affiliate ID", b));
    auto link = [&](const char* lead, QLabel*& label, const char* name) {
        auto* row = new QHBoxLayout;
        row->setSpacing(4);
        row->addWidget(new QLabel(lead, b));
        label = new QLabel("<u>click here</u>", b);
        label->setObjectName(name);
        label->setStyleSheet("color: #0000ff;");
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
        row->addWidget(label);
        row->addStretch(1);
        p.layout->addLayout(row);
    };
    link("If you need one,", Label113, "Label113");
    link("If you have forgotten your ID,", Label114, "Label114");
    p.layout->addWidget(rule(b));
    p.layout->addWidget(bold("Earn Income", b));
    auto* id = new QHBoxLayout;
    id->addWidget(guide("Affiliate ID:", b));
    QLineEdit* affiliate = makeLine("AffiliateID", b);
    affiliate->setFixedWidth(220);
    id->addWidget(affiliate);
    id->addStretch(1);
    p.layout->addLayout(id);
    p.layout->addWidget(rule(b));
    p.layout->addWidget(guide(
        "Once you have completed all the required steps, now all you need to do is select the "
        "finish button. Once you fill out the path you want to save your generated sales letter, "
        "it will save all the required files so all you have to do is just upload to your web "
        "host provider.",
        b));
    btnFinish = new QPushButton("Finish", b);
    btnFinish->setAutoDefault(false);
    btnFinish->setFixedWidth(90);
    auto* last = new QHBoxLayout;
    last->addWidget(btnFinish);
#ifdef QM_HAVE_PUBLISH
    btnPublish = new QPushButton("Publish…", b);
    btnPublish->setAutoDefault(false);
    btnPublish->setFixedWidth(90);
    last->addWidget(btnPublish);
#endif
    last->addStretch(1);
    p.layout->addLayout(last);
    return finish(p);
}
