// Generated pages after the first are written into the pane's document in
// place: what a navigation gave them must still hold, and the panes free the
// pages written over once they are quiet.

#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include "IdleCollector.h"
#include "PageRender.h"
#include "PaneScripts.h"
#include "PaneTestKit.h"
#include "SampleRows.h"
#include "TestServer.h"
#include "codepage.h"

using kit::TPaneWindow;

namespace {

std::string TallPage(const char* id, int height)
{
    return std::string("<body style='margin:0'><div id=") + id + " style='height:" + std::to_string(height) + "px'>" +
           Ansi("第") + id + "</div><script>var written = '" + id + "';</script></body>";
}

// A result page of 40 items whose pictures are "/<name>N.jpg_160x160.jpg",
// each served by `server`.
std::string PictureGrid(TTestServer& server, const std::string& name)
{
    TResultRows rows = SampleResultRows(server.BaseUrl(), 40);
    for (int i = 0; i < 40; ++i) {
        rows[i].pic_url = server.BaseUrl() + name + std::to_string(i) + ".jpg";
        server.Set("/" + name + std::to_string(i) + ".jpg_160x160.jpg", kit::Picture(160));
    }
    return BuildResultGridPage(rows);
}

// Which of the 40 pictures of a grid page the server was asked for.
std::vector<int> Asked(const TTestServer& server, const std::string& name)
{
    std::vector<int> asked;
    for (int i = 0; i < 40; ++i)
        if (server.RequestCount("/" + name + std::to_string(i) + ".jpg_160x160.jpg") > 0)
            asked.push_back(i);
    return asked;
}

bool Has(const std::vector<int>& v, int i) { return std::find(v.begin(), v.end(), i) != v.end(); }

} // namespace

TEST(PageReplacement, LaterPagesKeepTheDocumentAndItsAddressAndOnlyTheLastOneCompletes)
{
    TPaneWindow w(TPaneKind::Result);
    ASSERT_TRUE(kit::Start(w));
    ASSERT_TRUE(kit::Load(w, TallPage("a", 3000)));
    const QString address = kit::Js(w.pane, "location.href").toString();
    EXPECT_TRUE(address.startsWith("pallido:"));
    kit::Js(w.pane, "window.scrollTo(0, 900); window.sameWindow = 'yes';");
    ASSERT_EQ(kit::ScrollY(w.pane), 900);

    ASSERT_TRUE(kit::Load(w, TallPage("b", 2000)));
    EXPECT_EQ(kit::Js(w.pane, "window.sameWindow").toString(), "yes"); // no navigation
    EXPECT_EQ(kit::Js(w.pane, "location.href").toString(), address);
    EXPECT_EQ(kit::Js(w.pane, "written").toString(), "b");
    EXPECT_EQ(kit::Js(w.pane, "document.getElementById('b').textContent").toString(), QString::fromUtf8("第b"));
    EXPECT_EQ(kit::Js(w.pane, "document.getElementById('a')").toString(), QString());
    EXPECT_EQ(kit::Js(w.pane, "document.characterSet").toString(), "GB18030");
    EXPECT_EQ(kit::ScrollY(w.pane), 0); // a new page starts at its top
    EXPECT_EQ(w.pane->DocumentHeight(), 2000);

    // Two pages asked for at once: one completion, for the second.
    const int before = w.completed;
    ASSERT_TRUE(w.pane->LoadHtml(TallPage("c", 1500)));
    ASSERT_TRUE(w.pane->LoadHtml(TallPage("d", 2500)));
    ASSERT_TRUE(kit::WaitUntil([&] { return w.completed > before; }));
    kit::Settle(w.pane);
    EXPECT_EQ(w.completed, before + 1);
    EXPECT_EQ(kit::Js(w.pane, "written").toString(), "d");
    EXPECT_EQ(w.pane->DocumentHeight(), 2500);
}

