// Cold start of the built client to its first result tab, as a process
// timing: from starting build/pallido (offscreen) with a server on its
// built-in address 127.0.0.1:8700 until the first result page asks for its
// first picture, which happens only once the first result tab is shown.
// Two servers: canned replies in-process, and the publisher server with its
// demo catalog. Also reported: the time to the software-information request
// and to the first search request.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <unistd.h>

#include "ClientProcess.h"
#include "DemoReplies.h"
#include "PortServer.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// A picture of the result page: the page asks for it only once the first
// result tab is shown.
bool IsResultPicture(const std::string& path)
{
    return path.rfind("/pic/", 0) == 0 || path.rfind("/bao/uploaded/", 0) == 0;
}

Clock::time_point FirstTime(const std::vector<TPortRequest>& seen, std::size_t from, const std::string& path,
                            Clock::time_point otherwise)
{
    for (std::size_t i = from; i < seen.size(); ++i)
        if (seen[i].path == path)
            return seen[i].when;
    return otherwise;
}

// The client started: the one built with this benchmark, or the program
// PALLIDO_BENCH_CLIENT names (another build, for a comparison in the same run).
std::string ClientProgram()
{
    const char* other = std::getenv("PALLIDO_BENCH_CLIENT");
    return other && *other ? other : PALLIDO_CLIENT;
}

// The client's built-in primary server port.
const int kPort = LoopbackPort(PALLIDO_PRIMARY_URL);

// Starts the client `state.iterations()` times against `server` (listening
// on the built-in primary port) and times each run until its first result
// picture.
void MeasureColdStarts(benchmark::State& state, TPortServer& server)
{
    double softInfo = 0, search = 0;
    for (auto _ : state) {
        const std::size_t before = server.Requests().size();
        TClientProcess client;
        const auto start = Clock::now();
        if (!client.Start(ClientProgram())) {
            state.SkipWithError("cannot start the client");
            return;
        }
        Clock::time_point firstPicture{};
        const auto deadline = start + std::chrono::seconds(60);
        while (firstPicture == Clock::time_point{} && Clock::now() < deadline && client.Running()) {
            const auto seen = server.Requests();
            for (std::size_t i = before; i < seen.size(); ++i) {
                if (IsResultPicture(seen[i].path)) {
                    firstPicture = seen[i].when;
                    break;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        const auto seen = server.Requests();
        softInfo += Seconds(FirstTime(seen, before, "/taobao/III/OK/ok_list.php", start) - start);
        search += Seconds(FirstTime(seen, before, "/taobao/tbk_items.php", start) - start);
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

// Against canned replies served in-process.
void BM_ColdStartToFirstResultTab(benchmark::State& state)
{
    if (kPort == 0 || !PortFree(kPort)) {
        state.SkipWithError("the primary port is not on 127.0.0.1 or is in use");
        return;
    }
    const std::string base = PALLIDO_PRIMARY_URL;
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
    if (!server.Listen(kPort)) {
        state.SkipWithError("the primary port cannot be bound");
        return;
    }
    MeasureColdStarts(state, server);
}

#ifdef PALLIDO_SERVER
// Against the publisher server with its demo catalog, reached through a
// recording forwarder on the client's built-in primary address.
void BM_ColdStartWithPublisherServer(benchmark::State& state)
{
    if (kPort == 0 || !PortFree(kPort)) {
        state.SkipWithError("the primary port is not on 127.0.0.1 or is in use");
        return;
    }
    const int upstream = kPort + 90;
    if (!PortFree(upstream)) {
        state.SkipWithError("the publisher server's port is in use");
        return;
    }
    char folder[] = "/tmp/pallido-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string catalog = std::string(folder) + "/catalog.sqlite";
    TClientProcess publisher;
    publisher.Start(PALLIDO_SERVER, {"--port", std::to_string(upstream), "--catalog", catalog, "--quiet"});
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (PortFree(upstream) && Clock::now() < deadline && publisher.Running())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    TPortServer forwarder;
    forwarder.SetHandler("/*", Forwarder(upstream, kPort));
    if (PortFree(upstream) || !forwarder.Listen(kPort)) {
        state.SkipWithError("the publisher server did not come up");
    } else {
        MeasureColdStarts(state, forwarder);
    }
    forwarder.Stop();
    publisher.Stop();
    std::remove(catalog.c_str());
    ::rmdir(folder);
}
BENCHMARK(BM_ColdStartWithPublisherServer)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
#endif

BENCHMARK(BM_ColdStartToFirstResultTab)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
