// The wizard's tab control: the multi-row tab strip above a stack of pages.
//
// Setting the page from code shows it without any signal; a tab picked by the
// user shows its page and then emits `changed` once.
#pragma once

#include <QWidget>

class QAbstractButton;
class QStackedWidget;
class TabStrip;

class TPageControl : public QWidget {
    Q_OBJECT
public:
    explicit TPageControl(QWidget* parent = nullptr);

    // Appends a page with its tab caption. Call ArrangeTabs after the last one.
    void AddPage(QWidget* page, const QString& caption);
    // Lays the tabs out in rows of at most `width` pixels.
    void ArrangeTabs(int width);

    int PageCount() const;
    int ActivePageIndex() const;
    void SetActivePageIndex(int index);
    QWidget* Page(int index) const;
    QAbstractButton* Tab(int index) const;
    int RowCount() const;

signals:
    void changed();

private:
    TabStrip* tabs_;
    QStackedWidget* stack_;
};
