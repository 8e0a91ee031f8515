// The server at marketplace size: catalogs of 100,000, 1,000,000 and
// 10,000,000 items (ScaleCatalog), each imported by every server binary
// named, then started and searched one request at a time.
//
//   bench_server_catalog_scale [--server LABEL=PATH[:MAXITEMS]]... [--sizes N,N,...]
//                              [--dir FOLDER] [--per-kind N] [--reloads N]
//
// For each size and server: import time and peak memory, start to
// listening, resident memory after the searches, median and p99 of each
// search kind, the time of a SIGHUP reload, the peak during reloads, memory
// after them and the p99 of searches made meanwhile. A server is skipped for
// sizes above its MAXITEMS (for a build that cannot hold them). Without
// --server it measures the pallido-server of this build. Everything talks
// to 127.0.0.1 only.

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "ScaleCatalog.h"
#include "Taobaoke_Items.h"
#include "codepage.h"
#include "data.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

struct TServer {
    std::string label;
    std::string path;
    std::uint64_t maxItems = UINT64_MAX;
};

// A kind of search and how its i-th request is made.
struct TKind {
    const char* name;
    std::function<void(Tbk_Items_Cond&, std::size_t)> fill;
};

std::vector<TKind> Kinds()
{
    auto keyword = [](const std::string& utf8, const char* sort = nullptr) {
        return [utf8, sort](Tbk_Items_Cond& c, std::size_t i) {
            c.keyword = Ansi(utf8);
            c.sort = sort ? sort : SortKeys[i % SortKeys.size()];
            c.page_no = std::to_string(1 + i % 3);
        };
    };
    return {
        {"hot word", keyword(TScaleCatalog::kHotWord)},
        {"two hot words", keyword(std::string(TScaleCatalog::kHotWord) + " " + TScaleCatalog::kSecondHotWord)},
        {"word in half the titles, price ascending", keyword(TScaleCatalog::kHalfWord, "price_asc")},
        {"one character", keyword(TScaleCatalog::kOneCharacter)},
        {"rare word", keyword(TScaleCatalog::kRareWord)},
        {"category with price range",
         [](Tbk_Items_Cond& c, std::size_t i) {
             c.cid = std::to_string((1 + static_cast<int>(i % 5)) * 100 + 1);
             c.start_price = "100";
             c.end_price = "500";
             c.sort = SortKeys[i % SortKeys.size()];
         }},
        {"whole catalog, page 100",
         [](Tbk_Items_Cond& c, std::size_t i) {
             c.page_no = "100";
             c.sort = SortKeys[i % SortKeys.size()];
         }},
        {"area with guarantee",
         [](Tbk_Items_Cond& c, std::size_t i) {
             c.area = Areas[1];
             c.guarantee = "true";
             c.sort = SortKeys[i % SortKeys.size()];
         }},
        {"credit range",
         [](Tbk_Items_Cond& c, std::size_t i) {
             c.start_credit = CreditLevels[5];
             c.end_credit = CreditLevels[9];
             c.sort = SortKeys[i % SortKeys.size()];
         }},
    };
}

size_t Collect(char* ptr, size_t size, size_t n, void* user)
{
    static_cast<std::string*>(user)->append(ptr, size * n);
    return size * n;
}

// One keep-alive connection to the server, signing every request as the
// client does.
class TSearcher {
public:
    explicit TSearcher(std::string base) : base_(std::move(base)), curl_(curl_easy_init(), curl_easy_cleanup)
    {
        curl_easy_setopt(curl_.get(), CURLOPT_WRITEFUNCTION, Collect);
        curl_easy_setopt(curl_.get(), CURLOPT_WRITEDATA, &body_);
        curl_easy_setopt(curl_.get(), CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl_.get(), CURLOPT_TCP_NODELAY, 1L);
        curl_easy_setopt(curl_.get(), CURLOPT_TIMEOUT_MS, 60000L);
    }
    // The time of one search in ms; negative when it failed.
    double Search(const TKind& kind, std::size_t i, std::string* total = nullptr)
    {
        TTaobaoke_Items client;
        client.Cond.pid = kPid;
        client.Cond.url = base_ + "taobao/tbk_items.php";
        client.Cond.cid = "0";
        client.Cond.start_price = "0";
        client.Cond.end_price = "999999999";
        client.Cond.start_credit = CreditLevels[0];
        client.Cond.end_credit = CreditLevels[19];
        client.Cond.page_no = "1";
        client.Cond.sort = SortKeys[0];
        kind.fill(client.Cond, i);
        client.ApplyDefaults();
        const std::string url = client.BuildUrl();
        body_.clear();
        curl_easy_setopt(curl_.get(), CURLOPT_URL, url.c_str());
        const auto start = Clock::now();
        const CURLcode rc = curl_easy_perform(curl_.get());
        const double ms = MsSince(start);
        long status = 0;
        curl_easy_getinfo(curl_.get(), CURLINFO_RESPONSE_CODE, &status);
        const auto at = body_.find("<total_results>");
        if (rc != CURLE_OK || status != 200 || at == std::string::npos)
            return -1;
        if (total)
            *total = body_.substr(at + 15, body_.find('<', at + 15) - at - 15);
        return ms;
    }

private:
    std::string base_;
    std::unique_ptr<CURL, void (*)(CURL*)> curl_;
    std::string body_;
};

double Percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p / 100.0 * static_cast<double>(v.size() - 1) + 0.5)];
}

// A /proc/PID/status field in MB.
double StatusMb(pid_t pid, const char* field)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0)
            return std::atof(line.c_str() + std::strlen(field) + 1) / 1024.0;
    return 0;
}

int FreePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

bool Listening(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

// Starts `args`; its stderr goes to `errFd` when that is not -1.
pid_t Spawn(const std::vector<std::string>& args, int errFd)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(errFd >= 0 ? errFd : null, 2);
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

// The import: wall time in s and peak memory in MB; false when it failed.
bool Import(const TServer& server, const std::string& dir, const std::string& catalog, double& seconds, double& peakMb)
{
    ::unlink(catalog.c_str());
    const auto start = Clock::now();
    const pid_t pid = Spawn({server.path, "import", "--catalog", catalog, "--categories", dir + "/categories.csv",
                             "--sellers", dir + "/sellers.csv", "--items", dir + "/items.csv"},
                            2);
    int status = 0;
    rusage usage{};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid)
        return false;
    seconds = MsSince(start) / 1000;
    peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A running server whose stderr lines are counted for its reload reports.
class TRunning {
public:
    TRunning(const TServer& server, const std::string& catalog) : port_(FreePort())
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        started_ = Clock::now();
        pid_ = Spawn({server.path, "--catalog", catalog, "--no-demo", "--port", std::to_string(port_),
                      "--access-log", "/dev/null"},
                     fds[1]);
        ::close(fds[1]);
        reader_ = std::thread([this, fd = fds[0]] {
            std::string line;
            char c;
            while (::read(fd, &c, 1) == 1) {
                if (c != '\n') {
                    line += c;
                    continue;
                }
                if (line.find("reloaded catalog") != std::string::npos)
                    ++reloads_;
                else if (line.find("reload failed") != std::string::npos)
                    std::fprintf(stderr, "%s\n", line.c_str());
                line.clear();
            }
            ::close(fd);
        });
    }
    ~TRunning()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        if (reader_.joinable())
            reader_.join();
    }
    // ms from the start until it listens; negative after 10 minutes or an exit.
    double WaitListening()
    {
        while (!Listening(port_)) {
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                return -1;
            }
            if (MsSince(started_) > 600000)
                return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return MsSince(started_);
    }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
    pid_t Pid() const { return pid_; }
    int Reloads() const { return reloads_.load(); }

private:
    int port_;
    pid_t pid_ = -1;
    Clock::time_point started_;
    std::thread reader_;
    std::atomic<int> reloads_{0};
};

