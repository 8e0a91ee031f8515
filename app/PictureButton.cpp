#include "PictureButton.h"

#include <QIcon>
#include <QPainter>

TPictureButton::TPictureButton(const QPixmap& picture, QWidget* parent)
    : QAbstractButton(parent), picture_(picture)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(picture_.size());
}

QSize TPictureButton::sizeHint() const { return picture_.size(); }

void TPictureButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPoint at = isDown() ? QPoint(1, 1) : QPoint(0, 0);
    if (isEnabled())
        p.drawPixmap(at, picture_);
    else
        p.drawPixmap(at, QIcon(picture_).pixmap(picture_.size(), QIcon::Disabled));
}
