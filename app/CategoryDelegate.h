#pragma once
// Draws the rows of the category tree: the selected row in red on light
// cyan, every other row in the skin's inactive tab text colour.

#include <QStyledItemDelegate>

class TCategoryDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