void Measure(const TServer& server, const std::string& dir, std::uint64_t items, std::size_t perKind, int reloads)
{
    std::printf("\n## %s, %llu items\n", server.label.c_str(), static_cast<unsigned long long>(items));
    const std::string catalog = dir + "/" + server.label + ".sqlite";
    double importS = 0, importMb = 0;
    if (!Import(server, dir, catalog, importS, importMb)) {
        std::printf("import failed\n");
        return;
    }
    std::printf("import: %.1f s, peak %.0f MB\n", importS, importMb);
    std::fflush(stdout);

    TRunning running(server, catalog);
    const double startMs = running.WaitListening();
    if (startMs < 0) {
        std::printf("the server did not start\n");
        return;
    }
    std::printf("start to listening: %.0f ms, resident %.0f MB\n", startMs, StatusMb(running.Pid(), "VmRSS:"));

    TSearcher searcher(running.Base());
    const auto kinds = Kinds();
    std::printf("| search kind | total_results | median ms | p99 ms |\n|---|---|---|---|\n");
    long errors = 0;
    for (const TKind& kind : kinds) {
        std::vector<double> times;
        std::string total;
        for (std::size_t i = 0; i < perKind; ++i) {
            const double ms = searcher.Search(kind, i, i == 0 ? &total : nullptr);
            if (ms < 0)
                ++errors;
            else
                times.push_back(ms);
        }
        std::printf("| %s | %s | %.2f | %.2f |\n", kind.name, total.c_str(), Percentile(times, 50),
                    Percentile(times, 99));
        std::fflush(stdout);
    }
    const double steadyMb = StatusMb(running.Pid(), "VmRSS:");
    std::printf("resident after %zu searches: %.0f MB (peak so far %.0f MB), %ld failed\n", perKind * kinds.size(),
                steadyMb, StatusMb(running.Pid(), "VmHWM:"), errors);

    // Reloads, with searches going on and memory sampled meanwhile.
    std::atomic<bool> stop{false};
    std::vector<double> during;
    double peakMb = 0;
    std::thread load([&] {
        TSearcher s(running.Base());
        for (std::size_t i = 0; !stop.load(); ++i) {
            const double ms = s.Search(kinds[i % kinds.size()], i);
            if (ms >= 0)
                during.push_back(ms);
        }
    });
    std::vector<double> reloadMs;
    for (int n = 0; n < reloads; ++n) {
        const int before = running.Reloads();
        const auto start = Clock::now();
        ::kill(running.Pid(), SIGHUP);
        while (running.Reloads() == before && MsSince(start) < 600000) {
            peakMb = std::max(peakMb, StatusMb(running.Pid(), "VmRSS:"));
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        reloadMs.push_back(MsSince(start));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    stop.store(true);
    load.join();
    if (reloads > 0)
        std::printf("reload: median %.0f ms; peak during reloads %.0f MB (%.2f x steady); resident after %d "
                    "reloads %.0f MB; searches meanwhile: %zu, p99 %.2f ms\n",
                    Percentile(reloadMs, 50), peakMb, peakMb / steadyMb, reloads,
                    StatusMb(running.Pid(), "VmRSS:"), during.size(), Percentile(during, 99));
    std::fflush(stdout);
    ::unlink(catalog.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<TServer> servers;
    std::vector<std::uint64_t> sizes = {100000, 1000000, 10000000};
    std::string dir = "/tmp/pallido-catalog-scale";
    std::size_t perKind = 112;
    int reloads = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i], value = argv[i + 1];
        if (key == "--server") {
            TServer s;
            const auto eq = value.find('=');
            s.label = value.substr(0, eq);
            s.path = eq == std::string::npos ? value : value.substr(eq + 1);
            if (const auto colon = s.path.rfind(':'); colon != std::string::npos) {
                s.maxItems = std::stoull(s.path.substr(colon + 1));
                s.path.resize(colon);
            }
            servers.push_back(s);
        } else if (key == "--sizes") {
            sizes.clear();
            std::stringstream list(value);
            for (std::string n; std::getline(list, n, ',');)
                sizes.push_back(std::stoull(n));
        } else if (key == "--dir") {
            dir = value;
        } else if (key == "--per-kind") {
            perKind = std::max<std::size_t>(1, std::stoul(value));
        } else if (key == "--reloads") {
            reloads = std::max(0, std::stoi(value));
        }
    }
    if (servers.empty())
        servers.push_back({"this build", PALLIDO_SERVER_PROGRAM});
    curl_global_init(CURL_GLOBAL_DEFAULT);
    ::mkdir(dir.c_str(), 0700);
    for (const std::uint64_t items : sizes) {
        const std::string folder = dir + "/" + std::to_string(items);
        ::mkdir(folder.c_str(), 0700);
        struct stat st {};
        if (::stat((folder + "/items.csv").c_str(), &st) != 0) {
            const auto start = Clock::now();
            std::string error;
            if (!TScaleCatalog(items).Write(folder, error)) {
                std::fprintf(stderr, "bench_server_catalog_scale: %s\n", error.c_str());
                return 1;
            }
            ::stat((folder + "/items.csv").c_str(), &st);
            std::printf("\n# %llu items: generated in %.1f s (items.csv %.0f MB)\n",
                        static_cast<unsigned long long>(items), MsSince(start) / 1000,
                        static_cast<double>(st.st_size) / 1e6);
        } else {
            std::printf("\n# %llu items (items.csv %.0f MB, kept from an earlier run)\n",
                        static_cast<unsigned long long>(items), static_cast<double>(st.st_size) / 1e6);
        }
        for (const TServer& server : servers) {
            if (items > server.maxItems)
                std::printf("\n## %s: skipped above %llu items\n", server.label.c_str(),
                            static_cast<unsigned long long>(server.maxItems));
            else
                Measure(server, folder, items, perKind, reloads);
        }
    }
    curl_global_cleanup();
    return 0;
}
