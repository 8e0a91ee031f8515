#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QTest>
#include <QWebEngineScript>

#include "PageRender.h"
#include "PaneInputFilter.h"
#include "PaneTestKit.h"

using kit::TPaneWindow;

namespace {

// A document exactly `height` pixels high.
std::string Document(int height)
{
    return "<body leftMargin=0 topMargin=0 scroll=\"no\"><div style=\"height:" + std::to_string(height) +
           "px;background:#eee\"></div></body>";
}

// The bar and the document agree once the page has applied all scrolls.
void ExpectInStep(TPaneWindow& w, int documentMaxScroll)
{
    kit::Settle(w.pane);
    EXPECT_EQ(kit::ScrollY(w.pane), std::min(w.bar->Position(), documentMaxScroll));
}

struct TFilterScope {
    explicit TFilterScope(const QList<TMyScrollBar*>& bars, const QList<QWidget*>& quiet)
    {
        filter.SetWheelBars(bars);
        filter.SetQuietPanes(quiet);
        filter.Install();
    }
    TPaneInputFilter filter;
};

} // namespace

TEST(ScrollBar, StartsDisabledWithTheInitialRange)
{
    TMyScrollBar bar;
    EXPECT_FALSE(bar.isEnabled());
    EXPECT_EQ(bar.minimum(), 0);
    EXPECT_EQ(bar.Max(), 100);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(bar.PageSize(), 0);
    EXPECT_EQ(bar.width(), 19);
    EXPECT_EQ(bar.orientation(), Qt::Vertical);
    // Without a pane a sync enables the bar at 0.
    bar.SyncWithDocument(true);
    EXPECT_TRUE(bar.isEnabled());
    EXPECT_EQ(bar.Position(), 0);
}

TEST(ScrollBar, TallDocumentDrivesTheRangeAndWheelStepsClampAtTheLastPosition)
{
    TPaneWindow w(TPaneKind::Result, 600, 583);
    TFilterScope scope({w.bar}, {w.pane});
    ASSERT_TRUE(kit::Start(w));
    ASSERT_TRUE(kit::Load(w, Document(2000)));
    EXPECT_EQ(w.pane->DocumentHeight(), 2000);
    EXPECT_TRUE(w.bar->isEnabled());
    EXPECT_EQ(w.bar->Max(), 2000);
    EXPECT_EQ(w.bar->PageSize(), 583);
    EXPECT_EQ(w.bar->SmallChange(), 80);
    EXPECT_EQ(w.bar->LargeChange(), 583);
    EXPECT_EQ(w.bar->MaxPosition(), 1418);
    EXPECT_EQ(w.bar->Position(), 0);

    QWidget* input = kit::InputWidget(w.pane);
    for (int i = 0; i < 17; ++i)
        kit::Wheel(input, -120);
    EXPECT_EQ(w.bar->Position(), 1360);
    ExpectInStep(w, 2000 - 583);
    kit::Wheel(input, -120);
    EXPECT_EQ(w.bar->Position(), 1418);
    kit::Wheel(input, -15); // a small turn is still one step
    EXPECT_EQ(w.bar->Position(), 1418);
    ExpectInStep(w, 2000 - 583);

    w.bar->SetPosition(50);
    kit::Wheel(input, 120);
    EXPECT_EQ(w.bar->Position(), 0);
    ExpectInStep(w, 2000 - 583);

    // The bar itself takes wheel steps for its pane.
    kit::Wheel(w.bar, -120);
    EXPECT_EQ(w.bar->Position(), 80);
    ExpectInStep(w, 2000 - 583);
}

TEST(ScrollBar, ShortDocumentDisablesTheBarAndTheWheelDoesNothing)
{
    TPaneWindow w(TPaneKind::Result, 600, 583);
    TFilterScope scope({w.bar}, {w.pane});
    ASSERT_TRUE(kit::Start(w));
    ASSERT_TRUE(kit::Load(w, Document(500)));
    EXPECT_FALSE(w.bar->isEnabled());
    kit::Wheel(kit::InputWidget(w.pane), -120);
    kit::Wheel(kit::InputWidget(w.pane), -120);
    EXPECT_EQ(w.bar->Position(), 0);
    kit::Settle(w.pane);
    EXPECT_EQ(kit::ScrollY(w.pane), 0);
}

