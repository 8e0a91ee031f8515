// Start-up: server choice, request order, captions and the first search.

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QTest>
#include <QMessageBox>
#include <QScreen>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QToolButton>
#include <QTreeWidget>

#include "BrowserPane.h"
#include "DemoReplies.h"
#include "FormFixture.h"
#include "Notebook.h"
#include "PaneTestKit.h"
#include "PictureButton.h"
#include "codepage.h"
#include "data.h"

namespace {

const QString kBusy = QStringLiteral("正在搜索商品，请稍后......");

} // namespace

TEST_F(TFormTest, StartUpAsksSoftwareInfoFirstThenCategoriesAndSearchAllCategories)
{
    TCannedReply slow;
    slow.body = demo::Items(base, 1, 40, "120");
    slow.delayBeforeHeaders = std::chrono::milliseconds(1500);
    server.Set(kItems, slow);
    StartForm(false);

    // While the first search runs: busy caption, panel off, the tree chose "所有类目".
    ASSERT_TRUE(WaitUntil([this] { return form->windowTitle() == kBusy; }));
    EXPECT_FALSE(form->bsSkinComboBox1->isEnabled());
    ASSERT_NE(form->bsSkinTreeView1->currentItem(), nullptr);
    EXPECT_EQ(form->bsSkinTreeView1->currentItem()->text(0), QStringLiteral("所有类目"));
    EXPECT_EQ(form->bsSkinTabControl1->count(), 0);

    ASSERT_TRUE(WaitUntil([this] { return form->bsSkinTabControl1->count() == 1 && !form->SearchRunning(); }));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Pallido"));
    EXPECT_EQ(form->bsSkinTabControl1->tabText(0), QStringLiteral("所有类目"));
    EXPECT_TRUE(form->bsSkinComboBox1->isEnabled());
    EXPECT_EQ(form->bsSkinNotebook1->PageCaption(3), QStringLiteral("活动专区"));

    const auto requests = server.Requests();
    ASSERT_GE(requests.size(), 3u);
    EXPECT_EQ(requests[0].path, kSoft);
    EXPECT_EQ(requests[0].query, "pid=mm_10000001_0_0");
    const std::vector<std::string> next = {requests[1].path, requests[2].path};
    EXPECT_TRUE((next == std::vector<std::string>{kCats, kItems}) || (next == std::vector<std::string>{kItems, kCats}));
    EXPECT_EQ(server.RequestCount(kSoft), 1u);
    EXPECT_EQ(server.RequestCount(kItems), 1u);

    // The first search already sends the default lists, empty keyword, all categories.
    const auto p = Last(kItems);
    EXPECT_EQ(p.at("cid"), "0");
    EXPECT_EQ(p.at("keyword"), "");
    EXPECT_EQ(p.at("sort"), "commissionVolume_desc");
    EXPECT_EQ(p.at("start_credit"), "1heart");
    EXPECT_EQ(p.at("end_credit"), "5goldencrown");
    EXPECT_EQ(p.at("start_price"), "0");
    EXPECT_EQ(p.at("end_price"), "999999999");
    EXPECT_EQ(p.at("page_no"), "1");
    EXPECT_EQ(p.count("area"), 0u);
    EXPECT_EQ(p.count("guarantee"), 0u);
    EXPECT_EQ(Last(kCats).at("parent_cid"), "0");

    // The counter page is loaded by its hidden pane.
    EXPECT_TRUE(WaitUntil([this] { return server.RequestCount("/taobao/III/count.html") == 1; }));
    EXPECT_TRUE(localOnly.blocked.empty());
}

// The panes share one page process: the first result page goes first, the
// counter page and the seller panes' start documents follow it, and a seller
// pane used before then gets its start document at once.
TEST_F(TFormTest, TheCounterPageAndTheSellerListWaitForTheFirstResultPageTheSellerItemPaneForItsOwn)
{
    StartForm();
    ASSERT_TRUE(WaitUntil([this] { return server.RequestCount("/taobao/III/count.html") == 1; }));
    const std::vector<TRecordedRequest> seen = server.Requests();
    const auto first = [&](const std::string& prefix) {
        for (std::size_t i = 0; i < seen.size(); ++i)
            if (seen[i].path.rfind(prefix, 0) == 0)
                return i;
        return seen.size();
    };
    EXPECT_LT(first("/pic/"), first("/taobao/III/count.html"));
    EXPECT_TRUE(WaitUntil([this] { return form->web2->DocumentSerial() > 0; }));
    // Nothing has been shown in the seller item pane: it has no page yet.
    EXPECT_TRUE(WaitIdle());
    EXPECT_EQ(form->webShop->DocumentSerial(), 0u);
    EXPECT_FALSE(form->webShop->AwaitingComplete());
    form.reset();

    StartForm(false);
    form->LoadHtml(form->webShop, Ansi("<body><p id=p>早</p></body>"));
    EXPECT_TRUE(WaitUntil([this] {
        return kit::Js(form->webShop, QStringLiteral("document.getElementById('p') ? 1 : 0")).toInt() == 1;
    }));
    EXPECT_TRUE(WaitIdle());
}

