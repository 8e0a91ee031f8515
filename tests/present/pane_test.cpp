#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QWebEngineScript>

#include "Launcher.h"
#include "PageRender.h"
#include "PaneTestKit.h"
#include "TestServer.h"
#include "codepage.h"

using kit::TPaneWindow;

namespace {

// Records what would have been handed to the system browser.
class PaneTest : public ::testing::Test {
protected:
    void SetUp() override { SetLauncher(&launcher); }
    void TearDown() override { SetLauncher(nullptr); }

    std::vector<std::string> Opened() const
    {
        std::vector<std::string> urls;
        for (const auto& c : launcher.calls)
            urls.push_back(c.url);
        return urls;
    }

    TRecordingLauncher launcher;
};

TResultRows Rows(int count)
{
    TResultRows rows;
    for (int i = 0; i < count; ++i) {
        auto& r = rows[i];
        r.title = Ansi("宝贝 ") + std::to_string(i);
        r.nick = "nick" + std::to_string(i % 3);
        r.price = "9.90";
        r.pic_url = "http://127.0.0.1:1/pic" + std::to_string(i);
        r.click_url = "http://127.0.0.1:1/item?id=" + std::to_string(i) + "&pid=mm_1";
        r.shop_click_url = "http://127.0.0.1:1/shop" + std::to_string(i % 3);
        r.seller_credit_score = "5";
        r.item_location = Ansi("杭州");
        r.volume = "12";
    }
    return rows;
}

} // namespace

TEST_F(PaneTest, LoadHtmlNeedsADocumentThenDecodesTheCodePageAndRunsScripts)
{
    TPaneWindow w(TPaneKind::Result);
    EXPECT_FALSE(w.pane->HasDocument());
    EXPECT_TRUE(w.pane->LocationUrl().isEmpty());
    EXPECT_FALSE(w.pane->LoadHtml(std::string(kBlankDocument)));
    ASSERT_TRUE(kit::Start(w));
    EXPECT_TRUE(w.pane->HasDocument());
    EXPECT_EQ(w.pane->LocationUrl(), "about:blank");

    // Two-byte and four-byte GB18030 characters, a script that runs while
    // parsing, and a line break inside the page.
    const std::string page = "<head> <meta http-equiv=\"Content-Type\" content=\"text/html;charset=gb2312\" />"
                             "<script>var ran = 'yes';</script></head><body>" +
                             Ansi("手机壳 ￥ 𠀀") + "\n<p id=x>" + Ansi("浙江") + "</p></body>";
    const int before = w.completed;
    ASSERT_TRUE(kit::Load(w, page));
    EXPECT_EQ(w.completed, before + 1);
    EXPECT_EQ(kit::Js(w.pane, "document.body.firstChild.nodeValue.trim()").toString(), QString::fromUtf8("手机壳 ￥ 𠀀"));
    EXPECT_EQ(kit::Js(w.pane, "document.getElementById('x').textContent").toString(), QString::fromUtf8("浙江"));
    EXPECT_EQ(kit::Js(w.pane, "ran").toString(), "yes");
    // Served as GB18030, the superset the gb2312 declaration stands for here:
    // four-byte sequences decode too.
    EXPECT_EQ(kit::Js(w.pane, "document.characterSet").toString(), "GB18030");
    EXPECT_EQ(w.pane->LocationUrl(), "about:blank");

    // Only one completion per page, none later.
    kit::Settle(w.pane);
    EXPECT_EQ(w.completed, before + 1);
}

TEST_F(PaneTest, OnlyWebAddressesAndAboutBlankAreNavigated)
{
    TPaneWindow w(TPaneKind::Static);
    EXPECT_FALSE(w.pane->Navigate("file:///etc/hostname"));
    EXPECT_FALSE(w.pane->Navigate("javascript:alert(1)"));
    EXPECT_FALSE(w.pane->Navigate("qrc:/x"));
    EXPECT_FALSE(w.pane->Navigate("ftp://127.0.0.1/"));
    EXPECT_FALSE(w.pane->Navigate(""));
    EXPECT_FALSE(w.pane->HasDocument());
    EXPECT_TRUE(w.pane->LocationUrl().isEmpty());
}

