// Cold start of the built client to its first result tab, as a process
// timing: from starting build/pallido (offscreen) against a canned publisher
// server on its built-in address 127.0.0.1:8700 until the first result page
// asks for its first picture, which happens only once the first result tab
// is shown. Also reported: the time to the software-information request and
// to the first search request.

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include "ClientProcess.h"
#include "DemoReplies.h"
#include "PortServer.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void BM_ColdStartToFirstResultTab(benchmark::State& state)
{
    if (!PortFree(8700)) {
        state.SkipWithError("127.0.0.1:8700 is in use");
        return;
    }
    const std::string base = "http://127.0.0.1:8700/";
    TPortServer server;
    server.SetHandler("/taobao/III/OK/ok_list.php",
                      [](const TPortRequest&) { return TPortReply{200, demo::SoftInfo(), "text/plain"}; });
    server.SetHandler("/taobao/tb_itemcats.php",
                      [](const TPortRequest&) { return TPortReply{200, demo::RootCategories()}; });
    server.SetHandler("/taobao/tbk_items.php",
                      [base](const TPortRequest&) { return TPortReply{200, demo::Items(base, 1, 40, "857")}; });
    server.SetHandler("/taobao/III/*",
                      [](const TPortRequest& r) { return TPortReply{200, demo::Page(r.path), "text/html"}; });
    server.SetHandler("/pic/*", [](const TPortRequest& r) {
        return TPortReply{200, demo::Picture(r.path), "image/svg+xml"};
    });
    if (!server.Listen(8700)) {
        state.SkipWithError("127.0.0.1:8700 cannot be bound");
        return;
    }
    double softInfo = 0, search = 0;
    for (auto _ : state) {
        const std::size_t before = server.Requests().size();
        TClientProcess client;
        const auto start = Clock::now();
        if (!client.Start(PALLIDO_CLIENT)) {
            state.SkipWithError("cannot start the client");
            return;
        }
        Clock::time_point firstPicture{};
        const auto deadline = start + std::chrono::seconds(60);
        while (firstPicture == Clock::time_point{} && Clock::now() < deadline && client.Running()) {
            const auto seen = server.Requests();
            for (std::size_t i = before; i < seen.size(); ++i) {
                if (seen[i].path.rfind("/pic/", 0) == 0) {
                    firstPicture = seen[i].when;
                    break;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        const auto seen = server.Requests();
        for (std::size_t i = before; i < seen.size(); ++i) {
            if (seen[i].path == "/taobao/III/OK/ok_list.php") {
                softInfo += Seconds(seen[i].when - start);
                break;
            }
        }
        for (std::size_t i = before; i < seen.size(); ++i) {
            if (seen[i].path == "/taobao/tbk_items.php") {
                search += Seconds(seen[i].when - start);
                break;
            }
        }
        client.Stop();
        if (firstPicture == Clock::time_point{}) {
            state.SkipWithError("no result tab within 60 s");
            return;
        }
        state.SetIterationTime(Seconds(firstPicture - start));
    }
    state.counters["to_softinfo_s"] = benchmark::Counter(softInfo, benchmark::Counter::kAvgIterations);
    state.counters["to_search_s"] = benchmark::Counter(search, benchmark::Counter::kAvgIterations);
}

BENCHMARK(BM_ColdStartToFirstResultTab)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
