// The seller list, the seller pages with their pager, the conversion of a
// seller page's links on the first click, the view lists and the result
// pane's scroll bar, driven through the window against the in-process server.

#include <tuple>
#include <vector>

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QWebEngineScript>

#include "BrowserPane.h"
#include "DemoReplies.h"
#include "FormFixture.h"
#include "Launcher.h"
#include "MyScrollBar.h"
#include "Notebook.h"
#include "PictureButton.h"
#include "PaneTestKit.h"
#include "Replies.h"
#include "codepage.h"
#include "data.h"

namespace {

constexpr const char* kShopItems = "/taobao/tb_items.php";
constexpr const char* kConvert = "/taobao/tbk_items_convert.php";

// Affiliate rows with the given nicks (one row each), of `total` results
// (as many as rows when negative).
std::string RowsWithNicks(const std::vector<std::string>& nicks, int total = -1)
{
    std::string items;
    for (std::size_t i = 0; i < nicks.size(); ++i) {
        const std::string n = std::to_string(i);
        items += "<taobaoke_item><nick>" + nicks[i] + "</nick><title>title " + n + "</title><price>1.00</price>"
                 "<num_iid>" + std::to_string(100 + i) + "</num_iid><shop_click_url>http://127.0.0.1/shop/" + n +
                 "</shop_click_url><seller_credit_score>" + std::to_string(1 + i) +
                 "</seller_credit_score><item_location>loc " + n + "</item_location></taobaoke_item>";
    }
    return replies::Doc("taobaoke_items_get_response",
                        "<taobaoke_items>" + items + "</taobaoke_items><total_results>" +
                            std::to_string(total < 0 ? static_cast<int>(nicks.size()) : total) + "</total_results>");
}

// One page of a seller's items: ids 5000 + position in the whole list.
std::string ShopPage(int page, int count, const std::string& total)
{
    std::string items;
    for (int i = 0; i < count; ++i) {
        const std::string id = std::to_string(5000 + (page - 1) * 40 + i);
        items += "<item><num_iid>" + id + "</num_iid><title>goods " + id + "</title><price>9.50</price>"
                 "<pic_url>http://127.0.0.1/p" + id + "</pic_url><volume>3</volume></item>";
    }
    return replies::Doc("items_get_response", "<items>" + items + "</items><total_results>" + total + "</total_results>");
}

// A conversion reply linking every id in the list to "<base>conv/<id>".
std::string Converted(const std::string& base, const std::vector<std::string>& ids)
{
    std::string items;
    for (const std::string& id : ids)
        items += "<taobaoke_item><num_iid>" + id + "</num_iid><click_url>" + base + "conv/" + id +
                 "</click_url></taobaoke_item>";
    return replies::Doc("taobaoke_items_convert_response",
                        "<taobaoke_items>" + items + "</taobaoke_items><total_results>" +
                            std::to_string(ids.size()) + "</total_results>");
}

std::vector<std::string> SplitIds(const std::string& list)
{
    std::vector<std::string> ids;
    std::size_t start = 0;
    for (std::size_t comma; (comma = list.find(',', start)) != std::string::npos; start = comma + 1)
        ids.push_back(list.substr(start, comma - start));
    return ids;
}

} // namespace

class TSellerTest : public TFormTest {
protected:
    void SetUp() override
    {
        TFormTest::SetUp();
        server.SetHandler(kShopItems, [this](const TRecordedRequest& r) {
            TCannedReply reply;
            if (shopFails) {
                reply.status = 500;
                reply.body = "down";
                return reply;
            }
            const int page = std::atoi(r.params.at("page_no").c_str());
            const int total = std::atoi(shopTotal.c_str());
            const int count = std::max(0, std::min(40, total - (page - 1) * 40));
            reply.body = ShopPage(page, shopTotal == "abc" ? 3 : count, shopTotal);
            return reply;
        });
        server.SetHandler(kConvert, [this](const TRecordedRequest& r) {
            TCannedReply reply;
            if (convertFails) {
                reply.status = 500;
                reply.body = "down";
                return reply;
            }
            std::vector<std::string> ids = SplitIds(r.params.at("num_iids"));
            if (convertLimit >= 0 && static_cast<int>(ids.size()) > convertLimit)
                ids.resize(static_cast<std::size_t>(convertLimit));
            if (convertSkipsFirst && !ids.empty())
                ids.erase(ids.begin());
            reply.body = Converted(base, ids);
            return reply;
        });
        SetLauncher(&launcher);
    }
    void TearDown() override
    {
        SetLauncher(nullptr);
        TFormTest::TearDown();
    }

