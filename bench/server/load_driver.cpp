// Drives taobao/tbk_items.php with signed keyword searches over loopback and
// reports throughput and latency percentiles.
//
//   bench_server_load [--threads N] [--seconds S] [--base http://127.0.0.1:PORT/]
//
// Without --base it starts the server in-process on a free port with the
// generated demo catalog. Each thread keeps one connection alive, as a
// browser-less client would, and signs every request the way the client does
// (the service layer's own URL builder).

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Catalog.h"
#include "CatalogSeeder.h"
#include "PublisherServer.h"
#include "Taobaoke_Items.h"
#include "codepage.h"
#include "data.h"

namespace {

using Clock = std::chrono::steady_clock;

const char* const kKeywords[] = {"手机", "连衣裙", "韩版", "包邮", "正品", "笔记本", "T恤", "htc",
                                 "诺基亚", "面膜", "男装", "牛仔裤", "茶叶", "帐篷", "新款 韩版",
                                 "皇冠", "U盘", "蛋糕", "QQ币", "吉他", "特价 包邮", "羽绒服"};

size_t Collect(char* ptr, size_t size, size_t n, void* user)
{
    static_cast<std::string*>(user)->append(ptr, size * n);
    return size * n;
}

struct TStats {
    std::vector<double> latencyMs;
    long errors = 0;
};

void Run(const std::string& base, int seed, Clock::time_point end, TStats& stats)
{
    std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
    std::string body;
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_TCP_NODELAY, 1L);
    TTaobaoke_Items client;
    const std::size_t nKeywords = sizeof kKeywords / sizeof kKeywords[0];
    for (std::size_t i = static_cast<std::size_t>(seed); Clock::now() < end; ++i) {
        client.Names = Tbk_Items_Info{};
        client.Cond = Tbk_Items_Cond{};
        client.Cond.pid = kPid;
        client.Cond.url = base + "taobao/tbk_items.php";
        client.Cond.keyword = Ansi(kKeywords[i % nKeywords]);
        client.Cond.cid = "0";
        client.Cond.sort = SortKeys[i % 5];
        client.Cond.start_price = "0";
        client.Cond.end_price = "999999999";
        client.Cond.start_credit = CreditLevels[0];
        client.Cond.end_credit = CreditLevels[19];
        client.Cond.page_no = std::to_string(1 + i / nKeywords % 3);
        client.ApplyDefaults();
        const std::string url = client.BuildUrl();
        body.clear();
        curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
        const auto start = Clock::now();
        const CURLcode rc = curl_easy_perform(curl.get());
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        long status = 0;
        curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
        if (rc != CURLE_OK || status != 200 || body.find("<total_results>") == std::string::npos)
            ++stats.errors;
        stats.latencyMs.push_back(ms);
    }
}

double Percentile(const std::vector<double>& sorted, double p)
{
    if (sorted.empty())
        return 0;
    const auto k = static_cast<std::size_t>(p / 100.0 * static_cast<double>(sorted.size() - 1));
    return sorted[k];
}

} // namespace

int main(int argc, char** argv)
{
    int threads = 2;
    double seconds = 10;
    std::string base;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--threads"))
            threads = std::max(1, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--seconds"))
            seconds = std::max(0.5, std::atof(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--base"))
            base = argv[i + 1];
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);

    std::unique_ptr<TCatalog> catalog;
    std::unique_ptr<TPublisherServer> server;
    if (base.empty()) {
        catalog = std::make_unique<TCatalog>(TCatalogSeeder().Generate());
        TServerOptions options;
        options.port = 0;
        options.quiet = true;
        server = std::make_unique<TPublisherServer>(*catalog, options);
        std::string error;
        if (!server->Start(error)) {
            std::fprintf(stderr, "bench_server_load: %s\n", error.c_str());
            return 1;
        }
        base = server->BaseUrl();
    }

    std::printf("driving %stbk_items.php: %d threads, %.0f s, keep-alive, keyword searches\n",
                base.c_str(), threads, seconds);
    std::vector<TStats> stats(static_cast<std::size_t>(threads));
    std::vector<std::thread> workers;
    const auto begin = Clock::now();
    const auto end = begin + std::chrono::duration_cast<Clock::duration>(
                                 std::chrono::duration<double>(seconds));
    for (int t = 0; t < threads; ++t)
        workers.emplace_back(Run, base, t * 7, end, std::ref(stats[static_cast<std::size_t>(t)]));
    for (auto& w : workers)
        w.join();
    const double elapsed = std::chrono::duration<double>(Clock::now() - begin).count();

    std::vector<double> all;
    long errors = 0;
    for (const auto& s : stats) {
        all.insert(all.end(), s.latencyMs.begin(), s.latencyMs.end());
        errors += s.errors;
    }
    std::sort(all.begin(), all.end());
    std::printf("requests %zu, errors %ld, %.0f req/s\n", all.size(), errors,
                static_cast<double>(all.size()) / elapsed);
    std::printf("latency ms: p50 %.2f  p90 %.2f  p99 %.2f  max %.2f\n", Percentile(all, 50),
                Percentile(all, 90), Percentile(all, 99), all.empty() ? 0.0 : all.back());
    if (server)
        server->Stop();
    curl_global_cleanup();
    return errors == 0 ? 0 : 1;
}
