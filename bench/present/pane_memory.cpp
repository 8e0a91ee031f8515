// Memory of the client side of the panes: all six panes created as the main
// window has them (three hidden), the start documents and the counter page
// loaded, and a 40-item result page shown. Prints the proportional set size
// (PSS, from /proc/<pid>/smaps_rollup) of this process and of every engine
// process it started. Target: at most 250 MB in total.
//
// QTWEBENGINE_CHROMIUM_FLAGS set in the environment replaces the engine
// flags the panes choose, for comparisons. With the argument --channels the
// channel and activity panes show their pages too (after the user's first
// visit to them).

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <cstdio>

#include "BrowserPane.h"
#include "JpegReply.h"
#include "Offscreen.h"
#include "PageRender.h"
#include "PaneProfile.h"
#include "ProcessMemory.h"
#include "SampleRows.h"
#include "TestServer.h"

namespace {

const QColor kPicture(90, 140, 200);

void Spin(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

bool WaitFor(const bool& flag)
{
    QElapsedTimer timer;
    timer.start();
    while (!flag && timer.elapsed() < 15000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return flag;
}

} // namespace

int main(int argc, char** argv)
{
    bench::PrepareOffscreenPanes();
    QApplication app(argc, argv);
    std::printf("engine flags: %s\n", qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").constData());

    TTestServer server;
    TCannedReply counter;
    counter.body = "<html><body>count</body></html>";
    counter.contentType = "text/html";
    server.Set("/taobao/III/count.html", counter);
    server.Set("/taobao/III/pindao.html", counter);
    server.Set("/taobao/III/huodong.html", counter);
    const bool channels = argc > 1 && QByteArray(argv[1]) == "--channels";
    for (int k = 0; k < 8; ++k) {
        server.Set("/img/item" + std::to_string(k) + ".jpg_160x160.jpg", bench::JpegReply(160, kPicture));
        server.Set("/img/item" + std::to_string(k) + ".jpg_sum.jpg", bench::JpegReply(80, kPicture));
    }

    auto* profile = new TPaneProfile(&app);
    {
        // The main window's arrangement: the result pane shown, the seller
        // list, channel, activity and seller page panes on hidden pages, the
        // counter pane of zero size.
        QWidget window;
        window.resize(944, 673);
        QWidget hidden(&window);
        hidden.hide();
        auto* web = new TBrowserPane(TPaneKind::Result, profile, &window);
        web->setGeometry(266, 90, 651, 540);
        auto* web2 = new TBrowserPane(TPaneKind::SellerList, profile, &hidden);
        auto* web3 = new TBrowserPane(TPaneKind::Static, profile, &hidden);
        auto* web4 = new TBrowserPane(TPaneKind::Static, profile, &hidden);
        auto* webShop = new TBrowserPane(TPaneKind::SellerPage, profile, &hidden);
        auto* webCount = new TBrowserPane(TPaneKind::Counter, profile, &window);
        webCount->setGeometry(-10, -10, 0, 0);
        window.show();

        for (TBrowserPane* pane : {web, web2, webShop}) {
            pane->Navigate(QStringLiteral("about:blank"));
            pane->LoadHtml(std::string(kBlankDocument));
        }
        webCount->Navigate(QString::fromStdString(server.BaseUrl() + "taobao/III/count.html"));
        if (channels) {
            web3->Navigate(QString::fromStdString(server.BaseUrl() + "taobao/III/pindao.html"));
            web4->Navigate(QString::fromStdString(server.BaseUrl() + "taobao/III/huodong.html"));
        }
        bool shown = false;
        QObject::connect(web, &TBrowserPane::DocumentComplete, [&] { shown = true; });
        Spin(1500);
        shown = false;
        web->LoadHtml(BuildResultGridPage(SampleResultRows(server.BaseUrl() + "img/")));
        if (!WaitFor(shown))
            std::fprintf(stderr, "the result page did not complete\n");
        Spin(3000);

        long total = 0;
        for (const auto& [pid, kb] : bench::ProcessTreePss()) {
            std::printf("%8lld %8.1f MB  %s\n", static_cast<long long>(pid), kb / 1024.0, bench::ProcessName(pid).constData());
            total += kb;
        }
        std::printf("total PSS %.1f MB\n", total / 1024.0);
    }
    delete profile;
    return 0;
}