TEST(ScrollBar, BeginReloadThenANewPageStartsAtTheTop)
{
    TPaneWindow w(TPaneKind::Result, 600, 583);
    ASSERT_TRUE(kit::Start(w));
    ASSERT_TRUE(kit::Load(w, Document(3000)));
    w.bar->SetPosition(800);
    ExpectInStep(w, 3000 - 583);

    w.bar->BeginReload();
    EXPECT_FALSE(w.bar->isEnabled());
    EXPECT_TRUE(w.bar->ResetPending());
    ASSERT_TRUE(kit::Load(w, Document(2000)));
    EXPECT_TRUE(w.bar->isEnabled());
    EXPECT_FALSE(w.bar->ResetPending());
    EXPECT_EQ(w.bar->Position(), 0);
    ExpectInStep(w, 2000 - 583);
}

TEST(ScrollBar, NewPageWithoutBeginReloadKeepsThePositionAndTheDocumentFollows)
{
    TPaneWindow w(TPaneKind::Result, 600, 583);
    ASSERT_TRUE(kit::Start(w));
    ASSERT_TRUE(kit::Load(w, Document(3000)));
    w.bar->SetPosition(800);
    ASSERT_TRUE(kit::Load(w, Document(2500)));
    EXPECT_EQ(w.bar->Position(), 800);
    ExpectInStep(w, 2500 - 583);
    // Re-clamped to a shorter document.
    ASSERT_TRUE(kit::Load(w, Document(1000)));
    EXPECT_EQ(w.bar->Position(), 1000 - 583 + 1);
    ExpectInStep(w, 1000 - 583);
}

TEST(ScrollBar, AnswersForAReplacedPageAreNeverApplied)
{
    TPaneWindow w(TPaneKind::Result, 600, 583);
    ASSERT_TRUE(kit::Start(w));
    const int before = w.completed;
    // The tall page is replaced before it completes.
    ASSERT_TRUE(w.pane->LoadHtml(Document(5000)));
    ASSERT_TRUE(w.pane->LoadHtml(Document(400)));
    ASSERT_TRUE(kit::WaitUntil([&] { return w.completed > before; }));
    kit::Settle(w.pane);
    EXPECT_EQ(w.completed, before + 1);
    EXPECT_LE(w.pane->DocumentHeight(), 583);
    EXPECT_FALSE(w.bar->isEnabled());

    // A measurement asked for the old page is dropped when a new one loads.
    ASSERT_TRUE(kit::Load(w, Document(3000)));
    bool answered = false;
    w.pane->MeasureDocument(w.bar, [&](int) { answered = true; });
    ASSERT_TRUE(kit::Load(w, Document(2000)));
    kit::Settle(w.pane);
    EXPECT_FALSE(answered);
    EXPECT_EQ(w.bar->Max(), 2000);
}

TEST(ScrollBar, ResetRangeAfterAResizeRefitsTheResultPageAndGoesToTheTop)
{
    TPaneWindow w(TPaneKind::Result, 440, 583);
    ASSERT_TRUE(kit::Start(w));
    TResultRows rows;
    for (int i = 0; i < 40; ++i) {
        rows[i].title = "t" + std::to_string(i);
        rows[i].seller_credit_score = "3";
    }
    ASSERT_TRUE(kit::Load(w, BuildResultGridPage(rows)));
    const int narrow = w.bar->Max();
    EXPECT_GT(narrow, 583);
    w.bar->SetPosition(500);

    w.pane->resize(880, 583);
    w.bar->ResetRange();
    // The pane measures its page again at its new size by itself too; the
    // reset also brings the page to its top.
    ASSERT_TRUE(kit::WaitUntil([&] { return w.bar->Max() != narrow && w.bar->Position() == 0; }))
        << w.bar->Max() << " " << w.bar->Position();
    EXPECT_LT(w.bar->Max(), narrow); // more columns, fewer rows
    ExpectInStep(w, w.bar->Max() - 583);

    // A disabled bar ignores it.
    w.bar->BeginReload();
    w.pane->resize(440, 583);
    w.bar->ResetRange();
    kit::Settle(w.pane);
    EXPECT_LT(w.bar->Max(), narrow);
}