    // A click on seller `k` of the list, as the seller pane reports it.
    bool OpenSeller(int k)
    {
        bool cancel = false;
        char tail[4];
        std::snprintf(tail, sizeof tail, "%.2d", k);
        form->web2BeforeNavigate2(QStringLiteral("about:blank#") + QString::fromLatin1(tail), cancel);
        return cancel;
    }
    bool ClickItem(int i)
    {
        bool cancel = false;
        char tail[4];
        std::snprintf(tail, sizeof tail, "%.2d", i);
        form->webShopBeforeNavigate2(QStringLiteral("pallido://page/1/") + QString::fromLatin1(tail), cancel);
        return cancel;
    }
    std::string LastOpened() const { return launcher.calls.empty() ? std::string() : launcher.calls.back().url; }
    QString ShopTitle(int i) const
    {
        return QString::fromStdString(AnsiToUtf8(form->shops[static_cast<std::size_t>(form->shop_index)]
                                                     .items[static_cast<std::size_t>(i)].title));
    }

    TRecordingLauncher launcher;
    std::string shopTotal = "25";
    bool shopFails = false;
    bool convertFails = false;
    int convertLimit = -1; // links for the first N ids only
    bool convertSkipsFirst = false; // no link for the page's first item
};

TEST_F(TSellerTest, SellerListHoldsTheDistinctSellersOfTheShownPage)
{
    server.Set(kItems, replies::TbkItems(40, "40", 3));
    StartForm();
    ASSERT_TRUE(WaitUntil([this] { return form->shops[0].nick == "nick 0"; }));
    for (int k = 0; k < 3; ++k) {
        const SHOP_ITEM& s = form->shops[static_cast<std::size_t>(k)];
        EXPECT_EQ(s.nick, "nick " + std::to_string(k));
        EXPECT_EQ(s.location, "loc " + std::to_string(k));
        EXPECT_EQ(s.credit_pic, CreditPictureUrl(std::to_string(k + 1)));
        EXPECT_EQ(s.shop_url, "http://shop/" + std::to_string(k));
    }
    EXPECT_TRUE(form->shops[3].nick.empty());
    // The seller pane shows exactly those three links.
    ASSERT_TRUE(WaitUntil([this] {
        return kit::Js(form->web2, QStringLiteral("Array.from(document.links).map(a => a.getAttribute('href')).join()"),
                       QWebEngineScript::ApplicationWorld)
                   .toString() == QStringLiteral("#00,#01,#02");
    }));
    EXPECT_EQ(kit::Js(form->web2, QStringLiteral("document.querySelector('.mylocal').textContent"),
                      QWebEngineScript::ApplicationWorld)
                  .toString(),
              QStringLiteral("地区：loc 0"));

    // Nicks differing in case are two sellers; an empty first nick lists none.
    server.Set(kItems, RowsWithNicks({"Shop", "shop", "Shop"}));
    form->bsSkinComboBox1->setEditText(QStringLiteral("case"));
    Search();
    EXPECT_EQ(form->shops[0].nick, "Shop");
    EXPECT_EQ(form->shops[1].nick, "shop");
    EXPECT_TRUE(form->shops[2].nick.empty());
    server.Set(kItems, RowsWithNicks({"", "late"}));
    form->bsSkinComboBox1->setEditText(QStringLiteral("none"));
    Search();
    EXPECT_TRUE(form->shops[0].nick.empty());
}