TEST_F(TFormTest, PrimaryRefusingTheSoftwareInfoSwitchesEveryLaterRequestToTheFallback)
{
    TTestServer primary;
    primary.Set(kSoft, "gone", 404);
    BaseUrl = primary.BaseUrl();
    FallbackUrl = base;
    StartForm();
    EXPECT_EQ(BaseUrl, base);
    ASSERT_EQ(primary.Requests().size(), 1u);
    EXPECT_EQ(primary.Requests()[0].path, kSoft);

    // Categories, searches, paging and the counter page all go to the fallback.
    form->bsSkinComboBox1->setEditText(QStringLiteral("茶叶"));
    Search();
    form->NextBut->click();
    ASSERT_TRUE(WaitIdle());
    form->bsSkinTreeView1->topLevelItem(1)->setExpanded(true);
    EXPECT_TRUE(WaitUntil([this] { return server.RequestCount("/taobao/III/count.html") == 1; }));
    EXPECT_EQ(primary.Requests().size(), 1u);
    EXPECT_EQ(server.RequestCount(kSoft), 1u);
    EXPECT_EQ(server.RequestCount(kItems), 3u);
    EXPECT_EQ(server.RequestCount(kCats), 2u);
    EXPECT_EQ(form->bsSkinNotebook1->PageCaption(3), QStringLiteral("活动专区"));
}

TEST_F(TFormTest, AnyAnswerOfThePrimaryKeepsIt)
{
    server.Set(kSoft, "");
    StartForm();
    EXPECT_EQ(BaseUrl, base);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Pallido"));
    // An empty reply gives an empty caption for the fourth page.
    EXPECT_EQ(form->bsSkinNotebook1->PageCaption(3), QString());
}

TEST_F(TFormTest, BothServersDownStillStartsAndReportsTheFailedFirstSearch)
{
    server.Stop();
    BaseUrl = "http://127.0.0.1:" + std::to_string(UnusedPort()) + "/";
    const std::string fallback = FallbackUrl;
    bool panelOffWhileOpen = false;
    TMessageBoxWatcher boxes([&] { panelOffWhileOpen = !form->bsSkinComboBox1->isEnabled(); });
    StartForm(false);
    ASSERT_TRUE(WaitUntil([&] { return boxes.seen.size() == 1 && !form->SearchRunning(); }));
    EXPECT_EQ(BaseUrl, fallback);
    // Nothing answered: the box says so, not that nothing was found.
    EXPECT_EQ(boxes.seen[0].text, QStringLiteral("无法连接服务器，请检查网络后重试"));
    EXPECT_EQ(boxes.seen[0].title, QStringLiteral("惜哉..."));
    EXPECT_EQ(boxes.seen[0].icon, static_cast<int>(QMessageBox::Question));
    EXPECT_EQ(boxes.seen[0].buttonCount, 1);
    EXPECT_TRUE(boxes.seen[0].okOnly);
    EXPECT_TRUE(panelOffWhileOpen);
    ASSERT_TRUE(WaitUntil([this] { return form->bsSkinComboBox1->isEnabled(); }));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Pallido"));
    EXPECT_EQ(form->bsSkinNotebook1->PageCaption(3), QString());
    EXPECT_EQ(form->bsSkinTreeView1->topLevelItemCount(), 1);
    EXPECT_EQ(form->bsSkinTabControl1->count(), 0);
    for (QPushButton* b : {form->IndexBut, form->BackBut, form->NextBut, form->TailBut})
        EXPECT_FALSE(b->isEnabled());
}

TEST_F(TFormTest, ClosingTheWindowDuringASearchNeitherHangsNorCrashes)
{
    StartForm();
    TCannedReply stall;
    stall.body = demo::Items(base, 1, 40, "120");
    stall.delayBeforeHeaders = std::chrono::seconds(60);
    server.Set(kItems, stall);
    form->bsSkinComboBox1->setEditText(QStringLiteral("耳机"));
    form->bsSkinLinkImage1->click();
    ASSERT_TRUE(WaitUntil([this] { return server.RequestCount(kItems) == 2; }));
    ASSERT_TRUE(form->SearchRunning());
    // The worker's request is cut short; far below the reply's delay.
    EXPECT_LT(CloseForm(), std::chrono::seconds(10));
    EXPECT_TRUE(SearchIdle.load());
}

TEST_F(TFormTest, WindowIsPlacedNearTheScreenCentreEvenWhenTheScreenIsSmaller)
{
    StartForm();
    QTest::qWait(50);
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const QRect outer = form->frameGeometry();
    // Integer division truncating toward zero, the offsets kept as they are,
    // by the outer frame. A frame that would start left of the screen may be
    // moved right by its margin by the platform.
    const QPoint expected((screen.width() - outer.width()) / 2 - 10, (screen.height() - outer.height()) / 2 - 15);
    EXPECT_EQ(outer.y(), expected.y());
    EXPECT_GE(outer.x(), expected.x());
    EXPECT_LE(outer.x(), expected.x() + (outer.width() - form->width()) / 2);
    if (screen.width() < outer.width()) {
        EXPECT_LT(outer.x(), 0);
    }
}
