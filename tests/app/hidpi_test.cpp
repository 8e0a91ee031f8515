// High-density screens: the pictures drawn in code are drawn at the device
// pixel ratio with their logical size, the window keeps its logical layout
// and the panes render at the screen's ratio. The suite runs these once at
// the screen's own ratio and once more with QT_SCALE_FACTOR=2.

#include <algorithm>

#include <QComboBox>
#include <QGuiApplication>
#include <QTreeWidget>

#include "BrowserPane.h"
#include "CategoryIcons.h"
#include "FormFixture.h"
#include "PaneTestKit.h"
#include "PictureButton.h"
#include "Pictures.h"

namespace {

// Pixels that differ from their right-hand neighbour: a sharp drawing has
// more of them at twice the resolution than its 1x drawing scaled up.
int Edges(const QPixmap& pm)
{
    const QImage img = pm.toImage().convertToFormat(QImage::Format_ARGB32);
    int edges = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 1; x < img.width(); ++x)
            edges += qAbs(qGray(img.pixel(x, y)) - qGray(img.pixel(x - 1, y))) > 24 ? 1 : 0;
    return edges;
}

// The largest difference of any colour channel between two pictures of one
// size; 256 when their sizes differ.
int Difference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 256;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    int most = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
            most = std::max({most, qAbs(qRed(p) - qRed(q)), qAbs(qGreen(p) - qGreen(q)),
                             qAbs(qBlue(p) - qBlue(q)), qAbs(qAlpha(p) - qAlpha(q))});
        }
    return most;
}

void ExpectDrawnAt(const QPixmap& pm, QSize logical, qreal ratio, const char* what)
{
    EXPECT_DOUBLE_EQ(pm.devicePixelRatio(), ratio) << what;
    EXPECT_EQ(pictures::LogicalSize(pm), logical) << what;
    EXPECT_EQ(pm.size(), QSize(qCeil(logical.width() * ratio), qCeil(logical.height() * ratio))) << what;
}

qreal ExpectedRatio()
{
    const QByteArray factor = qgetenv("QT_SCALE_FACTOR");
    return factor.isEmpty() ? 1.0 : factor.toDouble();
}

} // namespace

// The emoji icons come from sheets drawn when the program was built; they
// must be what the emoji font draws now, cell by cell, and a ratio the
// program carries no sheet for must still get its icons, drawn.
TEST(HiDpi, TheCarriedIconSheetsHoldWhatTheEmojiFontDraws)
{
    for (const int ratio : pictures::kIconSheetRatios) {
        const QImage carried = pictures::CarriedIconSheet(ratio);
        ASSERT_FALSE(carried.isNull()) << "no icon sheet carried for ratio " << ratio;
        EXPECT_LE(Difference(carried, pictures::DrawIconSheet(ratio)), 2) << ratio;
        for (const int i : {0, 7, pictures::kCategoryIconCount - 1}) {
            const QPixmap icon = pictures::CategoryIcon(i, ratio);
            ExpectDrawnAt(icon, QSize(16, 16), ratio, "category");
            EXPECT_LE(Difference(icon.toImage(), pictures::DrawCategoryIcon(i, ratio).toImage()), 2) << i;
        }
        const QPixmap page = pictures::PageIcon(3, ratio);
        ExpectDrawnAt(page, QSize(16, 16), ratio, "page");
        EXPECT_LE(Difference(page.toImage(), pictures::DrawPageIcon(3, ratio).toImage()), 2);
    }
    EXPECT_TRUE(pictures::CarriedIconSheet(1.5).isNull());
    EXPECT_LE(Difference(pictures::CategoryIcon(7, 1.5).toImage(), pictures::DrawCategoryIcon(7, 1.5).toImage()), 2);
    // Outside the ranges: an empty icon, as before.
    EXPECT_EQ(pictures::PageIcon(4, 2.0).size(), QSize(32, 32));
    EXPECT_TRUE(pictures::CategoryIcon(-1, 1.0).toImage() == pictures::Blank(16, 16, 1.0).toImage());
    // A sheet too small for a cell hands out no picture rather than a cut one.
    EXPECT_TRUE(pictures::IconFromSheet(QImage(40, 16, QImage::Format_ARGB32), 2, 1).isNull());
    EXPECT_TRUE(pictures::IconFromSheet(QImage(48, 8, QImage::Format_ARGB32), 0, 1).isNull());
}

