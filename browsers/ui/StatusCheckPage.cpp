#include "StatusCheckPage.h"

#include "platform/gui/Text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

QComboBox* knownBox(QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->addItems({"Yes", "No", "Unknown"});
    box->setCurrentIndex(2);
    return box;
}

browsers::Known known(const QComboBox* box) {
    switch (box->currentIndex()) {
    case 0:
        return browsers::Known::Yes;
    case 1:
        return browsers::Known::No;
    default:
        return browsers::Known::Unknown;
    }
}

QLineEdit* yearEdit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setValidator(new QIntValidator(1, 9999, edit));
    edit->setMaxLength(4);
    edit->setMaximumWidth(80);
    return edit;
}

} // namespace

StatusCheckPage::StatusCheckPage(QWidget* parent, int currentYear)
    : QWidget(parent), currentYear_(currentYear) {
    setObjectName("StatusCheck");
    setStyleSheet("#StatusCheck { background: #FFFFFF; font-family: Verdana; }");
    setAttribute(Qt::WA_StyledBackground);

    auto* intro = new QLabel(
        QString("Describe one work to see whether it is in the public domain, as of 1 January "
                "%1. This is a quick guide from the rules of the \"Date Tables\" tab, not legal "
                "advice.")
            .arg(currentYear),
        this);
    intro->setWordWrap(true);

    Published = new QComboBox(this);
    Published->addItems({"In the United States", "Elsewhere", "Never published"});
    Year = yearEdit(this);
    Notice = knownBox(this);
    Renewed = knownBox(this);
    Died = yearEdit(this);
    Died->setPlaceholderText("optional");
    Author = new QComboBox(this);
    Author->addItems({"A person", "Anonymous or pseudonymous", "Made for hire"});
    SoundRecording = new QCheckBox("It is a sound recording", this);

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight);
    form->addRow("First published:", Published);
    yearLabel_ = new QLabel("Year of first publication:", this);
    form->addRow(yearLabel_, Year);
    form->addRow("Carried a copyright notice:", Notice);
    form->addRow("Copyright renewed:", Renewed);
    form->addRow("Author's year of death:", Died);
    form->addRow("Author:", Author);
    form->addRow("", SoundRecording);

    Answer = new QLabel(this);
    Answer->setObjectName("Answer");
    Answer->setWordWrap(true);
    Answer->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    Answer->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Answer->setStyleSheet(
        "#Answer { background: #F7F6F5; border: 1px solid #B8B5B0; padding: 6px; }");
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(Answer);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(scroll, 1);

    for (QComboBox* box : {Published, Notice, Renewed, Author})
        connect(box, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    for (QLineEdit* edit : {Year, Died})
        connect(edit, &QLineEdit::textChanged, this, [this] { refresh(); });
    connect(SoundRecording, &QCheckBox::toggled, this, [this] { refresh(); });
    refresh();
}

browsers::Work StatusCheckPage::CurrentWork() const {
    browsers::Work w;
    w.published = static_cast<browsers::FirstPublished>(Published->currentIndex());
    w.year = Year->text().toInt();
    w.notice = known(Notice);
    w.renewed = known(Renewed);
    if (!Died->text().isEmpty())
        w.authorDied = Died->text().toInt();
    w.author = static_cast<browsers::AuthorKind>(Author->currentIndex());
    w.soundRecording = SoundRecording->isChecked();
    return w;
}

QString StatusCheckPage::AnswerText() const {
    return Answer->text();
}

void StatusCheckPage::refresh() {
    browsers::Work w = CurrentWork();
    yearLabel_->setText(w.published == browsers::FirstPublished::Never
                            ? "Year of creation:"
                            : "Year of first publication:");
    // Notice and renewal are asked only where they can change the answer.
    Notice->setEnabled(w.year > 0 && browsers::NoticeMatters(w, currentYear_));
    Renewed->setEnabled(Notice->isEnabled() && browsers::RenewalMatters(w, currentYear_));

    const std::string problem = browsers::CheckWork(w, currentYear_);
    if (!problem.empty()) {
        Answer->setText(platform::toQ(problem));
        return;
    }
    QString text;
    for (const browsers::Verdict& v : browsers::JudgeAll(w, currentYear_)) {
        if (!text.isEmpty())
            text += "\n\n";
        text += platform::toQ(browsers::Describe(v, currentYear_));
    }
    Answer->setText(text);
}
