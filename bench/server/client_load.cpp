// Load shaped like real clients: simulated users, each opening a new
// connection for every GET, as the client's transport does. A user's loop:
// a signed affiliate search (a random word of the catalog's titles that
// fills five pages, a random page 1-5 and sort), then the page's 40 item pictures and its distinct
// credit pictures, one after the other; every fourth page or so also a
// seller's page (the seller-items query) and the conversion of its items.
// A result page's latency runs from its search to its last picture.
//
//   bench_server_client_load --catalog FILE [--base http://127.0.0.1:PORT/]
//       [--users 8,32,128] [--seconds S] [--label TEXT] [--cpu-of PID,...] [--front-cpu-of PID,...]
//       [--transport plain|curl]
//
// --catalog is the catalog the server answers from (its titles give the
// keywords). Only addresses on 127.0.0.1 or localhost are driven. Each user
// count runs for S seconds (default 10) after one second of warm-up; one
// line per count: result pages/s, page latency p50/p99, GETs/s, errors, and
// the CPU time a result page cost the processes of --cpu-of (the server
// replicas), of --front-cpu-of (nginx) and the driver itself, over the same
// seconds. The GETs go out through plain sockets (TPlainGet, the default)
// or through libcurl as the client's own transport does (--transport
// curl): the same requests on the wire, but curl's per-request work costs
// the driver about twice the CPU (some 6 ms against 3 ms a result page
// here), which the servers then lack, since they share the machine.

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#include "CatalogStore.h"
#include "PlainGet.h"
#include "Taobao_Items.h"
#include "Taobaoke_Items.h"
#include "Taobaoke_Items_Convert.h"
#include "codepage.h"
#include "data.h"

namespace {

using Clock = std::chrono::steady_clock;

size_t Collect(char* ptr, size_t size, size_t n, void* user)
{
    static_cast<std::string*>(user)->append(ptr, size * n);
    return size * n;
}

// The whitespace-separated words of the titles that fill five result pages
// (in at least 200 titles), or the 50 most frequent ones when none does: a
// user pages only through results there are.
std::vector<std::string> TitleWords(const std::string& catalog)
{
    std::map<std::string, int> titles;
    for (const auto& item : TCatalogStore::Load(catalog, TCatalogStore::TMissing::Fail).items) {
        std::istringstream in(item.title);
        std::set<std::string> own;
        for (std::string w; in >> w;)
            own.insert(w);
        for (const auto& w : own)
            ++titles[w];
    }
    std::vector<std::pair<int, std::string>> ranked;
    for (const auto& [word, n] : titles)
        ranked.emplace_back(-n, word);
    std::sort(ranked.begin(), ranked.end());
    std::vector<std::string> words;
    for (const auto& [n, word] : ranked)
        if (-n >= 200)
            words.push_back(word);
    for (std::size_t i = 0; words.empty() && i < ranked.size() && i < 50; ++i)
        words.push_back(ranked[i].second);
    return words;
}

// The texts of every <tag> element of a reply, entities left as they are
// (addresses, numbers and nicks of the demo catalog have none).
std::vector<std::string> Texts(const std::string& xml, const std::string& tag)
{
    const std::string open = "<" + tag + ">", close = "</" + tag + ">";
    std::vector<std::string> out;
    for (auto at = xml.find(open); at != std::string::npos; at = xml.find(open, at)) {
        at += open.size();
        const auto end = xml.find(close, at);
        if (end == std::string::npos)
            break;
        out.push_back(xml.substr(at, end - at));
    }
    return out;
}

struct TStats {
    std::vector<double> pageMs;
    long gets = 0;
    long errors = 0;
};

class TUser {
public:
    TUser(const std::string& base, const std::vector<std::string>& words, unsigned seed, bool useCurl)
        : base_(base), words_(words), rng_(seed), useCurl_(useCurl), curl_(curl_easy_init(), curl_easy_cleanup)
    {
        curl_easy_setopt(curl_.get(), CURLOPT_WRITEFUNCTION, Collect);
        curl_easy_setopt(curl_.get(), CURLOPT_WRITEDATA, &body_);
        curl_easy_setopt(curl_.get(), CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl_.get(), CURLOPT_FORBID_REUSE, 1L); // a new connection per GET
        curl_easy_setopt(curl_.get(), CURLOPT_CONNECTTIMEOUT_MS, 10000L);
        curl_easy_setopt(curl_.get(), CURLOPT_TIMEOUT_MS, 15000L);
    }

