// Hostile clients against the server program: floods of headers, a huge
// header line and request line, a huge chunked body, compressed bodies,
// connections that send one byte every two seconds, and a GET whose body
// hides a second request. Through every attack the server stays under
// 100 MB, answers a normal request within a second, and gives exactly one
// reply per request.

#include <gtest/gtest.h>

#include <zlib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "RawClient.h"
#include "ServerProcess.h"
#include "TestServer.h"

using namespace std::chrono_literals;

namespace {

constexpr std::size_t kMiB = 1024 * 1024;
const std::string kNormal =
    "GET /taobao/III/OK/ok_list.php?pid=mm_10000001_0_0 HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";

// A normal request, answered (one 200) within a second?
bool Answered(int port)
{
    TClient c(port);
    bool closed = false;
    return c.Connected() && c.Send(kNormal) && Statuses(c.ReceiveAll(1s, closed)) == std::vector<int>{200};
}

// Asks a normal request every 100 ms while it lives, and counts the ones
// that were not answered in time.
class TProber {
public:
    explicit TProber(int port)
        : thread_([this, port] {
              while (!stop_) {
                  ++asked_;
                  if (!Answered(port))
                      ++missed_;
                  std::this_thread::sleep_for(100ms);
              }
          })
    {
    }
    ~TProber() { Stop(); }
    void Stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    int Missed() const { return missed_; }
    int Asked() const { return asked_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<int> asked_{0}, missed_{0};
    std::thread thread_;
};

// Sends `prefix`, then `unit` again and again up to `total` bytes or until
// the server takes no more, while reading what comes back.
std::string Flood(int port, const std::string& prefix, const std::string& unit, std::size_t total)
{
    TClient c(port);
    std::string received;
    std::thread reader([&] {
        bool closed = false;
        received = c.ReceiveAll(10s, closed);
    });
    std::string block;
    while (!unit.empty() && block.size() < 64 * 1024)
        block += unit;
    bool open = c.Send(prefix);
    for (std::size_t sent = prefix.size(); open && !block.empty() && sent < total; sent += block.size())
        open = c.Send(block);
    reader.join();
    return received;
}

// A gzip stream of `size` zero bytes: small on the wire, huge if inflated.
std::string GzipOfZeros(std::size_t size)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 31, 9, Z_DEFAULT_STRATEGY);
    const std::string zeros(kMiB, '\0');
    std::string out;
    char buf[65536];
    for (std::size_t done = 0; done < size; done += zeros.size()) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
        z.avail_in = static_cast<uInt>(zeros.size());
        const int flush = done + zeros.size() >= size ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = reinterpret_cast<Bytef*>(buf);
            z.avail_out = sizeof buf;
            deflate(&z, flush);
            out.append(buf, sizeof buf - z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return out;
}

// Twelve connections at once, each sending a compressed body of about
// 60 KB; every one must get exactly the one status.
std::vector<std::vector<int>> CompressedBodies(int port)
{
    const std::string body = GzipOfZeros(60 * kMiB);
    std::vector<std::vector<int>> statuses(12);
    std::vector<std::thread> senders;
    for (int i = 0; i < 12; ++i) {
        senders.emplace_back([&, i] {
            const std::string method = i % 2 ? "GET" : "POST";
            statuses[i] = Statuses(Flood(port,
                                         method + " /taobao/tbk_items.php HTTP/1.1\r\nContent-Encoding: gzip\r\n"
                                                  "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body,
                                         "", 0));
        });
    }
    for (auto& t : senders)
        t.join();
    return statuses;
}

// 300 connections that send one byte of an endless head every two seconds:
// each must be closed by the head deadline, without a reply.
void SlowConnections(int port, int& closed, int& replied)
{
    std::vector<std::unique_ptr<TClient>> slow;
    for (int i = 0; i < 300; ++i)
        slow.push_back(std::make_unique<TClient>(port));
    const std::string head = "GET / HTTP/1.1\r\nX-Slow: " + std::string(100, 's');
    std::vector<bool> done(slow.size()), answered(slow.size());
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t at = 0; std::chrono::steady_clock::now() - start < 14s; ++at) {
        closed = 0;
        for (std::size_t i = 0; i < slow.size(); ++i) {
            bool r = false;
            if (!done[i] && slow[i]->Closed(r))
                done[i] = true;
            answered[i] = answered[i] || r;
            if (!done[i])
                slow[i]->Send(head.substr(at % head.size(), 1));
            closed += done[i];
        }
        if (closed == static_cast<int>(slow.size()))
            break;
        std::this_thread::sleep_for(2s);
    }
    replied = 0;
    for (bool a : answered)
        replied += a;
}

