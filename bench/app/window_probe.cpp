// The whole window against a running publisher server (the real one from
// pallido-server): how long a search's outcome takes to show as a completed
// result page, how much memory the client and its browser processes use
// with all six panes and a result page shown, and screenshots of both result
// views and a seller page.
//   window_probe [base-url] [screenshot-folder] [page-changes] [pause-ms]
// base-url defaults to the built-in primary address, page-changes to 40,
// pause-ms (how long the user looks at a page before the next click) to 0:
// the next page is asked for as soon as one is complete.
// Reports the median and p95 of outcome to complete over the page changes
// (the first page, shown at start-up, separately), and the memory with the
// first page and after the page changes, each 2 s after the page and once
// it has settled. A tool, not a test.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "BrowserPane.h"
#include "Messages.h"
#include "Notebook.h"
#include "Offscreen.h"
#include "ProcessMemory.h"
#include "Unit1.h"
#include "data.h"

namespace {

// Runs the event loop until `done` holds. The loop sleeps while no event
// is due, as the program's own does; a tick wakes it now and then to look
// at `done`. (Spinning without sleeping would take a core from the page
// process and the browser threads.)
bool SpinUntil(const std::function<bool()>& done, int ms = 20000)
{
    QElapsedTimer timer;
    timer.start();
    QTimer tick;
    tick.start(2);
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void Spin(int ms)
{
    SpinUntil([] { return false; }, ms);
}

double TotalPssMb(bool list = false)
{
    long total = 0;
    for (const auto& [pid, kb] : bench::ProcessTreePss()) {
        if (list)
            std::printf("  pid %lld: %ld kB\n", static_cast<long long>(pid), kb);
        total += kb;
    }
    return static_cast<double>(total) / 1024.0;
}

// The memory 2 s after a page, and once it has settled: read every second
// until three readings in a row lie within 0.3 MB (at most 30 s after the page).
struct TMemory {
    double early = 0;
    double settled = 0;
    int settledAfterS = 0;
};

TMemory ReadMemory()
{
    Spin(2000);
    TMemory m;
    m.early = TotalPssMb(true);
    std::vector<double> readings{m.early};
    int seconds = 2;
    while (seconds < 30) {
        const std::size_t n = readings.size();
        if (n >= 3 && std::max({readings[n - 1], readings[n - 2], readings[n - 3]}) -
                              std::min({readings[n - 1], readings[n - 2], readings[n - 3]}) < 0.3)
            break;
        Spin(1000);
        ++seconds;
        readings.push_back(TotalPssMb());
    }
    m.settled = readings.back();
    m.settledAfterS = seconds;
    return m;
}

// Notes when the window receives a search outcome.
class TOutcomeWatch : public QObject {
public:
    QElapsedTimer since;
    bool armed = false;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == WM_SEARCH_DONE) {
            since.start();
            armed = true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char** argv)
{
    bench::PrepareOffscreenPanes();
    QApplication app(argc, argv);
    if (argc > 1)
        BaseUrl = FallbackUrl = argv[1];
    const QString shots = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const int changes = argc > 3 ? std::atoi(argv[3]) : 40;
    const int pauseMs = argc > 4 ? std::atoi(argv[4]) : 0;
    std::printf("server %s, engine flags: %s\n", BaseUrl.c_str(), qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").constData());

    TForm1 form;
    TOutcomeWatch watch;
    form.installEventFilter(&watch);
    std::vector<double> latencies;
    QObject::connect(form.web, &TBrowserPane::DocumentComplete, &form, [&] {
        if (!watch.armed)
            return;
        watch.armed = false;
        latencies.push_back(static_cast<double>(watch.since.nsecsElapsed()) / 1e6);
    });
    form.FormCreate();
    form.show();
    if (!SpinUntil([&] { return form.bsSkinTabControl1->count() == 1 && !form.SearchRunning() && !latencies.empty(); })) {
        std::fprintf(stderr, "no first result page\n");
        return 1;
    }
    const TAB* tab = form.SelectedTab();
    std::printf("first tab: %d pages, shown %.1f ms after its outcome\n", tab ? tab->page_count : 0,
                latencies.front());
    latencies.clear();
    const TMemory first = ReadMemory();
    std::printf("PSS with the first result page shown: %.1f MB after 2 s, %.1f MB settled (%d s)\n", first.early,
                first.settled, first.settledAfterS);

    // Page back and forth; each outcome is one latency sample.
    for (int i = 0; i < changes && tab && tab->page_count > 1; ++i) {
        const std::size_t before = latencies.size();
        Spin(pauseMs);
        if (i % 2 == 0)
            form.NextButClick();
        else
            form.BackButClick();
        if (!SpinUntil([&] { return latencies.size() > before && !form.SearchRunning(); }))
            break;
    }
    std::sort(latencies.begin(), latencies.end());
    if (!latencies.empty()) {
        const auto at = [&](double share) {
            return latencies[std::min(latencies.size() - 1, static_cast<std::size_t>(share * latencies.size()))];
        };
        std::printf("outcome to document complete (%d ms between pages): median %.1f ms, p95 %.1f, min %.1f, "
                    "max %.1f over %zu page changes\n",
                    pauseMs, at(0.5), at(0.95), latencies.front(), latencies.back(), latencies.size());
    }

    // Memory once more, after all those pages.
    const TMemory after = ReadMemory();
    std::printf("PSS after %zu page changes: %.1f MB (%+.1f MB) after 2 s, %.1f MB (%+.1f MB) settled (%d s)\n",
                latencies.size(), after.early, after.early - first.early, after.settled, after.settled - first.settled,
                after.settledAfterS);

    if (!shots.isEmpty()) {
        QDir().mkpath(shots);
        form.grab().save(shots + QStringLiteral("/window-grid.png"));
        form.bsSkinComboBox4->setCurrentIndex(1);
        form.bsSkinComboBox4Change();
        Spin(2500);
        form.grab().save(shots + QStringLiteral("/window-list.png"));
        form.bsSkinNotebook1->SetPageIndex(1);
        Spin(500);
        bool cancel = false;
        form.web2BeforeNavigate2(QStringLiteral("about:blank#00"), cancel);
        Spin(2500);
        form.grab().save(shots + QStringLiteral("/window-seller.png"));
        std::printf("screenshots in %s\n", qPrintable(shots));
    }
    return 0;
}