    void Run(Clock::time_point measureFrom, Clock::time_point end, TStats& stats)
    {
        while (Clock::now() < end) {
            const auto start = Clock::now();
            TStats page;
            const std::string reply = ResultPage(page);
            const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            if (start >= measureFrom && Clock::now() < end) {
                stats.pageMs.push_back(ms);
                stats.gets += page.gets;
                stats.errors += page.errors;
            }
            if (rng_() % 4 == 0 && Clock::now() < end) {
                TStats other;
                SellerPage(reply, other);
                if (start >= measureFrom) {
                    stats.gets += other.gets;
                    stats.errors += other.errors;
                }
            }
        }
    }

private:
    // GET of `url` on a new connection; an error unless it answers 200 and
    // the body holds `marker`.
    const std::string& Get(const std::string& url, const char* marker, TStats& stats)
    {
        ++stats.gets;
        if (!useCurl_) {
            TPlainGet::TReply reply = plain_.Get(url);
            body_ = std::move(reply.body);
            if (!reply.ok || reply.status != 200 || body_.find(marker) == std::string::npos)
                ++stats.errors;
            return body_;
        }
        body_.clear();
        curl_easy_setopt(curl_.get(), CURLOPT_URL, url.c_str());
        const CURLcode rc = curl_easy_perform(curl_.get());
        long status = 0;
        curl_easy_getinfo(curl_.get(), CURLINFO_RESPONSE_CODE, &status);
        if (rc != CURLE_OK || status != 200 || body_.find(marker) == std::string::npos)
            ++stats.errors;
        return body_;
    }

    std::string ResultPage(TStats& stats)
    {
        TTaobaoke_Items search;
        search.Cond.pid = kPid;
        search.Cond.url = base_ + "taobao/tbk_items.php";
        search.Cond.keyword = Ansi(words_[rng_() % words_.size()]);
        search.Cond.cid = "0";
        search.Cond.sort = SortKeys[rng_() % SortKeys.size()];
        search.Cond.start_price = "0";
        search.Cond.end_price = "999999999";
        search.Cond.start_credit = CreditLevels[0];
        search.Cond.end_credit = CreditLevels[19];
        search.Cond.page_no = std::to_string(1 + rng_() % 5);
        search.ApplyDefaults();
        const std::string reply = Get(search.BuildUrl(), "<total_results>", stats);
        // The big-picture view: every item picture (any format: older
        // servers drew SVG, so that runs compare), then each credit picture
        // once (the browser asks for a repeated address once).
        for (const auto& pic : Texts(reply, "pic_url"))
            Get(pic + "_160x160.jpg", "", stats);
        std::set<int> credits;
        for (const auto& score : Texts(reply, "seller_credit_score"))
            credits.insert(std::atoi(score.c_str()));
        for (const int n : credits)
            if (n >= 1 && n <= 20)
                Get(base_ + "newrank/" + RankImages[static_cast<std::size_t>(n - 1)], "<svg", stats);
        return reply;
    }

    void SellerPage(const std::string& reply, TStats& stats)
    {
        const auto nicks = Texts(reply, "nick");
        if (nicks.empty())
            return;
        TTaobao_Items seller;
        seller.Cond.pid = kPid;
        seller.Cond.url = base_ + "taobao/tb_items.php";
        seller.Cond.nicks = Ansi(nicks[rng_() % nicks.size()]);
        seller.Cond.page_no = "1";
        seller.Cond.order_by = "volume";
        seller.Names.desc = "no";
        seller.ApplyDefaults();
        const std::string items = Get(seller.BuildUrl(), "<total_results>", stats);
        std::string ids;
        for (const auto& id : Texts(items, "num_iid"))
            ids += id + ",";
        if (ids.empty())
            return;
        TTaobaoke_Items_Convert convert;
        convert.Cond.pid = kPid;
        convert.Cond.url = base_ + "taobao/tbk_items_convert.php";
        convert.Cond.num_iids = ids;
        convert.ApplyDefaults();
        Get(convert.BuildUrl(), "<click_url>", stats);
    }

