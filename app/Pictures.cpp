#include "Pictures.h"

#include <QFont>
#include <QGuiApplication>
#include <QtMath>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace pictures {

qreal ScreenRatio()
{
    return qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
}

QPixmap Blank(int w, int h, qreal ratio)
{
    if (!(ratio >= 1.0) || ratio > 8.0)
        ratio = 1.0;
    QPixmap pm(qCeil(w * ratio), qCeil(h * ratio));
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::transparent);
    return pm;
}

QSize LogicalSize(const QPixmap& picture)
{
    return picture.deviceIndependentSize().toSize();
}

namespace {

void Smooth(QPainter& p) { p.setRenderHint(QPainter::Antialiasing, true); p.setRenderHint(QPainter::TextAntialiasing, true); }

QFont UiFont(int pixelSize, bool bold = false)
{
    QFont f(QStringLiteral("Noto Sans CJK SC"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

// A heart filling the square (x, y, s, s).
QPainterPath Heart(qreal x, qreal y, qreal s)
{
    QPainterPath p;
    p.moveTo(x + s * 0.5, y + s * 0.95);
    p.cubicTo(x - s * 0.15, y + s * 0.5, x + s * 0.05, y - s * 0.05, x + s * 0.5, y + s * 0.28);
    p.cubicTo(x + s * 0.95, y - s * 0.05, x + s * 1.15, y + s * 0.5, x + s * 0.5, y + s * 0.95);
    return p;
}

// A cut gem: flat top, pointed bottom.
QPainterPath Gem(qreal x, qreal y, qreal s)
{
    QPainterPath p;
    p.moveTo(x + s * 0.25, y + s * 0.12);
    p.lineTo(x + s * 0.75, y + s * 0.12);
    p.lineTo(x + s, y + s * 0.4);
    p.lineTo(x + s * 0.5, y + s * 0.95);
    p.lineTo(x, y + s * 0.4);
    p.closeSubpath();
    return p;
}

QPainterPath Crown(qreal x, qreal y, qreal s)
{
    QPainterPath p;
    p.moveTo(x + s * 0.05, y + s * 0.85);
    p.lineTo(x, y + s * 0.25);
    p.lineTo(x + s * 0.3, y + s * 0.5);
    p.lineTo(x + s * 0.5, y + s * 0.12);
    p.lineTo(x + s * 0.7, y + s * 0.5);
    p.lineTo(x + s, y + s * 0.25);
    p.lineTo(x + s * 0.95, y + s * 0.85);
    p.closeSubpath();
    return p;
}

void FillShape(QPainter& p, const QPainterPath& path, const QColor& light, const QColor& dark)
{
    const QRectF r = path.boundingRect();
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, light);
    g.setColorAt(1, dark);
    p.setPen(QPen(dark.darker(130), 0.8));
    p.setBrush(g);
    p.drawPath(path);
}

// A small arrow pointing up or down, centred on x, between top and bottom.
void Arrow(QPainter& p, qreal x, qreal top, qreal bottom, bool up, const QColor& c)
{
    p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(x, top + 2), QPointF(x, bottom - 2));
    QPainterPath head;
    if (up) {
        head.moveTo(x, top);
        head.lineTo(x - 3, top + 4);
        head.lineTo(x + 3, top + 4);
    } else {
        head.moveTo(x, bottom);
        head.lineTo(x - 3, bottom - 4);
        head.lineTo(x + 3, bottom - 4);
    }
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(head);
}

void Yuan(QPainter& p, qreal x, const QColor& c)
{
    p.setPen(c);
    p.setFont(UiFont(12, true));
    p.drawText(QRectF(x, 0, 9, 14), Qt::AlignCenter, QStringLiteral("¥"));
}

} // namespace

QString SortCaption(int index)
{
    static const char* const captions[kSortPictureCount] = {
        "默认排序", "价格从低到高", "价格从高到低", "信用从高到低", "销量从高到低", "返利率高到低"};
    if (index < 0 || index >= kSortPictureCount)
        return {};
    return QString::fromUtf8(captions[index]);
}

QString CreditCaption(int index)
{
    static const char* const kinds[] = {"心", "钻", "冠", "金冠"};
    if (index < 0 || index >= kCreditPictureCount)
        return {};
    return QString::number(index % 5 + 1) + QString::fromUtf8(kinds[index / 5]);
}

QPixmap SortPicture(int index, qreal ratio)
{
    QPixmap pm = Blank(103, 14, ratio);
    if (index < 0 || index >= kSortPictureCount)
        return pm;
    QPainter p(&pm);
    Smooth(p);
    const QColor red(0xe4, 0x39, 0x3c), green(0x1e, 0x9e, 0x4a), blue(0x2a, 0x6f, 0xd6);
    switch (index) {
    case 0: // three bars of falling length
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
        for (int i = 0; i < 3; ++i)
            p.drawRoundedRect(QRectF(2, 2.5 + i * 3.5, 12 - i * 3.5, 2), 1, 1);
        break;
    case 1:
        Yuan(p, 0, red);
        Arrow(p, 13, 1, 13, true, green);
        break;
    case 2:
        Yuan(p, 0, red);
        Arrow(p, 13, 1, 13, false, red);
        break;
    case 3:
        FillShape(p, Heart(0.5, 2, 10), QColor(0xff, 0x8a, 0x8a), red);
        Arrow(p, 13, 1, 13, false, red);
        break;
    case 4: { // a parcel
        const QRectF box(1, 3, 9, 9);
        p.setPen(QPen(QColor(0x8a, 0x5a, 0x2b), 1));
        p.setBrush(QColor(0xd9, 0xa4, 0x65));
        p.drawRect(box);
        p.drawLine(QPointF(5.5, 3), QPointF(5.5, 12));
        Arrow(p, 13, 1, 13, false, red);
        break;
    }
    default:
        Yuan(p, 0, red);
        Yuan(p, 7, QColor(0xf0, 0x8c, 0x00));
        break;
    }
    p.setPen(QColor(0x33, 0x33, 0x33));
    p.setFont(UiFont(11));
    p.drawText(QRectF(19, 0, 84, 14), Qt::AlignLeft | Qt::AlignVCenter, SortCaption(index));
    return pm;
}

QPixmap CreditPicture(int index, qreal ratio)
{
    QPixmap pm = Blank(88, 22, ratio);
    if (index < 0 || index >= kCreditPictureCount)
        return pm;
    const int kind = index / 5;
    const int count = index % 5 + 1;
    QPainter p(&pm);
    Smooth(p);
    const qreal s = 14;
    for (int i = 0; i < count; ++i) {
        const qreal x = 2 + i * 17, y = 4;
        switch (kind) {
        case 0:
            FillShape(p, Heart(x, y, s), QColor(0xff, 0x9a, 0x9a), QColor(0xd8, 0x1e, 0x28));
            break;
        case 1:
            FillShape(p, Gem(x, y, s), QColor(0xb8, 0xdc, 0xff), QColor(0x1f, 0x6f, 0xd8));
            p.setPen(QPen(QColor(255, 255, 255, 170), 0.8));
            p.drawLine(QPointF(x + s * 0.25, y + s * 0.4), QPointF(x + s * 0.5, y + s * 0.9));
            break;
        case 2:
            FillShape(p, Crown(x, y, s), QColor(0x9c, 0xc8, 0xff), QColor(0x1b, 0x4f, 0xb8));
            break;
        default:
            FillShape(p, Crown(x, y, s), QColor(0xff, 0xe8, 0x7a), QColor(0xc8, 0x8a, 0x00));
            break;
        }
    }
    return pm;
}

QPixmap SearchButtonPicture(qreal ratio)
{
    QPixmap pm = Blank(57, 31, ratio);
    QPainter p(&pm);
    Smooth(p);
    QLinearGradient g(0, 0, 0, 31);
    g.setColorAt(0, QColor(0xff, 0xa3, 0x3a));
    g.setColorAt(1, QColor(0xf2, 0x5c, 0x05));
    p.setPen(QPen(QColor(0xc8, 0x4a, 0x00), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, 56, 30), 5, 5);
    // magnifier
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(6, 8, 10, 10));
    p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14.5, 16.5), QPointF(18.5, 21));
    p.setPen(Qt::white);
    p.setFont(UiFont(14, true));
    p.drawText(QRectF(20, 0, 36, 31), Qt::AlignCenter, QStringLiteral("搜索"));
    return pm;
}

