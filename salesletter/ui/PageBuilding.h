// Small helpers shared by the files that build the wizard's pages.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace wizardpages {

inline const char kParagraphs[] = "(use <p> to open new paragraph and </p> to end a paragraph)";
inline const char kParagraphsCap[] = "Use <p> to start a paragraph and </p> to end a paragraph";

inline QLabel* bold(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

inline QLabel* guide(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);
    return l;
}

inline QFrame* rule(QWidget* parent) {
    auto* f = new QFrame(parent);
    f->setFrameShape(QFrame::HLine);
    f->setFrameShadow(QFrame::Sunken);
    return f;
}

// A page whose content scrolls when it is taller than the page area.
struct Page {
    QScrollArea* area;
    QWidget* body;
    QVBoxLayout* layout;
};

inline Page newPage(QWidget* parent) {
    Page p;
    p.area = new QScrollArea(parent);
    p.area->setFrameShape(QFrame::NoFrame);
    p.area->setWidgetResizable(true);
    p.area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    p.body = new QWidget;
    p.layout = new QVBoxLayout(p.body);
    p.layout->setContentsMargins(10, 6, 10, 6);
    p.layout->setSpacing(3);
    p.area->setWidget(p.body);
    return p;
}

inline QWidget* finish(Page& p) {
    p.layout->addStretch(1);
    return p.area;
}

} // namespace wizardpages
