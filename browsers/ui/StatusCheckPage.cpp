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
    Created = yearEdit(this);
    Created->setPlaceholderText("if earlier");
    Month = new QComboBox(this);
    Month->addItems({"Unknown", "January", "February", "March", "April", "May", "June", "July",
                     "August", "September", "October", "November", "December"});
    Died = yearEdit(this);
    Died->setPlaceholderText("optional");
    Author = new QComboBox(this);
    Author->addItems({"A person", "Anonymous or pseudonymous", "Made for hire"});
    SoundRecording = new QCheckBox("It is a sound recording", this);
    UsAuthor = knownBox(this);
    HomeTerm = new QComboBox(this);
    HomeTerm->addItems({"Life + 50 years", "Life + 70 years", "Life + 80 years", "Unknown"});
    HomeTerm->setCurrentIndex(3);

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight);
    form->addRow("First published:", Published);
    yearLabel_ = new QLabel("Year of first publication:", this);
    form->addRow(yearLabel_, Year);
    form->addRow("Year of creation (made or recorded):", Created);
    form->addRow("Month of publication:", Month);
    form->addRow("Carried a copyright notice:", Notice);
    form->addRow("Copyright renewed:", Renewed);
    auto* diedLabel = new QLabel("Year of death of the author (the last surviving author of a "
                                 "joint work, words and music together):",
                                 this);
    diedLabel->setWordWrap(true);
    form->addRow(diedLabel, Died);
    form->addRow("Author:", Author);
    form->addRow("", SoundRecording);
    form->addRow("An author was a United States national:", UsAuthor);
    form->addRow("Home country's term in 1996:", HomeTerm);

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

    for (QComboBox* box : {Published, Month, Notice, Renewed, Author, UsAuthor, HomeTerm})
        connect(box, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    for (QLineEdit* edit : {Year, Created, Died})
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
    if (!Created->text().isEmpty() && w.published != browsers::FirstPublished::Never)
        w.created = Created->text().toInt();
    w.month = Month->currentIndex();
    w.usAuthor = known(UsAuthor);
    w.homeTerm = static_cast<browsers::HomeTerm>(HomeTerm->currentIndex());
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
    // Each question is open only where its answer can change the result.
    using browsers::Fact;
    const std::pair<QWidget*, Fact> questions[] = {
        {Notice, Fact::Notice},   {Renewed, Fact::Renewal},   {Month, Fact::Month},
        {Created, Fact::Created}, {UsAuthor, Fact::UsAuthor}, {HomeTerm, Fact::HomeTerm}};
    for (const auto& [widget, fact] : questions)
        widget->setEnabled(browsers::FactMatters(w, fact, currentYear_));
    // A year of creation that makes the work impossible stays open to mend.
    if (!Created->text().isEmpty())
        Created->setEnabled(true);

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
