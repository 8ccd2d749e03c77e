#include "PageControl.h"

#include "platform/gui/TabStrip.h"

#include <QAbstractButton>
#include <QFrame>
#include <QStackedWidget>
#include <QVBoxLayout>

TPageControl::TPageControl(QWidget* parent) : QWidget(parent) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    tabs_ = new TabStrip(this);
    // Grey tabs; the active one has the page's face and a bold caption.
    tabs_->setStyleSheet("QPushButton { border: 1px solid #8f8f8f; border-bottom: none;"
                         " border-top-left-radius: 3px; border-top-right-radius: 3px;"
                         " padding: 2px 8px; background: #dcdcdc; }"
                         "QPushButton:checked { background: palette(window); font-weight: bold; }");
    outer->addWidget(tabs_);
    auto* frame = new QFrame(this);
    frame->setObjectName("PageFrame");
    frame->setStyleSheet("#PageFrame { border: 1px solid #8f8f8f; background: palette(window); }");
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(1, 1, 1, 1);
    stack_ = new QStackedWidget(frame);
    frameLayout->addWidget(stack_);
    outer->addWidget(frame, 1);
    connect(tabs_, &TabStrip::currentChanged, stack_, &QStackedWidget::setCurrentIndex);
    connect(tabs_, &TabStrip::tabPicked, this, &TPageControl::changed);
}

void TPageControl::AddPage(QWidget* page, const QString& caption) {
    const int index = tabs_->addTab(QString("TabSheet%1").arg(PageCount() + 1), caption);
    // As wide as the bold caption of the active tab, so the rows never move.
    QAbstractButton* tab = tabs_->tabButton(index);
    QFont bold = tab->font();
    bold.setBold(true);
    tab->setFixedWidth(QFontMetrics(bold).horizontalAdvance(caption) + 22);
    stack_->addWidget(page);
    stack_->setCurrentIndex(tabs_->currentIndex());
}

void TPageControl::ArrangeTabs(int width) {
    tabs_->resize(width, tabs_->heightForWidth(width));
}

int TPageControl::PageCount() const {
    return tabs_->count();
}

int TPageControl::ActivePageIndex() const {
    return stack_->currentIndex();
}

void TPageControl::SetActivePageIndex(int index) {
    tabs_->setCurrentIndex(index); // shows the page through currentChanged
}

QWidget* TPageControl::Page(int index) const {
    return stack_->widget(index);
}

QAbstractButton* TPageControl::Tab(int index) const {
    return tabs_->tabButton(index);
}

int TPageControl::RowCount() const {
    return tabs_->rowCount();
}