// All panes share one page process: the seller list, hidden behind the
// category tree, waits for the result page it belongs to, while its seller
// slots are filled at once; shown, it is written together with the page.
TEST_F(TSellerTest, AHiddenSellerListFollowsItsResultPageAndAShownOneComesAtOnce)
{
    server.SetHandler(kItems, [](const TRecordedRequest& r) {
        const std::string page = "p" + r.params.at("page_no");
        TCannedReply reply;
        reply.body = RowsWithNicks({page + "s0", page + "s1"}, 120);
        return reply;
    });
    const auto lists = [this](const char* nick) {
        return kit::Js(form->web2, QStringLiteral("document.body.textContent"), QWebEngineScript::ApplicationWorld)
            .toString()
            .contains(QString::fromLatin1(nick));
    };
    StartForm();
    ASSERT_TRUE(WaitUntil([&] { return lists("p1s0") && !form->web2->AwaitingComplete(); }));
    std::vector<std::string> completed;
    QObject::connect(form->web, &TBrowserPane::DocumentComplete, form.get(), [&] { completed.push_back("web"); });
    QObject::connect(form->web2, &TBrowserPane::DocumentComplete, form.get(), [&] { completed.push_back("web2"); });

    form->NextBut->click();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(form->shops[0].nick, "p2s0");
    EXPECT_FALSE(form->web2->AwaitingComplete()); // not written yet
    ASSERT_TRUE(WaitUntil([&] { return lists("p2s0"); }));
    EXPECT_EQ(completed, (std::vector<std::string>{"web", "web2"}));

    form->bsSkinNotebook1->SetPageIndex(1);
    form->NextBut->click();
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(form->web2->AwaitingComplete());
    ASSERT_TRUE(WaitUntil([&] { return lists("p3s0"); }));
}

TEST_F(TSellerTest, SellerWith41ItemsPagesThroughTwoPagesAndAFailedPageChangeKeepsThePage)
{
    shopTotal = "41";
    StartForm();
    const std::size_t before = Count(kShopItems);
    EXPECT_TRUE(OpenSeller(1));
    ASSERT_EQ(Count(kShopItems), before + 1);
    const auto p = Last(kShopItems);
    EXPECT_EQ(p.at("nicks"), AnsiToUtf8(form->shops[1].nick));
    EXPECT_EQ(p.at("page_no"), "1");
    EXPECT_EQ(p.at("order_by"), "volume");
    // The field list names "no" where "desc" stands by default: the fourth.
    EXPECT_EQ(p.at("fields").rfind("volume,cid,num,no,nick,title,", 0), 0u) << p.at("fields");
    EXPECT_EQ(p.at("fields").find("desc"), std::string::npos);
    EXPECT_TRUE(form->Panel9->isVisible());
    EXPECT_FALSE(form->Button1->isVisible());
    // Enter in the keyword box searches nothing while the seller's page
    // covers the results.
    const std::size_t searches = Count(kItems);
    form->activateWindow();
    QLineEdit* keyword = form->bsSkinComboBox1->lineEdit();
    keyword->setFocus();
    keyword->setText(QStringLiteral("保温杯"));
    QTest::keyClick(keyword, Qt::Key_Return);
    Settle(200);
    EXPECT_FALSE(form->SearchRunning());
    EXPECT_EQ(Count(kItems), searches);
    EXPECT_TRUE(form->Panel9->isVisible());
    EXPECT_EQ(form->shop_index, 1);
    EXPECT_EQ(form->shops[1].page_count, 2);
    EXPECT_FALSE(form->bsSkinButtonLabel4->isEnabled());
    EXPECT_FALSE(form->bsSkinButtonLabel1->isEnabled());
    EXPECT_TRUE(form->bsSkinButtonLabel2->isEnabled());
    EXPECT_TRUE(form->bsSkinButtonLabel3->isEnabled());
    ASSERT_EQ(form->ComboBox1->count(), 2);
    EXPECT_EQ(form->ComboBox1->itemText(1), QStringLiteral("2"));
    EXPECT_EQ(form->ComboBox1->currentIndex(), 0);

    form->bsSkinButtonLabel2->click(); // 下页
    EXPECT_EQ(Last(kShopItems).at("page_no"), "2");
    EXPECT_EQ(form->shops[1].page_no, 2);
    EXPECT_EQ(ShopTitle(0), QStringLiteral("goods 5040"));
    EXPECT_TRUE(ShopTitle(1).isEmpty());
    EXPECT_TRUE(form->bsSkinButtonLabel4->isEnabled());
    EXPECT_TRUE(form->bsSkinButtonLabel1->isEnabled());
    EXPECT_FALSE(form->bsSkinButtonLabel2->isEnabled());
    EXPECT_FALSE(form->bsSkinButtonLabel3->isEnabled());
    EXPECT_EQ(form->ComboBox1->currentIndex(), 1);

    const quint64 beforeFirst = form->webShop->DocumentSerial();
    form->bsSkinButtonLabel4->click(); // 首页
    EXPECT_EQ(form->shops[1].page_no, 1);
    // The page counts as shown once the pane reports it complete, which
    // may come after its rows are already in the document.
    ASSERT_TRUE(WaitUntil([&] {
        return form->webShop->DocumentSerial() != beforeFirst &&
               kit::Js(form->webShop, QStringLiteral("document.querySelectorAll('.div_title a').length"),
                       QWebEngineScript::ApplicationWorld)
                       .toInt() == 40;
    }));
    const quint64 shown = form->webShop->DocumentSerial();

    // 下页 fails, on an answer of no use and then on a server that does not
    // answer: page, list selection and shown page stay; only the second
    // says so.
    TMessageBoxWatcher boxes;
    const QString firstTitle = ShopTitle(0);
    for (const bool answers : {true, false}) {
        shopFails = answers;
        if (!answers)
            BaseUrl = FallbackUrl;
        form->bsSkinButtonLabel2->click();
        EXPECT_EQ(form->shops[1].page_no, 1);
        EXPECT_EQ(form->ComboBox1->currentIndex(), 0);
        EXPECT_EQ(ShopTitle(0), firstTitle);
        EXPECT_TRUE(form->Panel9->isVisible());
        Settle(200);
        EXPECT_EQ(form->webShop->DocumentSerial(), shown);
        EXPECT_TRUE(launcher.calls.empty());
        ASSERT_EQ(boxes.seen.size(), answers ? 0u : 1u);
    }
    BaseUrl = base;
    EXPECT_EQ(boxes.seen[0].text, QStringLiteral("无法连接服务器，请检查网络后重试"));
    EXPECT_EQ(boxes.seen[0].title, QStringLiteral("惜哉..."));

    // Reopening a seller with a stored page asks nothing.
    shopFails = false;
    const std::size_t stored = Count(kShopItems);
    OpenSeller(1);
    EXPECT_EQ(Count(kShopItems), stored);

    // Back on the category page the seller view goes away.
    form->bsSkinNotebook1->SetPageIndex(1);
    form->bsSkinNotebook1->SetPageIndex(0);
    EXPECT_FALSE(form->Panel9->isVisible());
    EXPECT_TRUE(form->Button1->isVisible());
}

