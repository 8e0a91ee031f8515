#include <gtest/gtest.h>

#include <QImage>
#include <QWebEngineScript>

#include "PageRender.h"
#include "PaneTestKit.h"
#include "SampleRows.h"
#include "TestServer.h"

using kit::TPaneWindow;

// How the generated pages come out in this engine: the rows line up as they
// were designed, and completion does not wait for pictures.

namespace {

// Boxes of the elements matching a selector: [top, bottom, left, right] each.
QVariantList Boxes(TBrowserPane* pane, const QString& selector)
{
    return kit::Js(pane,
                   QStringLiteral("Array.prototype.map.call(document.querySelectorAll('%1'), function (e) {"
                                  "  var r = e.getBoundingClientRect();"
                                  "  return [r.top + scrollY, r.bottom + scrollY, r.left, r.right]; })")
                       .arg(selector),
                   QWebEngineScript::ApplicationWorld)
        .toList();
}

double Top(const QVariant& box) { return box.toList()[0].toDouble(); }
double Bottom(const QVariant& box) { return box.toList()[1].toDouble(); }
double Left(const QVariant& box) { return box.toList()[2].toDouble(); }
double Right(const QVariant& box) { return box.toList()[3].toDouble(); }

struct TPictureServer {
    TPictureServer()
    {
        for (int k = 0; k < 8; ++k) {
            const std::string name = "/img/item" + std::to_string(k) + ".jpg";
            server.Set(name + "_160x160.jpg", kit::Picture(160));
            server.Set(name + "_sum.jpg", kit::Picture(80));
        }
    }
    std::string Base() const { return server.BaseUrl() + "img/"; }
    TTestServer server;
};

} // namespace

TEST(PageLayout, ListRowsKeepEveryCellOnTheirRow)
{
    TPictureServer pictures;
    TPaneWindow w(TPaneKind::Result, 651, 583);
    ASSERT_TRUE(kit::Start(w));
    ASSERT_TRUE(kit::Load(w, BuildResultListPage(SampleResultRows(pictures.Base(), 12))));
    ASSERT_TRUE(kit::WaitForPictures(w.pane));
    const QVariantList items = Boxes(w.pane, ".item");
    ASSERT_EQ(items.size(), 12);
    for (const char* cell : {".div_pic", ".div_title", ".div_price", ".div_local", ".div_30", ".div_credit"}) {
        const QVariantList cells = Boxes(w.pane, cell);
        ASSERT_EQ(cells.size(), 12) << cell;
        for (int i = 0; i < 12; ++i) {
            EXPECT_GE(Top(cells[i]), Top(items[i])) << cell << " " << i;
            EXPECT_LE(Bottom(cells[i]), Bottom(items[i]) + 1) << cell << " " << i;
        }
    }
    // The credit cell sits right of the other cells, not under them.
    const QVariantList credits = Boxes(w.pane, ".div_credit");
    const QVariantList sold = Boxes(w.pane, ".div_30");
    EXPECT_GE(Left(credits[0]), Right(sold[0]));
    // Rows follow each other without overlapping.
    for (int i = 1; i < 12; ++i)
        EXPECT_GE(Top(items[i]), Bottom(items[i - 1]) - 1);
}