    const std::string& base_;
    const std::vector<std::string>& words_;
    std::mt19937 rng_;
    bool useCurl_;
    TPlainGet plain_{15000};
    std::unique_ptr<CURL, void (*)(CURL*)> curl_;
    std::string body_;
};

double Percentile(const std::vector<double>& sorted, double p)
{
    if (sorted.empty())
        return 0;
    return sorted[static_cast<std::size_t>(p / 100.0 * static_cast<double>(sorted.size() - 1))];
}

// CPU seconds used so far by the processes `pids` (user and system).
double CpuSeconds(const std::vector<int>& pids)
{
    double ticks = 0;
    for (const int pid : pids) {
        std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
        std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // Fields after the command name, which is in parentheses.
        std::istringstream fields(stat.substr(std::min(stat.size(), stat.rfind(')') + 2)));
        std::string f;
        for (int i = 3; i <= 15 && fields >> f; ++i)
            if (i == 14 || i == 15)
                ticks += std::atof(f.c_str());
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::vector<int> Pids(const std::string& text)
{
    std::vector<int> pids;
    std::istringstream list(text);
    for (std::string pid; std::getline(list, pid, ',');)
        pids.push_back(std::atoi(pid.c_str()));
    return pids;
}

double OwnCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void RunLevel(const std::string& label, const std::string& base, const std::vector<std::string>& words,
              int users, double seconds, const std::vector<int>& servers, const std::vector<int>& front,
              bool useCurl)
{
    std::vector<TStats> stats(static_cast<std::size_t>(users));
    std::vector<std::thread> threads;
    const auto measureFrom = Clock::now() + std::chrono::seconds(1);
    const auto end = measureFrom + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    for (int u = 0; u < users; ++u)
        threads.emplace_back([&, u] {
            TUser(base, words, 7919u * static_cast<unsigned>(u + 1), useCurl).Run(measureFrom, end, stats[static_cast<std::size_t>(u)]);
        });
    std::this_thread::sleep_until(measureFrom);
    const double server0 = CpuSeconds(servers), front0 = CpuSeconds(front), own0 = OwnCpuSeconds();
    std::this_thread::sleep_until(end);
    const double serverCpu = CpuSeconds(servers) - server0, frontCpu = CpuSeconds(front) - front0,
                 ownCpu = OwnCpuSeconds() - own0;
    for (auto& t : threads)
        t.join();
    std::vector<double> all;
    long gets = 0, errors = 0;
    for (const auto& s : stats) {
        all.insert(all.end(), s.pageMs.begin(), s.pageMs.end());
        gets += s.gets;
        errors += s.errors;
    }
    std::sort(all.begin(), all.end());
    const double pages = std::max<double>(1, static_cast<double>(all.size()));
    std::printf("%-16s %4d users %6.1f pages/s  p50 %6.1f ms  p99 %6.1f ms  %5.0f GETs/s (%.1f a page)  "
                "CPU a page: servers %.2f ms, front %.2f ms, driver %.2f ms  errors %ld\n",
                label.c_str(), users, static_cast<double>(all.size()) / seconds, Percentile(all, 50),
                Percentile(all, 99), static_cast<double>(gets) / seconds, static_cast<double>(gets) / pages,
                serverCpu * 1000 / pages, frontCpu * 1000 / pages, ownCpu * 1000 / pages, errors);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    std::string base = "http://127.0.0.1:8700/", catalog, label = "server", userList = "8,32,128";
    double seconds = 10;
    bool useCurl = false;
    std::vector<int> servers, front; // processes whose CPU time is counted per page
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--base"))
            base = argv[i + 1];
        else if (!std::strcmp(argv[i], "--catalog"))
            catalog = argv[i + 1];
        else if (!std::strcmp(argv[i], "--users"))
            userList = argv[i + 1];
        else if (!std::strcmp(argv[i], "--seconds"))
            seconds = std::clamp(std::atof(argv[i + 1]), 1.0, 300.0);
        else if (!std::strcmp(argv[i], "--label"))
            label = argv[i + 1];
        else if (!std::strcmp(argv[i], "--cpu-of"))
            servers = Pids(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--front-cpu-of"))
            front = Pids(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--transport"))
            useCurl = !std::strcmp(argv[i + 1], "curl");
    }
    if (!base.empty() && base.back() != '/')
        base += '/';
    if (catalog.empty() || !TPlainGet::Loopback(base)) {
        std::fprintf(stderr, "usage: %s --catalog FILE [--base http://127.0.0.1:PORT/] [--users 8,32,128] "
                             "[--seconds S] [--label TEXT] [--transport plain|curl] (only 127.0.0.1 or localhost)\n", argv[0]);
        return 2;
    }
    std::vector<std::string> words;
    try {
        words = TitleWords(catalog);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
    if (words.empty()) {
        std::fprintf(stderr, "%s: the catalog has no titles\n", argv[0]);
        return 1;
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    std::istringstream counts(userList);
    for (std::string n; std::getline(counts, n, ',');)
        RunLevel(label, base, words, std::clamp(std::atoi(n.c_str()), 1, 512), seconds, servers, front, useCurl);
    curl_global_cleanup();
    return 0;
}
