#pragma once
// Small 16 x 16 pictures drawn from the colour emoji font: the 66 icons of
// the category tree (icon k shows root category k, icon 0 all categories)
// and the four page icons of the left notebook.
//
// Drawing them takes the font's large colour bitmaps, one by one, so the
// build draws them once, at the common pixel ratios, into icon sheets the
// program carries (see CategoryIcons.h); this is the drawing itself.

#include <QImage>
#include <QPixmap>
#include <QString>

#include "Pictures.h"

namespace pictures {

inline constexpr int kCategoryIconCount = 66;
inline constexpr int kPageIconCount = 4;
inline constexpr int kEmojiIconSize = 16;

// The emoji drawn for category icon k (0..65); empty outside the range.
QString CategoryEmoji(int index);
QPixmap DrawCategoryIcon(int index, qreal ratio);
// An empty picture for a page outside 0..3.
QPixmap DrawPageIcon(int page, qreal ratio);

// Every category icon, then every page icon, side by side in one row of
// (kCategoryIconCount + kPageIconCount) squares of kEmojiIconSize * ratio
// pixels.
QImage DrawIconSheet(int ratio);
// Cell `cell` of an icon sheet drawn at `ratio`; a null picture when the
// sheet is too small to hold it.
QPixmap IconFromSheet(const QImage& sheet, int cell, int ratio);

} // namespace pictures