TEST(PageLayout, BigPicturesHaveTitlePriceAndSellerBelowThePicture)
{
    TPictureServer pictures;
    TPaneWindow w(TPaneKind::Result, 651, 583);
    ASSERT_TRUE(kit::Start(w));
    ASSERT_TRUE(kit::Load(w, BuildResultGridPage(SampleResultRows(pictures.Base(), 6))));
    ASSERT_TRUE(kit::WaitForPictures(w.pane));
    const QVariantList pics = Boxes(w.pane, ".div_pic");
    const QVariantList titles = Boxes(w.pane, ".div_title a");
    const QVariantList prices = Boxes(w.pane, ".div_price");
    const QVariantList nicks = Boxes(w.pane, ".div_nick");
    ASSERT_EQ(pics.size(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_GE(Top(titles[i]), Bottom(pics[i]) - 1) << i;
        EXPECT_GE(Top(prices[i]), Bottom(titles[i]) - 1) << i;
        EXPECT_GE(Top(nicks[i]), Top(prices[i])) << i;
    }
    // Three columns in a pane of 651 pixels.
    EXPECT_EQ(Top(pics[0]), Top(pics[2]));
    EXPECT_GT(Top(pics[3]), Top(pics[2]));
}

TEST(PageLayout, PicturesAreCentredInTheirFrames)
{
    TPictureServer pictures;
    for (const int view : {0, 1}) {
        TPaneWindow w(TPaneKind::Result, 651, 583);
        ASSERT_TRUE(kit::Start(w));
        ASSERT_TRUE(kit::Load(w, BuildResultPage(SampleResultRows(pictures.Base(), 3), view)));
        ASSERT_TRUE(kit::WaitForPictures(w.pane));
        const QVariantList frames = Boxes(w.pane, ".div_pic");
        const QVariantList images = Boxes(w.pane, ".div_pic img");
        ASSERT_EQ(images.size(), 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR((Top(images[i]) + Bottom(images[i])) / 2, (Top(frames[i]) + Bottom(frames[i])) / 2, 1.5);
            EXPECT_NEAR((Left(images[i]) + Right(images[i])) / 2, (Left(frames[i]) + Right(frames[i])) / 2, 1.5);
            EXPECT_GT(Right(images[i]) - Left(images[i]), 70);
        }
    }
}

TEST(PageLayout, GeneratedPageCompletesBeforeItsPicturesAndTheBarFollowsTheirSize)
{
    TTestServer server;
    // A tall picture without a size in the page arrives late.
    TCannedReply late = kit::Picture(50, 1500);
    late.delayBeforeHeaders = std::chrono::milliseconds(600);
    server.Set("/late.png", late);
    TPaneWindow w(TPaneKind::SellerPage, 600, 583);
    ASSERT_TRUE(kit::Start(w));
    int resized = 0;
    QObject::connect(w.pane, &TBrowserPane::DocumentResized, [&] { ++resized; });

    w.bar->BeginReload();
    ASSERT_TRUE(kit::Load(w, "<body leftMargin=0 topMargin=0><div style='height:1000px'></div><img src='" +
                                 server.BaseUrl() + "late.png'></body>"));
    // Completed while the picture was still on its way.
    EXPECT_FALSE(kit::Js(w.pane, QStringLiteral("document.images[0].complete")).toBool());
    EXPECT_GE(w.pane->DocumentHeight(), 1000);
    EXPECT_LT(w.pane->DocumentHeight(), 1100);
    EXPECT_TRUE(w.bar->isEnabled());
    w.bar->SetPosition(300);

    ASSERT_TRUE(kit::WaitUntil([&] { return resized == 1; }));
    EXPECT_GE(w.pane->DocumentHeight(), 2500);
    EXPECT_EQ(w.bar->Max(), w.pane->DocumentHeight());
    EXPECT_EQ(w.bar->MaxPosition(), w.pane->DocumentHeight() - 583 + 1);
    EXPECT_EQ(w.bar->Position(), 300); // the reader keeps the place
    EXPECT_EQ(w.completed, 2);         // no second completion
}

TEST(PageLayout, ResultPagesLayFarItemsOutLaterWithTheSameLookAndHeight)
{
    // The result pane lays out and paints the items far below what it shows
    // only as they come near; a seller pane lays out everything at once. The
    // same page must come out the same in both, and the last row, whose
    // seller lines reach below the item boxes, must still count into the
    // page's height.
    TPictureServer pictures;
    for (const int width : {651, 1600}) {
        for (const int view : {0, 1}) {
            const std::string page = BuildResultPage(SampleResultRows(pictures.Base(), 40), view);
            TPaneWindow result(TPaneKind::Result, width, 583);
            TPaneWindow seller(TPaneKind::SellerPage, width, 583);
            for (TPaneWindow* w : {&result, &seller}) {
                ASSERT_TRUE(kit::Start(*w));
                ASSERT_TRUE(kit::Load(*w, page));
                ASSERT_TRUE(kit::WaitForPictures(w->pane));
            }
            const auto contentVisibility = [&](const QString& which) {
                return kit::Js(result.pane,
                               QStringLiteral("getComputedStyle(document.querySelector('%1')).contentVisibility")
                                   .arg(which),
                               QWebEngineScript::ApplicationWorld)
                    .toString();
            };
            EXPECT_EQ(contentVisibility(QStringLiteral(".li")), QStringLiteral("auto"));
            EXPECT_EQ(contentVisibility(view == 0 ? QStringLiteral(".li:last-child")
                                                  : QStringLiteral(".item:last-child > .li")),
                      QStringLiteral("visible"));

            const QVariantList boxes = Boxes(seller.pane, ".li");
            ASSERT_EQ(boxes.size(), 40);
            if (view == 0) { // the seller lines of the last row reach below its boxes
                EXPECT_GT(seller.pane->DocumentHeight(), Bottom(boxes.back()) + 6);
            }
            EXPECT_EQ(result.pane->DocumentHeight(), seller.pane->DocumentHeight()) << width << " " << view;

            // What the pane shows, at the top and at the bottom of the page
            // (the panes' last frames may reach the window a moment apart).
            for (const int dy : {0, 100000}) {
                for (TPaneWindow* w : {&result, &seller}) {
                    w->pane->ScrollBy(dy);
                    kit::Settle(w->pane);
                    kit::WaitForFrames(w->pane);
                }
                EXPECT_EQ(kit::ScrollY(result.pane), kit::ScrollY(seller.pane));
                EXPECT_TRUE(kit::WaitUntil(
                    [&] { return result.pane->grab().toImage() == seller.pane->grab().toImage(); }, 3000))
                    << width << " " << view << " " << dy;
            }
        }
    }
}
