#pragma once
// The left notebook: a row of page buttons (caption under a 16 x 16 icon)
// over a stack of pages.

#include <QWidget>

class QButtonGroup;
class QStackedWidget;
class QToolButton;

class TNotebook : public QWidget {
    Q_OBJECT
public:
    explicit TNotebook(QWidget* parent = nullptr);

    int AddPage(QWidget* page, const QString& caption, const QPixmap& icon);
    int PageCount() const;
    QString PageCaption(int index) const;
    void SetPageCaption(int index, const QString& caption);
    QToolButton* PageButton(int index) const;
    QWidget* Page(int index) const;

    int PageIndex() const;
    // Shows page `index`; emits PageChanged when that changes the page.
    void SetPageIndex(int index);

Q_SIGNALS:
    void PageChanged(int index);

private:
    QButtonGroup* buttons_;
    QWidget* buttonRow_;
    QStackedWidget* stack_;
};
