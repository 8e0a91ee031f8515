#include "CategoryDelegate.h"

#include <QPainter>

#include "Skin.h"

void TCategoryDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const
{
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    const bool selected = opt.state & QStyle::State_Selected;
    if (selected)
        painter->fillRect(opt.rect, skin::SelectedNodeBack());
    // The background is ours; the style draws icon and text only.
    opt.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver);
    opt.backgroundBrush = Qt::NoBrush;
    const QColor text = selected ? skin::SelectedNodeText() : skin::InactiveTabText();
    opt.palette.setColor(QPalette::Text, text);
    opt.palette.setColor(QPalette::WindowText, text);
    QStyledItemDelegate::paint(painter, opt, index);
}
