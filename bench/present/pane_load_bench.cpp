// From a search result arriving (WM_SEARCH_DONE) to the result pane's
// document complete, for a 40-item page in each view, offscreen: render the
// page, load it into the pane, wait for the completion the scroll bar syncs
// on (the bar's own sync included). Pictures come from a local server;
// "cold" gives every run new picture addresses (a new search), "warm"
// repeats them (switching tabs).
// Target: median under 80 ms.

#include <QApplication>
#include <QElapsedTimer>
#include <QWebEnginePage>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "BrowserPane.h"
#include "JpegReply.h"
#include "MyScrollBar.h"
#include "Offscreen.h"
#include "PageRender.h"
#include "PaneProfile.h"
#include "SampleRows.h"
#include "TestServer.h"

namespace {

constexpr int kWarmUp = 5;
constexpr int kRuns = 60;

QColor PictureColour(int k) { return QColor(40 + k * 25, 120, 200 - k * 20); }

bool WaitFor(const bool& flag)
{
    QElapsedTimer timer;
    timer.start();
    while (!flag && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return flag;
}

void WaitForPictures(TBrowserPane* pane)
{
    bool done = false;
    const auto connection = QObject::connect(pane->page(), &QWebEnginePage::loadFinished, [&] { done = true; });
    QElapsedTimer timer;
    timer.start();
    while (!done && timer.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QObject::disconnect(connection);
}

struct TStats {
    double median, p90, min;
};

TStats Stats(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.front()};
}

} // namespace

int main(int argc, char** argv)
{
    bench::PrepareOffscreenPanes();
    QApplication app(argc, argv);

    TTestServer server;
    server.SetHandler("/img/", [](const TRecordedRequest&) { return TCannedReply{}; });
    for (int k = 0; k < 8; ++k) {
        const std::string name = "/img/item" + std::to_string(k) + ".jpg";
        server.Set(name + "_160x160.jpg", bench::JpegReply(160, PictureColour(k)));
        server.Set(name + "_sum.jpg", bench::JpegReply(80, PictureColour(k)));
    }

    auto* profile = new TPaneProfile(&app);
    {
        QWidget window;
        auto* pane = new TBrowserPane(TPaneKind::Result, profile, &window);
        auto* bar = new TMyScrollBar(&window);
        bar->SetWeb(pane);
        pane->setGeometry(0, 0, 651, 583);
        bar->setGeometry(651, 0, 19, 583);
        window.resize(670, 583);
        window.show();
        bool complete = false;
        QObject::connect(pane, &TBrowserPane::DocumentComplete, bar, [&] {
            bar->SyncWithDocument(true);
            complete = true;
        });
        pane->Navigate(QStringLiteral("about:blank"));
        WaitFor(complete);

        std::printf("%-6s %-5s %9s %9s %9s\n", "view", "pics", "median", "p90", "min");
        int search = 0;
        for (const bool cold : {true, false}) {
            for (const int view : {0, 1}) {
                std::vector<double> times;
                for (int run = 0; run < kWarmUp + kRuns; ++run) {
                    // Picture addresses the engine has not seen unless warm.
                    const std::string base = server.BaseUrl() + "img/";
                    TResultRows rows = SampleResultRows(base);
                    if (cold) {
                        ++search;
                        for (auto& r : rows)
                            r.pic_url = base + "item" + std::to_string(search % 8) + ".jpg?s=" +
                                        std::to_string(search);
                    }
                    complete = false;
                    QElapsedTimer timer;
                    timer.start();
                    bar->BeginReload();
                    pane->LoadHtml(BuildResultPage(rows, view));
                    if (!WaitFor(complete)) {
                        std::fprintf(stderr, "no document complete\n");
                        return 1;
                    }
                    if (run >= kWarmUp)
                        times.push_back(timer.nsecsElapsed() / 1e6);
                    // Searches are seconds apart: the pictures are in before the next.
                    WaitForPictures(pane);
                }
                const TStats s = Stats(times);
                std::printf("%-6s %-5s %7.1fms %7.1fms %7.1fms\n", view == 0 ? "grid" : "list",
                            cold ? "cold" : "warm", s.median, s.p90, s.min);
            }
        }
    }
    delete profile;
    return 0;
}