// The replies of one connection, as the attacks give them.
std::vector<std::vector<int>> One(const std::string& received) { return {Statuses(received)}; }

} // namespace

TEST(Hostile, EveryAttackLeavesTheServerSmallAndAnswering)
{
    const int port = UnusedPort();
    const std::string catalog = TestTempPath(std::to_string(port) + ".sqlite");
    TProcess server({"--port", std::to_string(port), "--catalog", catalog, "--quiet"});
    ASSERT_TRUE(Answers(port, 60s)) << server.Err();

    struct TAttack {
        const char* name;
        std::function<std::vector<std::vector<int>>()> run;
        std::vector<std::vector<int>> replies; // per connection
    };
    const std::string get = "GET / HTTP/1.1\r\nHost: x\r\n";
    const std::string hidden = "GET /taobao/III/count.html HTTP/1.1\r\nHost: x\r\n\r\n";
    const std::vector<TAttack> attacks = {
        {"64 MiB of small headers",
         [&] { return One(Flood(port, get, "X-a: b\r\n", 64 * kMiB)); }, {{431}}},
        {"a header line of 64 MiB",
         [&] { return One(Flood(port, get + "X-Long: ", "x", 64 * kMiB)); }, {{431}}},
        {"a request line of 64 MiB",
         [&] { return One(Flood(port, "GET /", "a", 64 * kMiB)); }, {{414}}},
        {"a chunked POST of 64 MiB",
         [&] {
             return One(Flood(port, "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n",
                                               "1000\r\n" + std::string(4096, 'c') + "\r\n", 64 * kMiB));
         },
         {{405}}},
        {"twelve compressed bodies", [&] { return CompressedBodies(port); },
         {{405}, {400}, {405}, {400}, {405}, {400}, {405}, {400}, {405}, {400}, {405}, {400}}},
        {"a GET whose body hides a request",
         [&] {
             return One(
                 Flood(port, get + "Content-Length: " + std::to_string(hidden.size()) + "\r\n\r\n" + hidden, "", 0));
         },
         {{400}}},
    };
    for (const auto& attack : attacks) {
        TProber prober(port);
        const auto replies = attack.run();
        prober.Stop();
        EXPECT_EQ(replies, attack.replies) << attack.name;
        EXPECT_EQ(prober.Missed(), 0) << attack.name << ": normal requests not answered within 1 s, of "
                                      << prober.Asked();
        EXPECT_TRUE(Answered(port)) << "after " << attack.name;
        EXPECT_TRUE(server.Running()) << attack.name;
    }

    {
        TProber prober(port);
        int closed = 0, replied = 0;
        SlowConnections(port, closed, replied);
        prober.Stop();
        EXPECT_EQ(closed, 300) << "slow connections closed by the head deadline";
        EXPECT_EQ(replied, 0);
        EXPECT_EQ(prober.Missed(), 0) << "during the slow connections, of " << prober.Asked();
        EXPECT_TRUE(Answered(port)) << "after the slow connections";
    }

    const long peak = server.PeakKiB();
    std::printf("[ measure  ] peak memory through every attack: %ld KiB\n", peak);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__) // a sanitizer's own memory comes on top
    EXPECT_GT(peak, 0);
    EXPECT_LT(peak, 100 * 1024) << "peak memory of the server in KiB";
#endif
    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(20s), 0);
    std::remove(catalog.c_str());
}
