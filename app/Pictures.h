#pragma once
// The pictures of the search panel, drawn in code: the sort order pictures
// (103 x 14), the seller credit pictures (88 x 22), the search button
// (57 x 31) and the calculator and browser icons (25 x 25). Sizes are in
// device-independent pixels: each picture is drawn at the device pixel ratio
// it is given, by default the highest of the screens, so it stays sharp on
// high-density screens.

#include <QPixmap>
#include <QString>

namespace pictures {

inline constexpr int kSortPictureCount = 6;
inline constexpr int kCreditPictureCount = 20;

// The highest device pixel ratio of the screens (1 without an application).
qreal ScreenRatio();
// A transparent picture of w x h device-independent pixels at `ratio`.
QPixmap Blank(int w, int h, qreal ratio);
// The size a picture covers on screen.
QSize LogicalSize(const QPixmap& picture);

// 0 default order, 1 price up, 2 price down, 3 credit down, 4 sales down,
// 5 commission rate down.
QPixmap SortPicture(int index, qreal ratio = ScreenRatio());
// What sort picture `index` says, and what credit picture `index` shows
// ("3钻"), in words; empty outside the ranges.
QString SortCaption(int index);
QString CreditCaption(int index);
// 0-4: 1-5 red hearts, 5-9: blue diamonds, 10-14: blue crowns, 15-19: golden crowns.
QPixmap CreditPicture(int index, qreal ratio = ScreenRatio());
QPixmap SearchButtonPicture(qreal ratio = ScreenRatio());
QPixmap CalculatorPicture(qreal ratio = ScreenRatio());
QPixmap BrowserPicture(qreal ratio = ScreenRatio());

} // namespace pictures