// A written page is measured before its pictures are asked for; they come
// afterwards, keep their addresses, and the pane follows the height they give.
TEST(PageReplacement, AWrittenPagesPicturesStartOnceItIsMeasuredAndTheHeightFollowsThem)
{
    TTestServer server;
    server.Set("/tall.png", kit::Picture(40, 900));
    server.Set("/small.png", kit::Picture(40, 40));
    TPaneWindow w(TPaneKind::Result);
    ASSERT_TRUE(kit::Start(w));
    ASSERT_TRUE(kit::Load(w, TallPage("a", 300)));
    int resized = 0;
    QObject::connect(w.pane, &TBrowserPane::DocumentResized, [&] { ++resized; });

    const std::string tall = server.BaseUrl() + "tall.png";
    const std::string small = server.BaseUrl() + "small.png";
    ASSERT_TRUE(kit::Load(w, "<body style='margin:0'><p id=t>&lt;img src=\"x\"</p><div><img src=\"" + tall +
                                 "\"></div><img src=\"" + small + "\" width=40 height=40></body>"));
    EXPECT_LT(w.pane->DocumentHeight(), 900); // measured without the tall picture
    ASSERT_TRUE(kit::WaitUntil([&] { return resized == 1; }));
    EXPECT_GE(w.pane->DocumentHeight(), 900);
    EXPECT_TRUE(kit::WaitForPictures(w.pane));
    EXPECT_EQ(kit::Js(w.pane, "Array.from(document.images, i => i.getAttribute('src')).join()").toString(),
              QString::fromStdString(tall + "," + small));
    EXPECT_EQ(kit::Js(w.pane, "Array.from(document.images, i => i.naturalHeight).join()").toString(), "900,40");
    EXPECT_EQ(kit::Js(w.pane, "document.querySelectorAll('[" + QString::fromLatin1(kHeldPictureAttribute) +
                                  "]').length")
                  .toInt(),
              0);
    // Text that only reads like a picture stays text.
    EXPECT_EQ(kit::Js(w.pane, "document.getElementById('t').textContent").toString(), "<img src=\"x\"");
    EXPECT_EQ(server.RequestCount("/tall.png"), 1u);

    // A picture that fails counts as arrived too.
    ASSERT_TRUE(kit::Load(w, "<body style='margin:0'><img src=\"" + server.BaseUrl() + "missing.png\"><div><img src=\"" +
                                 tall + "\"></div></body>"));
    EXPECT_LT(w.pane->DocumentHeight(), 900);
    ASSERT_TRUE(kit::WaitUntil([&] { return resized == 2; }));
    EXPECT_GE(w.pane->DocumentHeight(), 900);
}

// The pictures near what the pane shows are asked for first; the others
// once the reader scrolls towards them or a moment later, and never for a
// page that was written over before then.
TEST(PageReplacement, NearPicturesComeFirstAndPagesPagedPastLeaveTheirFarOnesUnasked)
{
    TTestServer server;
    TPaneWindow w(TPaneKind::Result, 651, 583); // three items a row, about two rows shown
    ASSERT_TRUE(kit::Start(w));
    ASSERT_TRUE(kit::Load(w, TallPage("a", 300)));
    w.pane->SetFarPicturesDelay(3600 * 1000); // only scrolling starts them

    ASSERT_TRUE(kit::Load(w, PictureGrid(server, "b")));
    const auto asked = [&](const std::string& name, int from, int to) {
        const std::vector<int> seen = Asked(server, name);
        for (int i = from; i < to; ++i)
            if (!Has(seen, i))
                return false;
        return true;
    };
    EXPECT_TRUE(kit::WaitUntil([&] { return asked("b", 0, 6); })); // on screen
    kit::WaitUntil([] { return false; }, 300); // the engine asks for a few at a time
    const std::vector<int> near = Asked(server, "b");
    for (int i = 15; i < 40; ++i) // rows 6 to 14
        EXPECT_FALSE(Has(near, i)) << i;
    EXPECT_LE(near.size(), 15u);

    // Scrolling down starts the ones it comes near, and only those.
    w.pane->ScrollBy(3000); // rows 10 and 11 shown
    EXPECT_TRUE(kit::WaitUntil([&] { return asked("b", 27, 36); }));
    kit::Settle(w.pane);
    for (int i = 15; i < 18; ++i) // row 6, near neither the top nor where the pane went
        EXPECT_FALSE(Has(Asked(server, "b"), i)) << i;

    // Written over before its far pictures were asked for: they never are
    // (when the machine kept up with the pages).
    constexpr int kDelayMs = 400;
    w.pane->SetFarPicturesDelay(kDelayMs);
    QElapsedTimer since;
    since.start();
    ASSERT_TRUE(kit::Load(w, PictureGrid(server, "c")));
    ASSERT_TRUE(kit::Load(w, PictureGrid(server, "d")));
    const bool writtenOverInTime = since.elapsed() < kDelayMs - 50;
    // The last page gets all of its pictures, each once.
    ASSERT_TRUE(kit::WaitForPictures(w.pane));
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(server.RequestCount("/d" + std::to_string(i) + ".jpg_160x160.jpg"), 1u) << i;
    kit::WaitUntil([] { return false; }, 2 * kDelayMs);
    if (writtenOverInTime) {
        for (int i = 15; i < 40; ++i)
            EXPECT_FALSE(Has(Asked(server, "c"), i)) << i;
    }
    for (int i = 15; i < 18; ++i)
        EXPECT_FALSE(Has(Asked(server, "b"), i)) << i;
}

