// A tab control whose tabs wrap into several rows, above a stack of pages.
//
// Setting the page from code shows it without any signal; a tab picked by the
// user shows its page and then emits `changed` once.
#pragma once

#include <QWidget>
#include <vector>

class QStackedWidget;
class QToolButton;
class QVBoxLayout;

class TPageControl : public QWidget {
    Q_OBJECT
public:
    explicit TPageControl(QWidget* parent = nullptr);

    // Appends a page with its tab caption. Call ArrangeTabs after the last one.
    void AddPage(QWidget* page, const QString& caption);
    // Lays the tabs out in rows of at most `width` pixels.
    void ArrangeTabs(int width);

    int PageCount() const { return static_cast<int>(tabs_.size()); }
    int ActivePageIndex() const;
    void SetActivePageIndex(int index);
    QWidget* Page(int index) const;
    QToolButton* Tab(int index) const { return tabs_.at(static_cast<std::size_t>(index)); }
    int RowCount() const { return rows_; }

signals:
    void changed();

private:
    void tabClicked(int index);

    QVBoxLayout* tabRows_;
    QStackedWidget* stack_;
    std::vector<QToolButton*> tabs_;
    int rows_ = 0;
};