TEST_F(TSellerTest, FirstItemClickConvertsThePageOnceAndLaterClicksUseTheLinks)
{
    shopTotal = "25";
    convertLimit = 20;
    StartForm();
    ASSERT_TRUE(OpenSeller(0));
    EXPECT_TRUE(ClickItem(7));
    ASSERT_EQ(Count(kConvert), 1u);
    std::string ids;
    for (int i = 0; i < 25; ++i)
        ids += std::to_string(5000 + i) + ",";
    EXPECT_EQ(Last(kConvert).at("num_iids"), ids);
    EXPECT_EQ(LastOpened(), base + "conv/5007");

    EXPECT_TRUE(ClickItem(3));
    EXPECT_EQ(Count(kConvert), 1u);
    EXPECT_EQ(LastOpened(), base + "conv/5003");
    // Items without a converted link open the shop.
    ClickItem(22);
    EXPECT_EQ(Count(kConvert), 1u);
    EXPECT_EQ(LastOpened(), form->shops[0].shop_url);
    ClickItem(19);
    EXPECT_EQ(LastOpened(), base + "conv/5019");

    // about:blank proceeds; other addresses are cancelled and ignored.
    bool cancel = false;
    form->webShopBeforeNavigate2(QStringLiteral("about:blank"), cancel);
    EXPECT_FALSE(cancel);
    form->web2BeforeNavigate2(QStringLiteral("about:blank"), cancel);
    EXPECT_FALSE(cancel);
    const std::size_t opened = launcher.calls.size();
    for (const char* odd : {"http://x/ab", "http://x/77", "javascript:alert(1)"}) {
        cancel = false;
        form->webShopBeforeNavigate2(QString::fromLatin1(odd), cancel);
        EXPECT_TRUE(cancel) << odd;
        cancel = false;
        form->web2BeforeNavigate2(QString::fromLatin1(odd), cancel);
        EXPECT_TRUE(cancel) << odd;
    }
    EXPECT_EQ(launcher.calls.size(), opened);
    EXPECT_EQ(Count(kConvert), 1u);
}