TEST(PaneInput, RightButtonAndKeysAreDroppedInQuietPanesButNotInTheSellerPage)
{
    TPaneWindow web(TPaneKind::Result);
    TPaneWindow shop(TPaneKind::SellerPage);
    TFilterScope scope({web.bar, shop.bar}, {web.pane});
    const std::string page = "<body style='height:400px'><script>var downs = 0, menus = 0, keys = 0;"
                             "document.addEventListener('mousedown', function () { downs++; });"
                             "document.addEventListener('contextmenu', function (e) { menus++; e.preventDefault(); });"
                             "document.addEventListener('keydown', function () { keys++; });</script></body>";
    for (auto* w : {&web, &shop}) {
        ASSERT_TRUE(kit::Start(*w));
        ASSERT_TRUE(kit::Load(*w, page));
    }
    for (auto* w : {&web, &shop}) {
        w->window->activateWindow();
        w->pane->setFocus();
        kit::Click(w->pane, {100, 100}, Qt::RightButton);
        kit::Key(w->pane, Qt::Key_A);
        kit::Click(w->pane, {100, 100}, Qt::LeftButton);
    }
    ASSERT_TRUE(kit::WaitUntil([&] { return kit::Js(shop.pane, "menus").toInt() == 1; }));
    EXPECT_EQ(kit::Js(shop.pane, "downs").toInt(), 2);
    kit::Settle(web.pane);
    EXPECT_EQ(kit::Js(web.pane, "menus").toInt(), 0);
    EXPECT_EQ(kit::Js(web.pane, "keys").toInt(), 0);
    EXPECT_EQ(kit::Js(web.pane, "downs").toInt(), 1); // the left button only
    EXPECT_EQ(web.pane->contextMenuPolicy(), Qt::NoContextMenu);
    EXPECT_EQ(shop.pane->contextMenuPolicy(), Qt::DefaultContextMenu);
}

TEST(PaneInput, WheelOverOnePaneStepsOnlyItsBar)
{
    TPaneWindow web(TPaneKind::Result, 400, 300);
    TPaneWindow web2(TPaneKind::SellerList, 200, 300);
    TFilterScope scope({web.bar, web2.bar}, {web.pane, web2.pane});
    for (auto* w : {&web, &web2}) {
        ASSERT_TRUE(kit::Start(*w));
        ASSERT_TRUE(kit::Load(*w, Document(1500)));
    }
    kit::Wheel(kit::InputWidget(web2.pane), -120);
    EXPECT_EQ(web2.bar->Position(), 80);
    EXPECT_EQ(web.bar->Position(), 0);
    ExpectInStep(web2, 1500 - 300);

    // Outside every pane nothing moves.
    QWidget outside;
    outside.resize(50, 50);
    outside.show();
    kit::Wheel(&outside, -120);
    EXPECT_EQ(web2.bar->Position(), 80);
    EXPECT_EQ(web.bar->Position(), 0);
}

TEST(PaneInput, MouseOnTheBarFocusesItsPane)
{
    TPaneWindow w(TPaneKind::Result);
    ASSERT_TRUE(kit::Start(w));
    w.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.window.get()));
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), w.bar->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(w.bar, &enter);
    ASSERT_TRUE(kit::WaitUntil([&] { return w.pane->hasFocus() || kit::InputWidget(w.pane)->hasFocus(); }, 3000));
}