TEST_F(PaneTest, StaticPaneShowsTheServersPageAndFollowsItsLinks)
{
    TTestServer server;
    // The publisher's page has a variable of the name our own pages use for
    // their link collection: it stays the page's.
    server.Set("/taobao/III/pindao.html",
               kit::Html("<html><head><script>var click_url = 'mine';</script></head>"
                         "<body><a id=next href=\"next.html\">next</a><a id=\"click_url\" href=\"x.html\">x</a></body></html>"));
    server.Set("/taobao/III/next.html", kit::Html("<html><body>next page</body></html>"));
    TPaneWindow w(TPaneKind::Static);
    const QString url = QString::fromStdString(server.BaseUrl() + "taobao/III/pindao.html");
    const int before = w.completed;
    ASSERT_TRUE(w.pane->Navigate(url));
    EXPECT_EQ(w.pane->LocationUrl(), url);
    ASSERT_TRUE(kit::WaitUntil([&] { return w.completed > before; }));
    EXPECT_EQ(server.RequestCount("/taobao/III/pindao.html"), 1u);
    EXPECT_EQ(kit::Js(w.pane, QStringLiteral("String(window.click_url)")).toString(), QStringLiteral("mine"));

    kit::Click(w.pane, kit::CentreOf(w.pane, "#next"));
    ASSERT_TRUE(kit::WaitUntil([&] { return w.completed > before + 1; }));
    EXPECT_EQ(w.pane->LocationUrl(), QString::fromStdString(server.BaseUrl() + "taobao/III/next.html"));
}

TEST_F(PaneTest, UnreachableServerStillCompletesTheDocument)
{
    TPaneWindow w(TPaneKind::Static);
    const QString url = QStringLiteral("http://127.0.0.1:%1/taobao/III/huodong.html").arg(UnusedPort());
    ASSERT_TRUE(w.pane->Navigate(url));
    ASSERT_TRUE(kit::WaitUntil([&] { return w.completed == 1; }));
    EXPECT_EQ(w.pane->LocationUrl(), url);
    EXPECT_GE(w.pane->DocumentHeight(), 0); // the engine's error page
}

TEST_F(PaneTest, ResultPictureAndTitleClicksOpenTheSystemBrowserForOneAndFortyItems)
{
    for (const int count : {1, 40}) {
        for (const int view : {0, 1}) {
            SCOPED_TRACE("items " + std::to_string(count) + " view " + std::to_string(view));
            launcher.calls.clear();
            TPaneWindow w(TPaneKind::Result);
            ASSERT_TRUE(kit::Start(w));
            ASSERT_TRUE(kit::Load(w, BuildResultPage(Rows(count), view)));
            const int completed = w.completed;
            const int last = count - 1;

            // OnPic(i) through a real click on the picture.
            kit::Reveal(w, ".div_pic", 17 % count);
            kit::Click(w.pane, kit::CentreOf(w.pane, ".div_pic", 17 % count));
            ASSERT_TRUE(kit::WaitUntil([&] { return launcher.calls.size() == 1; }));
            EXPECT_EQ(launcher.calls[0].url, "http://127.0.0.1:1/item?id=" + std::to_string(17 % count) + "&pid=mm_1");
            // The page script itself, for the last item.
            kit::Js(w.pane, QStringLiteral("OnPic(%1)").arg(last));
            ASSERT_TRUE(kit::WaitUntil([&] { return launcher.calls.size() == 2; }));
            EXPECT_EQ(launcher.calls[1].url, "http://127.0.0.1:1/item?id=" + std::to_string(last) + "&pid=mm_1");
            // A title (target="_blank") and a nick.
            kit::Reveal(w, ".li", 0);
            kit::Click(w.pane, kit::CentreOf(w.pane, "a[id=click_url]", 0));
            ASSERT_TRUE(kit::WaitUntil([&] { return launcher.calls.size() == 3; }));
            EXPECT_EQ(launcher.calls[2].url, "http://127.0.0.1:1/item?id=0&pid=mm_1");
            kit::Click(w.pane, kit::CentreOf(w.pane, ".div_nick a", 0));
            ASSERT_TRUE(kit::WaitUntil([&] { return launcher.calls.size() == 4; }));
            EXPECT_EQ(launcher.calls[3].url, "http://127.0.0.1:1/shop0");

            // Nothing navigated the pane.
            kit::Settle(w.pane);
            EXPECT_EQ(w.completed, completed);
            EXPECT_EQ(w.pane->LocationUrl(), "about:blank");
            EXPECT_EQ(kit::Js(w.pane, "document.querySelectorAll('a[id=click_url]').length").toInt(), count);
        }
    }
}

