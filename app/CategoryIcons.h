#pragma once
// The category tree's icons and the left notebook's page icons (see
// EmojiPictures.h), at the device pixel ratio given (by default the
// screens' highest): taken from the icon sheets drawn when the program was
// built where one was drawn at that ratio, drawn from the emoji font
// otherwise.

#include "EmojiPictures.h"

namespace pictures {

// The pixel ratios the build draws icon sheets for.
inline constexpr int kIconSheetRatios[] = {1, 2};

QPixmap CategoryIcon(int index, qreal ratio = ScreenRatio());
QPixmap PageIcon(int page, qreal ratio = ScreenRatio());

// The icon sheet the program carries for `ratio`; a null image for a ratio
// it carries none for.
QImage CarriedIconSheet(qreal ratio);

} // namespace pictures
