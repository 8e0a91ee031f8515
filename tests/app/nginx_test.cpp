// The shipped nginx site (deploy/nginx/pallido.conf) on the client's
// built-in primary address in front of two publisher server replicas on one
// catalog: the built client starts up through it while a stream of signed
// searches and their pictures, a new connection per GET as the client makes
// them, runs through it too; one replica is killed in the middle and
// restarted. The test skips when nginx is not installed.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <thread>

#include <httplib.h>

#include <stdlib.h>

#include "BlackBoxChecks.h"
#include "ClientProcess.h"
#include "NginxFront.h"
#include "Taobaoke_Items.h"
#include "codepage.h"
#include "data.h"

namespace {

using Clock = std::chrono::steady_clock;

// One pallido-server process on 127.0.0.1:port writing its access log to a
// file; restarting it on the same port starts a new log.
class TReplica {
public:
    TReplica(std::string folder, std::string catalog, int port)
        : folder_(std::move(folder)), catalog_(std::move(catalog)), port_(port)
    {
    }

    bool Start()
    {
        log_ = folder_ + "/replica-" + std::to_string(port_) + "-" + std::to_string(++starts_) + ".log";
        if (!process_.Start(Program("PALLIDO_TEST_SERVER", PALLIDO_SERVER),
                            {"--port", std::to_string(port_), "--catalog", catalog_, "--public-url",
                             Base(kPrimary), "--access-log", log_}))
            return false;
        const auto deadline = Clock::now() + std::chrono::seconds(60);
        while (PortFree(port_) && process_.Running() && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return !PortFree(port_);
    }
    void Kill() { process_.Kill(); }
    void Stop() { process_.Stop(); }

    // Requests in the log of the current run.
    std::size_t Answered() const
    {
        std::ifstream in(log_);
        std::size_t lines = 0;
        for (std::string line; std::getline(in, line);)
            ++lines;
        return lines;
    }
    int Port() const { return port_; }

private:
    std::string folder_, catalog_, log_;
    int port_;
    int starts_ = 0;
    TClientProcess process_;
};

// Signed affiliate searches through the front, each checked against the
// same signed address asked of a replica directly, and each page's first
// item and credit pictures; every GET on a new connection.
class TStream {
public:
    TStream(int front, int direct) : front_(Base(front)), direct_(Base(direct)) {}
    ~TStream() { Stop(); }

    void Start() { thread_ = std::thread([this] { Run(); }); }
    void Stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    std::size_t Gets() const { return gets_.load(); }
    // The GETs that failed, in the order they were started, with the time
    // they were started.
    std::vector<std::pair<Clock::time_point, std::string>> Failures() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return failures_;
    }

    // Blocks until `count` GETs went through the front (false after 30 s).
    bool WaitFor(std::size_t count) const
    {
        const auto deadline = Clock::now() + std::chrono::seconds(30);
        while (Gets() < count && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return Gets() >= count;
    }

private:
    void Fail(Clock::time_point started, const std::string& what)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        failures_.emplace_back(started, what);
    }

    // A GET through the front that must answer 200; false, noted as a
    // failure, when it does not.
    bool Get(const std::string& url, std::string& body)
    {
        THttpClient http;
        const auto started = Clock::now();
        const bool ok = http.Get(url, body);
        ++gets_;
        if (!ok)
            Fail(started, url + ": " + http.LastError() + " (status " + std::to_string(http.LastStatus()) + ")");
        return ok;
    }

    void Search(std::size_t i)
    {
        static const char* const keywords[] = {"手机", "连衣裙", "包邮", "韩版", "笔记本"};
        TTaobaoke_Items client;
        client.Cond.pid = kPid;
        client.Cond.url = front_ + "taobao/tbk_items.php";
        client.Cond.keyword = Ansi(keywords[i % 5]);
        client.Cond.cid = "0";
        client.Cond.sort = SortKeys[i % SortKeys.size()];
        client.Cond.page_no = std::to_string(1 + i % 3);
        client.ApplyDefaults();
        const std::string url = client.BuildUrl();
        std::string body;
        if (!Get(url, body))
            return;
        std::string expected;
        THttpClient direct;
        direct.Get(direct_ + url.substr(front_.size()), expected);
        if (body != expected || !client.LoadReply(body) || client.Results[0].num_iid.empty())
            return Fail(Clock::now(), url + ": not the replica's reply: " + body.substr(0, 200));
        for (std::size_t k = 0; k < 3; ++k) {
            const auto& item = client.Results[k];
            if (item.pic_url.rfind(front_, 0) != 0)
                return Fail(Clock::now(), "picture not on the front: " + item.pic_url);
            std::string picture, credit;
            if (Get(item.pic_url, picture) && picture.rfind("\x89PNG\r\n", 0) != 0)
                Fail(Clock::now(), "not a picture: " + item.pic_url);
            if (Get(CreditPictureUrl(item.seller_credit_score), credit) && credit.rfind("<svg", 0) != 0)
                Fail(Clock::now(), "not a picture: " + CreditPictureUrl(item.seller_credit_score));
        }
    }

