#include "PictureButton.h"

#include <QIcon>
#include <QPainter>

#include "Pictures.h"

TPictureButton::TPictureButton(const QPixmap& picture, QWidget* parent)
    : QAbstractButton(parent), picture_(picture)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setFixedSize(pictures::LogicalSize(picture_));
}

QSize TPictureButton::sizeHint() const { return pictures::LogicalSize(picture_); }

void TPictureButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPoint at = isDown() ? QPoint(1, 1) : QPoint(0, 0);
    if (isEnabled())
        p.drawPixmap(at, picture_);
    else
        p.drawPixmap(at, QIcon(picture_).pixmap(pictures::LogicalSize(picture_), picture_.devicePixelRatio(),
                                                QIcon::Disabled));
    // Focus from the keyboard shows as a ring inside the picture's edge.
    if (hasFocus()) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(QColor(0xe8, 0x73, 0x0c), 1.5, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 3, 3);
    }
}