TEST_F(TSellerTest, WithoutALinkForTheFirstItemEveryClickConvertsAgain)
{
    // The page counts as converted by its first item's link: without one,
    // each click asks again, and each opens the link it then got.
    convertSkipsFirst = true;
    StartForm();
    ASSERT_TRUE(OpenSeller(0));
    ClickItem(3);
    EXPECT_EQ(Count(kConvert), 1u);
    EXPECT_EQ(LastOpened(), base + "conv/5003");
    ClickItem(5);
    EXPECT_EQ(Count(kConvert), 2u);
    EXPECT_EQ(LastOpened(), base + "conv/5005");
    ClickItem(0);
    EXPECT_EQ(Count(kConvert), 3u);
    EXPECT_EQ(LastOpened(), form->shops[0].shop_url);
}

TEST_F(TSellerTest, FailedRequestsFallBackToTheShopLink)
{
    StartForm();
    // The first request for a seller finds no server: the box says so, and
    // neither the shop nor a seller page opens.
    TMessageBoxWatcher boxes;
    BaseUrl = FallbackUrl;
    OpenSeller(2);
    ASSERT_TRUE(WaitUntil([&] { return boxes.seen.size() == 1; }, 5000));
    BaseUrl = base;
    EXPECT_EQ(boxes.seen[0].text, QStringLiteral("无法连接服务器，请检查网络后重试"));
    EXPECT_FALSE(form->Panel9->isVisible());
    EXPECT_TRUE(launcher.calls.empty());
    // An answer of no use: its shop opens, no seller page, no box.
    shopFails = true;
    OpenSeller(2);
    EXPECT_FALSE(form->Panel9->isVisible());
    ASSERT_EQ(launcher.calls.size(), 1u);
    EXPECT_EQ(LastOpened(), form->shops[2].shop_url);
    Settle(100);
    EXPECT_EQ(boxes.seen.size(), 1u);

    // A failed conversion opens the shop; the next click asks again.
    shopFails = false;
    convertFails = true;
    OpenSeller(2);
    ASSERT_TRUE(form->Panel9->isVisible());
    ClickItem(0);
    EXPECT_EQ(Count(kConvert), 1u);
    EXPECT_EQ(LastOpened(), form->shops[2].shop_url);
    convertFails = false;
    ClickItem(1);
    EXPECT_EQ(Count(kConvert), 2u);
    EXPECT_EQ(LastOpened(), base + "conv/5001");

    // A total that is no number gives no pages and no paging.
    shopTotal = "abc";
    OpenSeller(3);
    EXPECT_TRUE(form->Panel9->isVisible());
    EXPECT_EQ(form->shops[3].page_count, 0);
    EXPECT_EQ(form->ComboBox1->count(), 0);
    for (QPushButton* b : {form->bsSkinButtonLabel1, form->bsSkinButtonLabel2, form->bsSkinButtonLabel3,
                           form->bsSkinButtonLabel4})
        EXPECT_FALSE(b->isEnabled());
    ClickItem(2);
    EXPECT_EQ(LastOpened(), base + "conv/5002");
}

TEST_F(TSellerTest, SwitchingTabsDropsStoredSellerPages)
{
    StartForm();
    OpenSeller(0);
    const std::size_t first = Count(kShopItems);
    OpenSeller(0);
    EXPECT_EQ(Count(kShopItems), first);
    form->bsSkinNotebook1->SetPageIndex(0);
    form->bsSkinComboBox1->setEditText(QStringLiteral("second"));
    Search();
    ASSERT_EQ(form->bsSkinTabControl1->count(), 2);
    form->bsSkinTabControl1->setCurrentIndex(0);
    EXPECT_TRUE(form->shops[0].items[0].title.empty());
    OpenSeller(0);
    EXPECT_EQ(Count(kShopItems), first + 1);
    EXPECT_EQ(Last(kShopItems).at("page_no"), "1");
}

