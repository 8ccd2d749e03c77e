// The "Status Check" tab of the Legal Information window: a small form about
// one work and, below it, in plain words, whether the work is in the public
// domain in the United States, in countries of life + 70 and life + 50
// years, and in Canada. The answer follows every change of the form, and a
// question is open only while its answer can change the result.
#pragma once

#include "browsers/StatusRules.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

class StatusCheckPage : public QWidget {
    Q_OBJECT
public:
    // `currentYear`: the answers hold as of 1 January of that year.
    StatusCheckPage(QWidget* parent, int currentYear);

    // The work as the form describes it now.
    browsers::Work CurrentWork() const;
    // The answer shown, as plain text.
    QString AnswerText() const;

    QComboBox* Published;
    QLineEdit* Year;
    QLineEdit* Created; // asked only where the year of creation matters
    QComboBox* Month;   // "Unknown", then the months
    QComboBox* Notice;
    QComboBox* Renewed;
    QLineEdit* Died;
    QComboBox* Author;
    QCheckBox* SoundRecording;
    QComboBox* UsAuthor;
    QComboBox* HomeTerm; // life + 50, 70, 80 years, "Unknown"
    QLabel* Answer;

private:
    void refresh();

    int currentYear_;
    QLabel* yearLabel_;
};
