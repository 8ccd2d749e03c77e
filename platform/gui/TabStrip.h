// The multi-row tab strip of the windows: tabs that do not fit the width wrap
// into further rows, so a window with many tabs shows them all. Its own look
// is the browser windows' (rounded tabs in Verdana on a light grey face with
// an orange bar on the active tab); the wizard's page control styles it anew.
// A tab given a fixed width keeps it; the others are as wide as their caption.
#pragma once

#include <QWidget>

#include <vector>

class QAbstractButton;
class QButtonGroup;
class QPushButton;

class TabStrip : public QWidget {
    Q_OBJECT
public:
    explicit TabStrip(QWidget* parent = nullptr);

    // Appends a tab; `name` is its component name (e.g. "TabSheet1").
    int addTab(const QString& name, const QString& caption);

    int count() const { return static_cast<int>(tabs_.size()); }
    QString tabText(int index) const;
    QString tabName(int index) const;
    QAbstractButton* tabButton(int index) const;

    // The active tab, -1 when there are none.
    int currentIndex() const { return current_; }
    // Activates a tab; emits currentChanged when the active tab changes.
    void setCurrentIndex(int index);

    // The number of rows the tabs take at the strip's width.
    int rowCount() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    int heightForWidth(int width) const override;

    // The look of the tabs, shared by every browser window.
    static const char* styleSheetText();

signals:
    void currentChanged(int index);
    // The user picked a tab that was not the active one (after currentChanged).
    void tabPicked(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Keeps the strip exactly as high as its rows at the current width.
    void fitHeight();
    // Tab rectangles for a strip `width` pixels wide; `rows` gets the row count.
    std::vector<QRect> arrange(int width, int* rows) const;
    void placeTabs();
    void pick(int index);

    std::vector<QPushButton*> tabs_;
    QButtonGroup* group_;
    int current_ = -1;
};
