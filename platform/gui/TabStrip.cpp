#include "TabStrip.h"

#include <QButtonGroup>
#include <QPushButton>
#include <QResizeEvent>

#include <algorithm>

TabStrip::TabStrip(QWidget* parent) : QWidget(parent), group_(new QButtonGroup(this)) {
    setObjectName("PageControl");
    setStyleSheet(styleSheetText());
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    group_->setExclusive(true);
    connect(group_, &QButtonGroup::idClicked, this, &TabStrip::pick);
}

const char* TabStrip::styleSheetText() {
    return "QPushButton {"
           "  font-family: Verdana; font-size: 8pt; color: #202020;"
           "  background: #F7F6F5; border: 1px solid #B8B5B0; border-bottom: none;"
           "  border-top-left-radius: 6px; border-top-right-radius: 6px;"
           "  padding: 5px 10px 4px 10px; margin: 0px;"
           "}"
           "QPushButton:hover { background: #FFFFFF; }"
           "QPushButton:checked {"
           "  background: #F7F6F5; color: #000000;"
           "  border-top: 3px solid #F09B14; padding-top: 3px;"
           "}"
           "QPushButton:focus { outline: none; }";
}

int TabStrip::addTab(const QString& name, const QString& caption) {
    auto* tab = new QPushButton(caption, this);
    tab->setObjectName(name);
    tab->setCheckable(true);
    tab->setAutoDefault(false);
    tab->setFocusPolicy(Qt::TabFocus);
    const int index = count();
    tabs_.push_back(tab);
    group_->addButton(tab, index);
    if (current_ < 0) {
        current_ = index;
        tab->setChecked(true);
    }
    placeTabs();
    fitHeight();
    return index;
}

QString TabStrip::tabText(int index) const {
    return index >= 0 && index < count() ? tabs_[index]->text() : QString();
}

QString TabStrip::tabName(int index) const {
    return index >= 0 && index < count() ? tabs_[index]->objectName() : QString();
}

QAbstractButton* TabStrip::tabButton(int index) const {
    return index >= 0 && index < count() ? tabs_[index] : nullptr;
}

void TabStrip::setCurrentIndex(int index) {
    if (index < 0 || index >= count())
        return;
    tabs_[index]->setChecked(true);
    if (index == current_)
        return;
    current_ = index;
    emit currentChanged(index);
}

void TabStrip::pick(int index) {
    const int former = current_;
    setCurrentIndex(index);
    if (current_ != former)
        emit tabPicked(current_);
}

namespace {

int tabWidth(const QPushButton* tab) {
    return tab->minimumWidth() == tab->maximumWidth() ? tab->maximumWidth()
                                                      : tab->sizeHint().width();
}

} // namespace

std::vector<QRect> TabStrip::arrange(int width, int* rows) const {
    std::vector<QRect> rects;
    int x = 0, y = 0, rowHeight = 0;
    for (const QPushButton* tab : tabs_)
        rowHeight = std::max(rowHeight, tab->sizeHint().height());
    int rowCount = tabs_.empty() ? 0 : 1;
    for (const QPushButton* tab : tabs_) {
        const int w = tabWidth(tab);
        if (x > 0 && x + w > width) {
            x = 0;
            y += rowHeight;
            ++rowCount;
        }
        rects.emplace_back(x, y, w, rowHeight);
        x += w;
    }
    if (rows)
        *rows = rowCount;
    return rects;
}

void TabStrip::placeTabs() {
    const std::vector<QRect> rects = arrange(width(), nullptr);
    for (size_t i = 0; i < tabs_.size(); ++i)
        tabs_[i]->setGeometry(rects[i]);
}

int TabStrip::rowCount() const {
    int rows = 0;
    arrange(width(), &rows);
    return rows;
}

int TabStrip::heightForWidth(int width) const {
    int rows = 0;
    const std::vector<QRect> rects = arrange(width, &rows);
    return rects.empty() ? 0 : rects.back().bottom() + 1;
}

QSize TabStrip::sizeHint() const {
    int w = 0;
    for (const QPushButton* tab : tabs_)
        w += tabWidth(tab);
    return {w, heightForWidth(w)};
}

QSize TabStrip::minimumSizeHint() const {
    int w = 0;
    for (const QPushButton* tab : tabs_)
        w = std::max(w, tabWidth(tab));
    return {w, heightForWidth(w)};
}

void TabStrip::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeTabs();
    fitHeight();
}

void TabStrip::fitHeight() {
    const int h = heightForWidth(std::max(width(), 1));
    if (h != minimumHeight() || h != maximumHeight())
        setFixedHeight(h);
}