    void Run()
    {
        for (std::size_t i = 0; !stop_; ++i)
            Search(i);
    }

    const std::string front_, direct_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> gets_{0};
    mutable std::mutex mutex_;
    std::vector<std::pair<Clock::time_point, std::string>> failures_;
};

// What the client itself asked of the front. The stream's searches have a
// keyword (the client's first search has none) and its pictures no user
// agent (the client's browser panes name themselves).
std::vector<TPortRequest> ClientRequests(const TNginxFront& front)
{
    std::vector<TPortRequest> requests;
    for (auto& e : front.Entries()) {
        const auto& r = e.request;
        const bool streamSearch = r.path == "/taobao/tbk_items.php" && r.params.count("keyword") &&
                                  !r.params.at("keyword").empty();
        if (e.userAgent != "-" || (r.path.rfind("/taobao/", 0) == 0 && !streamSearch))
            requests.push_back(std::move(e.request));
    }
    return requests;
}

// Waits at most `limit` for `done`.
template <class F>
bool Within(std::chrono::seconds limit, F done)
{
    const auto deadline = Clock::now() + limit;
    while (!done() && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return done();
}

// A lasting port that is none of the client's built-in ones nor `taken`.
int ReplicaPort(int taken = 0)
{
    for (int i = 0; i < 10; ++i)
        if (const int port = LastingPort(); port != taken && port != kPrimary && port != kFallback)
            return port;
    return 0;
}

} // namespace

TEST(NginxFront, TheShippedSiteMovesToTheTestsPortsOrRefusesAnotherShape)
{
    std::ifstream in(PALLIDO_NGINX_SITE);
    const std::string site{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string local = LocalSite(site, 9100, {9101, 9102}, "/tmp/front");
    ASSERT_FALSE(local.empty()) << "the site must list two replicas and a listen line";
    EXPECT_NE(local.find("listen 127.0.0.1:9100;"), std::string::npos);
    EXPECT_EQ(local.find("listen 80"), std::string::npos);
    EXPECT_EQ(local.find("listen ["), std::string::npos);
    EXPECT_NE(local.find("server 127.0.0.1:9101 max_fails="), std::string::npos) << local;
    EXPECT_NE(local.find("server 127.0.0.1:9102 max_fails="), std::string::npos) << local;
    EXPECT_NE(local.find("server_name"), std::string::npos);
    EXPECT_NE(local.find("proxy_cache_path /tmp/front/cache levels="), std::string::npos) << local;
    EXPECT_TRUE(LocalSite(site, 9100, {9101}, "/tmp/front").empty());
    EXPECT_TRUE(LocalSite(site, 9100, {9101, 9102, 9103}, "/tmp/front").empty());
    EXPECT_TRUE(LocalSite("upstream u { server 127.0.0.1:1; }\n", 9100, {9101}, "/tmp/front").empty())
        << "no listen line";
}

TEST(NginxFront, TheClientStartsUpThroughNginxAndNoRequestFailsWhenAReplicaIsKilled)
{
    if (TNginxFront::Binary().empty())
        GTEST_SKIP() << "nginx is not installed (Debian package nginx-light)";
    if (kPrimary == 0 || !PortFree(kPrimary))
        GTEST_SKIP() << "the built-in primary address is not a free port on 127.0.0.1";
    char folder[] = "/tmp/pallido-nginx-XXXXXX";
    ASSERT_TRUE(::mkdtemp(folder));
    struct TRemove {
        std::string path;
        ~TRemove() { std::filesystem::remove_all(path); }
    } remove{folder};

    const std::string catalog = std::string(folder) + "/catalog.sqlite";
    // The killed replica comes back on its own port.
    const int portA = ReplicaPort();
    ASSERT_NE(portA, 0);
    TReplica a(folder, catalog, portA);
    ASSERT_TRUE(a.Start()); // makes the demo catalog the other one then shares
    TReplica b(folder, catalog, ReplicaPort(portA));
    ASSERT_TRUE(b.Start());
    TNginxFront front;
    std::string error;
    ASSERT_TRUE(front.Start(folder, PALLIDO_NGINX_SITE, kPrimary, {a.Port(), b.Port()}, error)) << error;

    TStream stream(kPrimary, b.Port());
    stream.Start();
    auto client = std::async(std::launch::async, [&front] {
        return RunClientUntil(
            Program("PALLIDO_TEST_CLIENT", PALLIDO_CLIENT), [&front] { return ClientRequests(front); },
            {"/taobao/III/OK/ok_list.php", "/taobao/tb_itemcats.php", "/taobao/tbk_items.php", "/taobao/III/count.html"},
            [](const std::vector<TPortRequest>& seen) {
                return HasSuffix(seen, "/bao/uploaded/", ".jpg") && HasSuffix(seen, "/newrank/", ".gif");
            });
    });

    // Both replicas answer, then one dies in the middle of the stream.
    EXPECT_TRUE(stream.WaitFor(40));
    EXPECT_TRUE(Within(std::chrono::seconds(10), [&] { return a.Answered() > 0 && b.Answered() > 0; }))
        << "nginx must spread requests over both replicas";
    const auto killTime = Clock::now();
    a.Kill();
    const std::size_t killedAt = stream.Gets();
    EXPECT_TRUE(stream.WaitFor(killedAt + 60));
    // Restarted, it is taken back once its failures have timed out.
    ASSERT_TRUE(a.Start());
    const std::size_t restartedAt = stream.Gets();
    EXPECT_TRUE(Within(std::chrono::seconds(20), [&] { return a.Answered() > 0; }))
        << "the restarted replica got no request: " << front.Errors();
    stream.Stop();
    const auto requests = client.get();

    EXPECT_GT(stream.Gets(), restartedAt);
    // The one GET in flight when the replica was killed may be cut short, if
    // the replica had begun its reply: no front can send on a reply it has
    // begun passing on. Every other GET is answered.
    std::vector<std::string> failures;
    int cut = 0;
    for (const auto& [started, what] : stream.Failures()) {
        if (started < killTime && cut++ == 0 && what.find("bytes remaining") != std::string::npos)
            continue;
        failures.push_back(what);
    }
    EXPECT_TRUE(failures.empty()) << failures.size() << " failed, the first: " << failures.front();
    CheckFirstRun(requests, Base(kPrimary), true);
    EXPECT_TRUE(HasSuffix(requests, "/bao/uploaded/", ".jpg")) << "no item picture was asked for";
    EXPECT_TRUE(HasSuffix(requests, "/newrank/", ".gif")) << "no credit picture was asked for";
    // Every request of the client and the stream was answered, some of them
    // by the second replica after the first had failed them.
    bool retried = false;
    for (const auto& e : front.Entries()) {
        EXPECT_EQ(e.status, 200) << e.request.target << " via " << e.upstreams;
        retried = retried || e.upstreams.find(',') != std::string::npos;
    }
    EXPECT_TRUE(retried) << "no request was sent on after the kill";

    // Pictures may be kept for a day; the signed replies never ...
    httplib::Client http("127.0.0.1", kPrimary);
    const auto picture = http.Get("/newrank/b_red_1.gif");
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->status, 200);
    EXPECT_TRUE(picture->has_header("Expires"));
    std::string cacheControl;
    for (std::size_t i = 0; i < picture->get_header_value_count("Cache-Control"); ++i)
        cacheControl += picture->get_header_value("Cache-Control", i) + ";";
    EXPECT_NE(cacheControl.find("max-age=86400"), std::string::npos) << cacheControl;
    EXPECT_NE(cacheControl.find("public"), std::string::npos) << cacheControl;
    // ... and nginx answers them itself once it has them, without asking a
    // replica: the credit pictures and the item pictures that are most of
    // the traffic. The signed replies always go to a replica.
    std::string item;
    for (const auto& r : requests)
        if (item.empty() && r.path.rfind("/bao/uploaded/", 0) == 0)
            item = r.path;
    ASSERT_FALSE(item.empty());
    const std::string softInfo = "/taobao/III/OK/ok_list.php?pid=mm_10000001_0_0";
    for (const std::string& path : {std::string("/newrank/b_red_1.gif"), item, softInfo, softInfo}) {
        const bool cached = path != softInfo;
        const std::size_t before = front.Entries().size();
        const auto first = http.Get(path);
        const auto again = http.Get(path);
        ASSERT_TRUE(first && again) << path;
        EXPECT_EQ(again->status, 200) << path;
        EXPECT_EQ(again->body, first->body) << path;
        EXPECT_EQ(again->get_header_value("X-Cache-Status"), cached ? "HIT" : "") << path;
        if (!cached) {
            EXPECT_FALSE(again->has_header("Expires"));
            EXPECT_EQ(again->get_header_value("Cache-Control"), "no-store");
        }
        std::vector<TFrontEntry> entries;
        Within(std::chrono::seconds(5), [&] { return (entries = front.Entries()).size() >= before + 2; });
        ASSERT_GE(entries.size(), before + 2) << path;
        const std::string& upstream = entries[before + 1].upstreams;
        EXPECT_EQ(upstream == "-", cached) << path << " went to " << upstream;
    }

    front.Stop();
    a.Stop();
    b.Stop();
}