TEST_F(TSellerTest, ViewListsRenderTheirViewAndEachTabKeepsItsOwn)
{
    StartForm();
    auto hasList = [this](TBrowserPane* pane) {
        return kit::Js(pane, QStringLiteral("document.querySelectorAll('div.item').length"),
                       QWebEngineScript::ApplicationWorld)
                   .toInt();
    };
    ASSERT_TRUE(WaitUntil([&] { return hasList(form->web) == 0 && form->web->DocumentHeight() > 583; }));
    form->bsSkinComboBox4->setCurrentIndex(1);
    form->bsSkinComboBox4Change();
    EXPECT_EQ(form->SelectedTab()->view, 1);
    ASSERT_TRUE(WaitUntil([&] { return hasList(form->web) == 40; }));

    form->bsSkinComboBox1->setEditText(QStringLiteral("second"));
    form->bsSkinComboBox4->setCurrentIndex(0);
    Search();
    EXPECT_EQ(form->SelectedTab()->view, 0);
    form->bsSkinTabControl1->setCurrentIndex(0);
    EXPECT_EQ(form->bsSkinComboBox4->currentIndex(), 1);
    ASSERT_TRUE(WaitUntil([&] { return hasList(form->web) == 40; }));

    // The seller page's list follows its own view list (the empty third entry too).
    OpenSeller(0);
    form->ComboBox2->setCurrentIndex(2);
    form->ComboBox2Change();
    ASSERT_TRUE(WaitUntil([&] { return hasList(form->webShop) == 25; }));
    form->ComboBox2->setCurrentIndex(0);
    form->ComboBox2Change();
    ASSERT_TRUE(WaitUntil([&] { return hasList(form->webShop) == 0; }));
}

TEST_F(TSellerTest, ResultBarFollowsTheNewPageFromItsTop)
{
    StartForm();
    TMyScrollBar* bar = form->ScrollBar;
    ASSERT_TRUE(WaitUntil([&] { return bar->isEnabled() && bar->Max() > bar->PageSize(); }));
    EXPECT_EQ(bar->m_web, form->web);
    EXPECT_EQ(bar->PageSize(), form->web->height());
    bar->StepDown();
    bar->StepDown();
    EXPECT_EQ(bar->Position(), 160);
    form->bsSkinComboBox1->setEditText(QStringLiteral("again"));
    form->bsSkinLinkImage1->click();
    EXPECT_FALSE(bar->isEnabled());
    ASSERT_TRUE(WaitIdle());
    ASSERT_TRUE(WaitUntil([&] { return bar->isEnabled(); }));
    EXPECT_EQ(bar->Position(), 0);
    // Each bar belongs to its pane.
    EXPECT_EQ(form->ScrollBar2->m_web, form->web2);
    EXPECT_EQ(form->ScrollBar3->m_web, form->web3);
    EXPECT_EQ(form->ScrollBar4->m_web, form->web4);
    EXPECT_EQ(form->MyScrollBar1->m_web, form->webShop);
}

TEST_F(TSellerTest, RealClicksOnASellerAndAnItemOpenTheConvertedLink)
{
    shopTotal = "12";
    StartForm();
    form->bsSkinNotebook1->SetPageIndex(1);
    ASSERT_TRUE(WaitUntil([this] {
        return kit::Js(form->web2, QStringLiteral("document.links.length"), QWebEngineScript::ApplicationWorld).toInt() > 1;
    }));
    ASSERT_TRUE(kit::WaitForPictures(form->web2));
    const QPoint seller = kit::CentreOf(form->web2, QStringLiteral("a .mytitle"), 1);
    ASSERT_GE(seller.x(), 0);
    kit::Click(form->web2, seller);
    ASSERT_TRUE(WaitUntil([this] { return form->Panel9->isVisible(); }));
    EXPECT_EQ(form->shop_index, 1);
    ASSERT_TRUE(WaitUntil([this] {
        return kit::Js(form->webShop, QStringLiteral("document.querySelectorAll('.div_title a').length"),
                       QWebEngineScript::ApplicationWorld)
                   .toInt() == 12;
    }));
    ASSERT_TRUE(kit::WaitForPictures(form->webShop));
    // Item 2 of the first row, inside the visible part of the pane.
    const QPoint item = kit::CentreOf(form->webShop, QStringLiteral(".div_title a"), 2);
    ASSERT_GE(item.x(), 0);
    kit::Click(form->webShop, item);
    const bool opened = WaitUntil([this] { return !launcher.calls.empty(); }, 5000);
    if (!opened)
        ADD_FAILURE() << "convert requests " << Count(kConvert) << " at " << item.x() << "," << item.y()
                      << " focus " << (form->webShop->hasFocus()) << " loc "
                      << form->webShop->LocationUrl().toStdString() << " "
                      << kit::Js(form->webShop, QStringLiteral("location.href+' '+document.elementFromPoint(%1,%2).outerHTML").arg(item.x()).arg(item.y()),
                                 QWebEngineScript::ApplicationWorld).toString().toStdString();
    ASSERT_TRUE(opened);
    EXPECT_EQ(LastOpened(), base + "conv/5002");
    EXPECT_EQ(Count(kConvert), 1u);
    EXPECT_TRUE(form->webShop->LocationUrl() == QStringLiteral("about:blank"));
}

