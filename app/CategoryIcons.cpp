#include "CategoryIcons.h"

#include <vector>

static void InitIconSheets() { Q_INIT_RESOURCE(icon_sheets); }

namespace pictures {

namespace {

// The whole ratio the sheets could hold a picture drawn at `ratio` for; 0
// for any other ratio.
int SheetRatio(qreal ratio)
{
    for (const int carried : kIconSheetRatios)
        if (ratio == carried)
            return carried;
    return 0;
}

// The sheet drawn at `ratio`, one of kIconSheetRatios; a null image for any
// other.
const QImage& Sheet(int ratio)
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

} // namespace

QImage CarriedIconSheet(qreal ratio) { return Sheet(SheetRatio(ratio)); }

QPixmap CategoryIcon(int index, qreal ratio)
{
    const int whole = SheetRatio(ratio);
    if (whole && index >= 0 && index < kCategoryIconCount) {
        QPixmap pm = IconFromSheet(Sheet(whole), index, whole);
        if (!pm.isNull())
            return pm;
    }
    return DrawCategoryIcon(index, ratio);
}

QPixmap PageIcon(int page, qreal ratio)
{
    const int whole = SheetRatio(ratio);
    if (whole && page >= 0 && page < kPageIconCount) {
        QPixmap pm = IconFromSheet(Sheet(whole), kCategoryIconCount + page, whole);
        if (!pm.isNull())
            return pm;
    }
    return DrawPageIcon(page, ratio);
}

} // namespace pictures