TEST(HiDpi, PicturesAreDrawnAtTheRatioTheyAreGivenWithTheSameLogicalSize)
{
    for (const qreal ratio : {1.0, 1.5, 2.0}) {
        ExpectDrawnAt(pictures::SortPicture(1, ratio), QSize(103, 14), ratio, "sort");
        ExpectDrawnAt(pictures::CreditPicture(12, ratio), QSize(88, 22), ratio, "credit");
        ExpectDrawnAt(pictures::SearchButtonPicture(ratio), QSize(57, 31), ratio, "search");
        ExpectDrawnAt(pictures::CalculatorPicture(ratio), QSize(25, 25), ratio, "calculator");
        ExpectDrawnAt(pictures::BrowserPicture(ratio), QSize(25, 25), ratio, "browser");
        ExpectDrawnAt(pictures::CategoryIcon(7, ratio), QSize(16, 16), ratio, "category");
        ExpectDrawnAt(pictures::PageIcon(2, ratio), QSize(16, 16), ratio, "page");
    }
    // Drawn, not scaled: twice the resolution carries more detail.
    const QPixmap sharp = pictures::SortPicture(3, 2.0);
    const QPixmap scaled = pictures::SortPicture(3, 1.0).scaled(sharp.size(), Qt::IgnoreAspectRatio,
                                                                   Qt::SmoothTransformation);
    EXPECT_GT(Edges(sharp), Edges(scaled) * 5 / 4);
    // Nonsense ratios fall back to 1.
    ExpectDrawnAt(pictures::SortPicture(0, 0.0), QSize(103, 14), 1.0, "ratio 0");
    ExpectDrawnAt(pictures::SortPicture(0, 1e9), QSize(103, 14), 1.0, "huge ratio");
}

TEST_F(TFormTest, TheWindowDrawsItsPicturesAtTheScreenRatioAndKeepsItsLayout)
{
    StartForm();
    const qreal ratio = ExpectedRatio();
    ASSERT_DOUBLE_EQ(qGuiApp->devicePixelRatio(), ratio);
    for (const QPixmap& pm : form->ImageList1)
        ExpectDrawnAt(pm, QSize(103, 14), ratio, "sort list");
    for (const QPixmap& pm : form->ImageList2)
        ExpectDrawnAt(pm, QSize(88, 22), ratio, "credit list");
    ASSERT_EQ(form->ImageList3.size(), 66u);
    for (const QPixmap& pm : form->ImageList3)
        ExpectDrawnAt(pm, QSize(16, 16), ratio, "tree icon");
    for (const QPixmap& pm : form->bsPngImageList1)
        ExpectDrawnAt(pm, QSize(16, 16), ratio, "page icon");
    // The tree hands out its icons at the screen's ratio.
    const QPixmap icon = form->bsSkinTreeView1->topLevelItem(1)->icon(0).pixmap(QSize(16, 16), ratio);
    EXPECT_EQ(icon.size(), QSize(qCeil(16 * ratio), qCeil(16 * ratio)));

    // Logical layout: the client area and the controls keep their sizes.
    EXPECT_EQ(form->size(), QSize(944, 673));
    EXPECT_EQ(form->bsSkinLinkImage1->size(), QSize(57, 31));
    EXPECT_EQ(form->Image1->size(), QSize(25, 25));
    EXPECT_EQ(form->bsSkinComboBoxEx3->iconSize(), QSize(103, 14));
    EXPECT_EQ(form->bsSkinComboBoxEx1->iconSize(), QSize(88, 22));
    EXPECT_EQ(form->web->size(), QSize(651, 558));

    // The result page renders at the screen's ratio, in the pane's logical width.
    EXPECT_DOUBLE_EQ(kit::Js(form->web, QStringLiteral("window.devicePixelRatio")).toDouble(), ratio);
    EXPECT_EQ(kit::Js(form->web, QStringLiteral("window.innerWidth")).toInt(), 651);
}