TEST_F(PaneTest, AddressesThatAreNotWebAddressesNeverLeaveThePane)
{
    TPaneWindow w(TPaneKind::Result);
    ASSERT_TRUE(kit::Start(w));
    TResultRows rows = Rows(3);
    rows[0].click_url = "javascript:document.title='ran'";
    rows[1].click_url = "file:///etc/hostname";
    rows[2].click_url = "pallido://page/00";
    rows[0].shop_click_url = "javascript:document.title='ran'";
    ASSERT_TRUE(kit::Load(w, BuildResultListPage(rows)));
    for (int i = 0; i < 3; ++i) {
        kit::Click(w.pane, kit::CentreOf(w.pane, ".div_pic", i));
        kit::Click(w.pane, kit::CentreOf(w.pane, ".div_title > a", i));
    }
    kit::Click(w.pane, kit::CentreOf(w.pane, ".div_nick a", 0));
    kit::Js(w.pane, "window.open('file:///etc/passwd'); open('javascript:1');");
    kit::Settle(w.pane);
    EXPECT_TRUE(launcher.calls.empty());
    EXPECT_NE(kit::Js(w.pane, "document.title").toString(), "ran");

    w.pane->OpenWindow("javascript:alert(1)");
    w.pane->OpenWindow("file:///etc/passwd");
    w.pane->OpenWindow("");
    EXPECT_TRUE(launcher.calls.empty());
    w.pane->OpenWindow("http://127.0.0.1:1/a?b=1&c=" + Ansi("手机"));
    ASSERT_EQ(launcher.calls.size(), 1u);
    EXPECT_EQ(launcher.calls[0].url, "http://127.0.0.1:1/a?b=1&c=%E6%89%8B%E6%9C%BA");
}

TEST_F(PaneTest, GeneratedPagesCannotReadLocalFiles)
{
    TPaneWindow w(TPaneKind::SellerPage);
    ASSERT_TRUE(kit::Start(w));
    ASSERT_TRUE(kit::Load(w, "<body><script>"
                             "var out = [];"
                             "try { var x = new XMLHttpRequest(); x.open('GET', 'file:///etc/hostname', false);"
                             "  x.send(); out.push('xhr:' + x.responseText); } catch (e) { out.push('xhr:blocked'); }"
                             "fetch('file:///etc/hostname').then(function (r) { return r.text(); })"
                             "  .then(function (t) { out.push('fetch:' + t); }, function () { out.push('fetch:blocked'); });"
                             "</script><iframe id=f src='file:///etc/hostname'></iframe>"
                             "<img id=i src='file:///usr/share/pixmaps/debian-logo.png'></body>"));
    ASSERT_TRUE(kit::WaitUntil([&] { return kit::Js(w.pane, "out.length").toInt() == 2; }));
    const QStringList out = kit::Js(w.pane, "out").toStringList();
    EXPECT_TRUE(out.contains("xhr:blocked"));
    EXPECT_TRUE(out.contains("fetch:blocked"));
    EXPECT_EQ(kit::Js(w.pane, "document.getElementById('i').naturalWidth").toInt(), 0);
    EXPECT_EQ(kit::Js(w.pane, "(function(){try{return document.getElementById('f').contentDocument.body.innerText}"
                              "catch(e){return ''}})()")
                  .toString()
                  .trimmed(),
              "");
}

TEST_F(PaneTest, SellerPaneReportsItsRelativeLinksAndCancelsThem)
{
    TTestServer server;
    for (int i = 0; i < 12; ++i)
        for (const char* suffix : {"_sum.jpg", "_160x160.jpg"}) {
            // Pictures arrive after the page, as from a real server.
            auto picture = kit::Picture(80);
            picture.delayBeforeHeaders = std::chrono::milliseconds(100);
            server.Set("/p" + std::to_string(i) + suffix, picture);
        }
    TPaneWindow shop(TPaneKind::SellerPage);
    QStringList seen;
    bool cancelAll = true;
    QObject::connect(shop.pane, &TBrowserPane::BeforeNavigate2, [&](const QString& url, bool& cancel) {
        seen << url;
        if (cancelAll && !url.endsWith("nk"))
            cancel = true;
    });
    ASSERT_TRUE(kit::Start(shop));
    ASSERT_EQ(seen, QStringList{"about:blank"});

    SHOP_ITEM s;
    s.nick = "n";
    s.shop_url = "http://127.0.0.1:1/shop";
    for (int i = 0; i < 12; ++i) {
        s.items[i].title = "t" + std::to_string(i);
        s.items[i].pic_url = server.BaseUrl() + "p" + std::to_string(i);
    }
    for (const int view : {0, 1}) {
        ASSERT_TRUE(kit::Load(shop, BuildShopPage(s, view)));
        // In one view only the picture itself is the link.
        ASSERT_TRUE(kit::WaitForPictures(shop.pane));
        kit::Js(shop.pane, "var marker = 1");
        const int completed = shop.completed;
        seen.clear();
        kit::Reveal(shop, ".div_pic", 7);
        kit::Click(shop.pane, kit::CentreOf(shop.pane, ".div_pic img", 7));
        ASSERT_TRUE(kit::WaitUntil([&] { return !seen.isEmpty(); })) << "view " << view;
        ASSERT_EQ(seen.size(), 1) << seen.join(' ').toStdString();
        EXPECT_TRUE(seen[0].endsWith("07")) << seen[0].toStdString();
        kit::Reveal(shop, ".div_title > a", 11);
        kit::Click(shop.pane, kit::CentreOf(shop.pane, ".div_title > a", 11));
        ASSERT_TRUE(kit::WaitUntil([&] { return seen.size() >= 2; })) << "view " << view;
        ASSERT_EQ(seen.size(), 2) << seen.join(' ').toStdString();
        EXPECT_TRUE(seen[1].endsWith("11")) << seen[1].toStdString();
        // Cancelled: still the same document.
        kit::Settle(shop.pane);
        EXPECT_EQ(shop.completed, completed);
        EXPECT_EQ(kit::Js(shop.pane, "marker").toInt(), 1);
    }
    // The nick opens the shop in the system browser without a report.
    seen.clear();
    kit::Reveal(shop, ".div_nick a", 0);
    kit::Click(shop.pane, kit::CentreOf(shop.pane, ".div_nick a", 0));
    ASSERT_TRUE(kit::WaitUntil([&] { return launcher.calls.size() == 1; }));
    EXPECT_EQ(launcher.calls[0].url, "http://127.0.0.1:1/shop");
    EXPECT_TRUE(seen.isEmpty());
}

