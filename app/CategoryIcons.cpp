#include "CategoryIcons.h"

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

QPixmap Draw(const QString& emoji, int size, qreal ratio)
{
    QPixmap pm = Blank(size, size, ratio);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    QFont f(QStringLiteral("Noto Color Emoji"));
    f.setPixelSize(size - 2);
    p.setFont(f);
    p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, emoji);
    return pm;
}

} // namespace

QString CategoryEmoji(int index)
{
    if (index < 0 || index >= kCategoryIconCount)
        return {};
    return QString::fromUtf8(kCategoryEmoji[index]);
}

QPixmap CategoryIcon(int index, qreal ratio) { return Draw(CategoryEmoji(index), 16, ratio); }

QPixmap PageIcon(int page, qreal ratio)
{
    if (page < 0 || page >= kPageIconCount)
        return Draw(QString(), 16, ratio);
    return Draw(QString::fromUtf8(kPageEmoji[page]), 16, ratio);
}

} // namespace pictures