TEST_F(TSellerTest, WheelStepsThePaneUnderTheMouseAndQuietPanesDropTheRightButton)
{
    std::vector<std::string> nicks;
    for (int i = 0; i < 40; ++i)
        nicks.push_back("seller" + std::to_string(i));
    server.Set(kItems, RowsWithNicks(nicks));
    StartForm();
    form->bsSkinNotebook1->SetPageIndex(1);
    TMyScrollBar* bar = form->ScrollBar2;
    ASSERT_TRUE(WaitUntil([&] { return bar->isEnabled(); }));
    kit::WaitForFrames(form->web2);
    kit::Wheel(kit::InputWidget(form->web2), -120);
    EXPECT_EQ(bar->Position(), 80);
    kit::Wheel(kit::InputWidget(form->web2), 120);
    EXPECT_EQ(bar->Position(), 0);
    // Outside every pane the wheel moves no bar.
    kit::Wheel(form->bsSkinTabControl1, -120);
    EXPECT_EQ(bar->Position(), 0);

    // The right button never reaches the result page; the seller page gets it.
    const QString count = QStringLiteral(
        "window.__right = 0; document.addEventListener('mousedown', function (e) { if (e.button === 2) ++window.__right; });");
    kit::Js(form->web, count, QWebEngineScript::ApplicationWorld);
    form->bsSkinNotebook1->SetPageIndex(0);
    kit::Click(form->web, QPoint(100, 100), Qt::RightButton);
    Settle(300);
    EXPECT_EQ(kit::Js(form->web, QStringLiteral("window.__right"), QWebEngineScript::ApplicationWorld).toInt(), 0);

    form->bsSkinNotebook1->SetPageIndex(1);
    OpenSeller(0);
    ASSERT_TRUE(WaitUntil([this] {
        return kit::Js(form->webShop, QStringLiteral("document.querySelectorAll('.li').length"),
                       QWebEngineScript::ApplicationWorld)
                   .toInt() > 0;
    }));
    kit::Js(form->webShop, count, QWebEngineScript::ApplicationWorld);
    kit::Click(form->webShop, QPoint(600, 300), Qt::RightButton);
    EXPECT_TRUE(WaitUntil(
        [this] { return kit::Js(form->webShop, QStringLiteral("window.__right"), QWebEngineScript::ApplicationWorld).toInt() == 1; },
        5000));
    // Escape closes whatever menu the engine opened.
    kit::Key(form->webShop, Qt::Key_Escape);
}

TEST_F(TSellerTest, ClicksOnTheResultPageOpenTheItemsLinksOutsideAndThePaneStays)
{
    StartForm();
    ASSERT_TRUE(WaitUntil([this] {
        return kit::Js(form->web, QStringLiteral("document.querySelectorAll('.div_pic').length"),
                       QWebEngineScript::ApplicationWorld)
                   .toInt() == 40;
    }));
    ASSERT_TRUE(kit::WaitForPictures(form->web));
    const TAB* tab = form->SelectedTab();
    ASSERT_NE(tab, nullptr);
    kit::Click(form->web, kit::CentreOf(form->web, QStringLiteral(".div_pic"), 1));
    ASSERT_TRUE(WaitUntil([this] { return launcher.calls.size() == 1; }, 5000));
    EXPECT_EQ(LastOpened(), tab->items[1].click_url);
    kit::Click(form->web, kit::CentreOf(form->web, QStringLiteral(".div_title a"), 2));
    ASSERT_TRUE(WaitUntil([this] { return launcher.calls.size() == 2; }, 5000));
    EXPECT_EQ(LastOpened(), tab->items[2].click_url);
    Settle(200);
    EXPECT_EQ(form->web->LocationUrl(), QStringLiteral("about:blank"));
    EXPECT_EQ(kit::Js(form->web, QStringLiteral("document.querySelectorAll('.div_pic').length"),
                      QWebEngineScript::ApplicationWorld)
                  .toInt(),
              40);
}

