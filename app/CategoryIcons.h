#pragma once
// Small 16 x 16 pictures drawn from the colour emoji font: the 66 icons of
// the category tree (icon k shows root category k, icon 0 all categories)
// and the four page icons of the left notebook, drawn at the device pixel
// ratio given (by default the screens' highest).

#include <QPixmap>
#include <QString>

#include "Pictures.h"

namespace pictures {

inline constexpr int kCategoryIconCount = 66;
inline constexpr int kPageIconCount = 4;

// The emoji drawn for category icon k (0..65); empty outside the range.
QString CategoryEmoji(int index);
QPixmap CategoryIcon(int index, qreal ratio = ScreenRatio());
QPixmap PageIcon(int page, qreal ratio = ScreenRatio());

} // namespace pictures
