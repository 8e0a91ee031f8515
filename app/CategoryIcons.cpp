#include "CategoryIcons.h"

#include <vector>

static void InitIconSheets() { Q_INIT_RESOURCE(icon_sheets); }

namespace pictures {

namespace {

// The sheet carried for `ratio`; a null image for a ratio with none.
const QImage& Sheet(qreal ratio)
{
    static const std::vector<QImage> sheets = [] {
        InitIconSheets();
        std::vector<QImage> loaded;
        for (const int carried : kIconSheetRatios)
            loaded.emplace_back(QStringLiteral(":/icon-sheets/emoji-%1x.png").arg(carried));
        return loaded;
    }();
    static const QImage none;
    for (std::size_t i = 0; i < sheets.size(); ++i)
        if (kIconSheetRatios[i] == ratio)
            return sheets[i];
    return none;
}

// Cell `cell` of the sheet carried for `ratio`; a null picture without one.
QPixmap CarriedIcon(int cell, qreal ratio)
{
    const QImage& sheet = Sheet(ratio);
    return sheet.isNull() ? QPixmap() : IconFromSheet(sheet, cell, qRound(ratio));
}

} // namespace

QImage CarriedIconSheet(qreal ratio) { return Sheet(ratio); }

QPixmap CategoryIcon(int index, qreal ratio)
{
    if (index >= 0 && index < kCategoryIconCount)
        if (QPixmap pm = CarriedIcon(index, ratio); !pm.isNull())
            return pm;
    return DrawCategoryIcon(index, ratio);
}

QPixmap PageIcon(int page, qreal ratio)
{
    if (page >= 0 && page < kPageIconCount)
        if (QPixmap pm = CarriedIcon(kCategoryIconCount + page, ratio); !pm.isNull())
            return pm;
    return DrawPageIcon(page, ratio);
}

} // namespace pictures