TEST_F(PaneTest, SellerListReportsFragmentLinks)
{
    TPaneWindow list(TPaneKind::SellerList);
    QStringList seen;
    bool cancel = true;
    QObject::connect(list.pane, &TBrowserPane::BeforeNavigate2, [&](const QString& url, bool& c) {
        seen << url;
        if (!url.endsWith("nk"))
            c = cancel;
    });
    ASSERT_TRUE(kit::Start(list));
    std::string page = "<body>";
    for (int k = 0; k < 5; ++k)
        page += "<a href=\"#0" + std::to_string(k) + "\"><DIV class=\"item\">seller " + std::to_string(k) +
                "</DIV></a>";
    page += "<div style='height:3000px'></div><a name='04'></a></body>";
    ASSERT_TRUE(kit::Load(list, page));
    const QString address = kit::Js(list.pane, "location.href").toString();
    seen.clear();
    kit::Click(list.pane, kit::CentreOf(list.pane, ".item", 3));
    ASSERT_TRUE(kit::WaitUntil([&] { return seen.size() == 1; }));
    EXPECT_TRUE(seen[0].endsWith("#03")) << seen[0].toStdString();
    kit::Settle(list.pane);
    EXPECT_EQ(kit::Js(list.pane, "location.href").toString(), address);
    EXPECT_EQ(kit::ScrollY(list.pane), 0);

    // Not cancelled: the link is followed within the document.
    cancel = false;
    kit::Click(list.pane, kit::CentreOf(list.pane, ".item", 4));
    ASSERT_TRUE(kit::WaitUntil([&] { return seen.size() == 2; }));
    EXPECT_TRUE(seen[1].endsWith("04"));
    ASSERT_TRUE(kit::WaitUntil([&] { return kit::Js(list.pane, "location.hash").toString() == "#04"; }));
}

TEST_F(PaneTest, CounterPaneLoadsTheCounterPage)
{
    TTestServer server;
    server.Set("/taobao/III/count.html", kit::Html("<html><body><script>window.open('http://127.0.0.1:1/ad');"
                                              "alert('x');</script>count</body></html>"));
    TBrowserPane pane(TPaneKind::Counter, kit::Profile());
    pane.setGeometry(-10, -10, 0, 0);
    pane.show();
    QSignalSpy complete(&pane, &TBrowserPane::DocumentComplete);
    ASSERT_TRUE(pane.Navigate(QString::fromStdString(server.BaseUrl() + "taobao/III/count.html")));
    ASSERT_TRUE(kit::WaitUntil([&] { return complete.count() == 1; }));
    EXPECT_EQ(server.RequestCount("/taobao/III/count.html"), 1u);
    EXPECT_TRUE(launcher.calls.empty());
}

// The engine's processes start with a limit of one allocation heap in their
// environment; once they run, programs started from the client (the user's
// browser, the calculator) must not inherit it.
TEST_F(PaneTest, TheEnginesHeapLimitLeavesTheEnvironmentOnceItsProcessesRun)
{
    TPaneWindow w(TPaneKind::Result);
    ASSERT_TRUE(kit::Start(w));
    EXPECT_FALSE(qEnvironmentVariableIsSet("MALLOC_ARENA_MAX"));
}
