#include "PageControl.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

TPageControl::TPageControl(QWidget* parent) : QWidget(parent) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    tabRows_ = new QVBoxLayout;
    tabRows_->setSpacing(0);
    outer->addLayout(tabRows_);
    auto* frame = new QFrame(this);
    frame->setObjectName("PageFrame");
    frame->setStyleSheet("#PageFrame { border: 1px solid #8f8f8f; background: palette(window); }");
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(1, 1, 1, 1);
    stack_ = new QStackedWidget(frame);
    frameLayout->addWidget(stack_);
    outer->addWidget(frame, 1);
    setStyleSheet("QToolButton[pageTab=\"true\"] { border: 1px solid #8f8f8f; border-bottom: none;"
                  " border-top-left-radius: 3px; border-top-right-radius: 3px;"
                  " padding: 2px 8px; background: #dcdcdc; }"
                  "QToolButton[pageTab=\"true\"]:checked { background: palette(window); }");
}

void TPageControl::AddPage(QWidget* page, const QString& caption) {
    int index = PageCount();
    auto* tab = new QToolButton(this);
    tab->setText(caption);
    tab->setCheckable(true);
    tab->setFocusPolicy(Qt::TabFocus);
    tab->setProperty("pageTab", true);
    connect(tab, &QToolButton::clicked, this, [this, index] { tabClicked(index); });
    tabs_.push_back(tab);
    stack_->addWidget(page);
    SetActivePageIndex(ActivePageIndex());
}

void TPageControl::ArrangeTabs(int width) {
    while (QLayoutItem* item = tabRows_->takeAt(0)) {
        delete item->layout();
        delete item;
    }
    rows_ = 0;
    QHBoxLayout* row = nullptr;
    int used = 0;
    for (QToolButton* tab : tabs_) {
        // The bold caption of the selected tab must fit as well.
        QFont bold = tab->font();
        bold.setBold(true);
        int w = QFontMetrics(bold).horizontalAdvance(tab->text()) + 22;
        tab->setFixedWidth(w);
        if (!row || used + w > width) {
            row = new QHBoxLayout;
            row->setSpacing(0);
            row->setContentsMargins(0, 0, 0, 0);
            row->addStretch(1);
            tabRows_->addLayout(row);
            used = 0;
            ++rows_;
        }
        row->insertWidget(row->count() - 1, tab);
        used += w;
    }
}

int TPageControl::ActivePageIndex() const {
    return stack_->currentIndex();
}

void TPageControl::SetActivePageIndex(int index) {
    if (index < 0 || index >= PageCount())
        return;
    stack_->setCurrentIndex(index);
    // The active tab is drawn raised to the page, with a bold caption.
    for (int i = 0; i < PageCount(); ++i) {
        QToolButton* tab = tabs_[static_cast<std::size_t>(i)];
        tab->setChecked(i == index);
        QFont f = tab->font();
        f.setBold(i == index);
        tab->setFont(f);
    }
}

QWidget* TPageControl::Page(int index) const {
    return stack_->widget(index);
}

void TPageControl::tabClicked(int index) {
    // Picking the tab that is already shown changes nothing.
    if (index == ActivePageIndex()) {
        Tab(index)->setChecked(true);
        return;
    }
    SetActivePageIndex(index);
    emit changed();
}
