#include "EmojiPictures.h"

#include <QFont>
#include <QPainter>

namespace pictures {

namespace {

// One emoji per root category, in the order of the root category table;
// entry 0 stands for all categories.
const char* const kCategoryEmoji[kCategoryIconCount] = {
    "🗂️", // 所有类目
    "👗", "📚", "👔", "👜", "💍", "👟", "🚗", "🎽", "🧣", "🎵",  // 1-10
    "🏺", "👙", "👶", "✈️", "📷", "🎮", "🔌", "⌨️", "📡", "🖥️",  // 11-20
    "💾", "🖨️", "🎁", "🍳", "🧴", "🛏️", "🖼️", "🍼", "🧷", "🧩",  // 21-30
    "🥜", "🍱", "💊", "🎧", "📱", "📲", "🐧", "💻", "⚽", "⛺",  // 31-40
    "🧸", "🗡️", "☎️", "🃏", "🛋️", "💐", "🔋", "💡", "⌚", "💄",  // 41-50
    "👞", "👠", "💎", "👓", "🐶", "📦", "☕", "🌀", "💆", "📺",  // 51-60
    "💅", "🎫", "🎡", "🛒", "🎸",                                // 61-65
};

const char* const kPageEmoji[kPageIconCount] = {"📂", "🏪", "📢", "🔥"};

QPixmap Draw(const QString& emoji, qreal ratio)
{
    QPixmap pm = Blank(kEmojiIconSize, kEmojiIconSize, ratio);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    QFont f(QStringLiteral("Noto Color Emoji"));
    f.setPixelSize(kEmojiIconSize - 2);
    p.setFont(f);
    p.drawText(QRect(0, 0, kEmojiIconSize, kEmojiIconSize), Qt::AlignCenter, emoji);
    return pm;
}

} // namespace

QString CategoryEmoji(int index)
{
    if (index < 0 || index >= kCategoryIconCount)
        return {};
    return QString::fromUtf8(kCategoryEmoji[index]);
}

QPixmap DrawCategoryIcon(int index, qreal ratio) { return Draw(CategoryEmoji(index), ratio); }

QPixmap DrawPageIcon(int page, qreal ratio)
{
    if (page < 0 || page >= kPageIconCount)
        return Draw(QString(), ratio);
    return Draw(QString::fromUtf8(kPageEmoji[page]), ratio);
}

QImage DrawIconSheet(int ratio)
{
    const int side = kEmojiIconSize * ratio;
    QImage sheet((kCategoryIconCount + kPageIconCount) * side, side, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::transparent);
    QPainter p(&sheet);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (int i = 0; i < kCategoryIconCount + kPageIconCount; ++i) {
        const QPixmap icon = i < kCategoryIconCount ? DrawCategoryIcon(i, ratio)
                                                    : DrawPageIcon(i - kCategoryIconCount, ratio);
        QImage cell = icon.toImage();
        cell.setDevicePixelRatio(1); // pixel for pixel
        p.drawImage(i * side, 0, cell);
    }
    return sheet;
}

QPixmap IconFromSheet(const QImage& sheet, int cell, int ratio)
{
    const int side = kEmojiIconSize * ratio;
    if (ratio < 1 || cell < 0 || sheet.height() < side || sheet.width() < (cell + 1) * side)
        return {};
    QPixmap pm = QPixmap::fromImage(sheet.copy(cell * side, 0, side, side));
    pm.setDevicePixelRatio(ratio);
    return pm;
}

} // namespace pictures