TEST_F(TSellerTest, KeysReachOnlyTheSellerPageAndTheWheelStepsTheBarOfThePaneUnderIt)
{
    const std::string tall = "<html><body style='height:3000px'>page</body></html>";
    server.Set("/taobao/III/pindao.html", kit::Html(tall));
    server.Set("/taobao/III/huodong.html", kit::Html(tall));
    StartForm();
    const QString counter = QStringLiteral(
        "window.__keys = 0; document.addEventListener('keydown', function () { ++window.__keys; }, true); true");
    auto keysSeen = [](TBrowserPane* pane) {
        return kit::Js(pane, QStringLiteral("window.__keys"), QWebEngineScript::ApplicationWorld).toInt();
    };
    // Shows `page` of the left notebook, waits for `pane`'s document, then
    // types into it.
    auto typeInto = [&](int page, TBrowserPane* pane) {
        form->bsSkinNotebook1->SetPageIndex(page);
        EXPECT_TRUE(WaitUntil([&] { return pane->DocumentSerial() > 0 && !pane->AwaitingComplete(); }))
            << pane->objectName().toStdString();
        kit::WaitForFrames(pane);
        EXPECT_TRUE(kit::Js(pane, counter, QWebEngineScript::ApplicationWorld).toBool());
        form->activateWindow();
        kit::InputWidget(pane)->setFocus();
        kit::Key(pane, Qt::Key_A);
        kit::Key(pane, Qt::Key_Down);
    };

    typeInto(2, form->web3);
    typeInto(3, form->web4);
    typeInto(1, form->web2);
    ASSERT_TRUE(OpenSeller(0));
    typeInto(1, form->webShop);
    EXPECT_TRUE(WaitUntil([&] { return keysSeen(form->webShop) == 2; }, 5000)) << "the seller page takes keys";
    for (TBrowserPane* quiet : {form->web2, form->web3, form->web4})
        EXPECT_EQ(keysSeen(quiet), 0) << quiet->objectName().toStdString();

    // The wheel over each pane steps that pane's bar by 80.
    const std::vector<std::tuple<int, TBrowserPane*, TMyScrollBar*>> panes = {
        {1, form->webShop, form->MyScrollBar1}, {2, form->web3, form->ScrollBar3}, {3, form->web4, form->ScrollBar4}};
    for (const auto& [page, pane, bar] : panes) {
        SCOPED_TRACE(pane->objectName().toStdString());
        form->bsSkinNotebook1->SetPageIndex(page);
        kit::WaitForFrames(pane);
        const int before = bar->Position();
        kit::Wheel(kit::InputWidget(pane), -120);
        EXPECT_EQ(bar->Position(), before + 80);
        kit::Wheel(kit::InputWidget(pane), 120);
        EXPECT_EQ(bar->Position(), before);
    }
}

TEST_F(TSellerTest, ASellerListWrittenBeforeItsPageWasEverShownIsMeasuredAgainWhenShown)
{
    // Two sellers fit the list; a pane never shown has not been laid out yet
    // and measures them in a narrow strip a few pixels high.
    server.Set(kItems, RowsWithNicks({"alpha", "beta"}, 400));
    StartForm();
    ASSERT_TRUE(WaitUntil([&] {
        return !form->web2->AwaitingComplete() &&
               kit::Js(form->web2, QStringLiteral("document.body.textContent"), QWebEngineScript::ApplicationWorld)
                   .toString()
                   .contains(QStringLiteral("beta"));
    }));
    ASSERT_FALSE(form->web2->isVisible());

    form->bsSkinNotebook1->SetPageIndex(1);
    ASSERT_TRUE(WaitUntil([&] { return !form->ScrollBar2->isEnabled(); })) << form->web2->DocumentHeight();
    const int shown = kit::Js(form->web2, QStringLiteral("document.documentElement.scrollHeight")).toInt();
    EXPECT_EQ(form->web2->DocumentHeight(), shown);
    EXPECT_LE(shown, form->web2->height());

    // A longer list written while the page is shown still gets its bar.
    std::vector<std::string> many;
    for (int i = 0; i < 40; ++i)
        many.push_back("seller" + std::to_string(i));
    server.Set(kItems, RowsWithNicks(many, 400));
    form->NextBut->click();
    ASSERT_TRUE(WaitIdle());
    ASSERT_TRUE(WaitUntil([&] { return form->ScrollBar2->isEnabled(); }));
    EXPECT_GT(form->web2->DocumentHeight(), form->web2->height());
}