TEST(PageReplacement, AReloadShowsTheLastPageWritten)
{
    TPaneWindow w(TPaneKind::SellerPage);
    ASSERT_TRUE(kit::Start(w));
    ASSERT_TRUE(kit::Load(w, TallPage("a", 800)));
    ASSERT_TRUE(kit::Load(w, TallPage("b", 900)));
    const int before = w.completed;
    w.pane->page()->triggerAction(QWebEnginePage::Reload);
    ASSERT_TRUE(kit::WaitUntil([&] { return w.completed > before; }));
    EXPECT_EQ(kit::Js(w.pane, "window.sameWindow").toString(), QString()); // a fresh document
    EXPECT_EQ(kit::Js(w.pane, "written").toString(), "b");
    EXPECT_EQ(w.pane->DocumentHeight(), 900);

    // Writing in place goes on after the reload.
    ASSERT_TRUE(kit::Load(w, TallPage("c", 700)));
    EXPECT_EQ(kit::Js(w.pane, "written").toString(), "c");
}

TEST(PageReplacement, PanesCollectOnceWhenTheyFallQuiet)
{
    TPaneWindow w(TPaneKind::Result);
    ASSERT_TRUE(kit::Start(w));
    const QString collector = QString::fromLatin1(kCollectorName);
    // The engine offers its collector to the helper scripts' world; count
    // the calls instead of collecting.
    ASSERT_EQ(kit::Js(w.pane, "typeof " + collector, QWebEngineScript::ApplicationWorld).toString(), "function");
    kit::Js(w.pane, collector + " = function () { window.collections = (window.collections || 0) + 1; };",
            QWebEngineScript::ApplicationWorld);
    const auto collections = [&] {
        return kit::Js(w.pane, "window.collections || 0", QWebEngineScript::ApplicationWorld).toInt();
    };

    for (const char* id : {"a", "b", "c"})
        ASSERT_TRUE(kit::Load(w, TallPage(id, 700)));
    EXPECT_EQ(collections(), 0); // not while pages follow each other
    ASSERT_TRUE(kit::WaitUntil([&] { return collections() > 0; }, 10 * TIdleCollector::kQuietMs));
    kit::WaitUntil([] { return false; }, 2 * TIdleCollector::kQuietMs);
    EXPECT_EQ(collections(), 1);
}

TEST(PageReplacement, AfterThePageProcessDiesTheNextPageIsNavigatedTo)
{
    TPaneWindow w(TPaneKind::Result);
    ASSERT_TRUE(kit::Start(w));
    ASSERT_TRUE(kit::Load(w, TallPage("a", 800)));
    bool gone = false;
    QObject::connect(w.pane->page(), &QWebEnginePage::renderProcessTerminated, [&] { gone = true; });
    w.pane->page()->load(QUrl(QStringLiteral("chrome://crash")));
    if (!kit::WaitUntil([&] { return gone; }, 10000))
        GTEST_SKIP() << "the engine did not end its page process";

    ASSERT_TRUE(kit::Load(w, TallPage("b", 900)));
    EXPECT_EQ(kit::Js(w.pane, "written").toString(), "b");
    EXPECT_EQ(w.pane->DocumentHeight(), 900);
}
