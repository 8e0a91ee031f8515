#pragma once
// The pictures of the search panel, drawn in code: the sort order pictures
// (103 x 14), the seller credit pictures (88 x 22), the search button
// (57 x 31) and the calculator and browser icons (25 x 25).

#include <QPixmap>

namespace pictures {

inline constexpr int kSortPictureCount = 6;
inline constexpr int kCreditPictureCount = 20;

// 0 default order, 1 price up, 2 price down, 3 credit down, 4 sales down,
// 5 commission rate down.
QPixmap SortPicture(int index);
// 0-4: 1-5 red hearts, 5-9: blue diamonds, 10-14: blue crowns, 15-19: golden crowns.
QPixmap CreditPicture(int index);
QPixmap SearchButtonPicture();
QPixmap CalculatorPicture();
QPixmap BrowserPicture();

} // namespace pictures