QPixmap CalculatorPicture(qreal ratio)
{
    QPixmap pm = Blank(25, 25, ratio);
    QPainter p(&pm);
    Smooth(p);
    QLinearGradient g(0, 0, 0, 25);
    g.setColorAt(0, QColor(0x6d, 0x86, 0xa8));
    g.setColorAt(1, QColor(0x3b, 0x50, 0x6e));
    p.setPen(QPen(QColor(0x2c, 0x3c, 0x55), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(3.5, 1.5, 18, 22), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd7, 0xf0, 0xc8));
    p.drawRect(QRectF(6, 4, 13, 5));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            p.setBrush(r == 2 && c == 2 ? QColor(0xff, 0x8a, 0x1e) : QColor(0xf2, 0xf5, 0xfa));
            p.drawRoundedRect(QRectF(6 + c * 4.6, 11 + r * 4, 3.4, 3), 0.8, 0.8);
        }
    return pm;
}

QPixmap BrowserPicture(qreal ratio)
{
    QPixmap pm = Blank(25, 25, ratio);
    QPainter p(&pm);
    Smooth(p);
    const QRectF r(2.5, 2.5, 20, 20);
    QRadialGradient g(QPointF(9, 8), 16);
    g.setColorAt(0, QColor(0x8f, 0xd3, 0xff));
    g.setColorAt(1, QColor(0x15, 0x6d, 0xc9));
    p.setPen(QPen(QColor(0x0f, 0x4f, 0x96), 1));
    p.setBrush(g);
    p.drawEllipse(r);
    p.setPen(QPen(QColor(255, 255, 255, 200), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(8.5, 2.5, 8, 20));
    p.drawLine(QPointF(12.5, 2.5), QPointF(12.5, 22.5));
    p.drawLine(QPointF(2.5, 12.5), QPointF(22.5, 12.5));
    p.drawLine(QPointF(4.5, 7.5), QPointF(20.5, 7.5));
    p.drawLine(QPointF(4.5, 17.5), QPointF(20.5, 17.5));
    return pm;
}

} // namespace pictures
