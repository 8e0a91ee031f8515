// The HTTP layer's limits: request line, head size and line count, bodies on
// GET and HEAD, other methods, pipelining, the head deadline and idle time,
// and the connection counts.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "ConnectionCounter.h"
#include "RawClient.h"
#include "HttpServer.h"
#include "ServerFixture.h"

using namespace std::chrono_literals;

namespace {

std::string Headers(int count, std::size_t length)
{
    std::string out;
    for (int i = 0; i < count; ++i)
        out += "X-" + std::to_string(i) + ": " + std::string(length, 'v') + "\r\n";
    return out;
}

const std::string kSmuggled = "GET /taobao/III/count.html HTTP/1.1\r\nHost: x\r\n\r\n";

} // namespace

TEST(HttpLimits, EachRequestGetsOneReplyAndRefusedOnesClose)
{
    const int port = SharedServer().Port();
    const std::string get = "GET / HTTP/1.1\r\nHost: x\r\n";
    const std::string last = get + "Connection: close\r\n\r\n";
    struct TCase {
        std::string name, bytes;
        std::vector<int> statuses;
    };
    const std::vector<TCase> cases = {
        {"request line of 8 KiB", "GET /" + std::string(8170, 'a') + " HTTP/1.1\r\nConnection: close\r\n\r\n",
         {404}},
        {"request line over 8 KiB", "GET /" + std::string(8200, 'a') + " HTTP/1.1\r\n\r\n" + last, {414}},
        {"request line of 1 MiB", "GET /" + std::string(1 << 20, 'a'), {414}},
        {"100 header lines", get + Headers(98, 10) + "Connection: close\r\n\r\n", {200}},
        {"101 header lines", get + Headers(100, 10) + "\r\n" + last, {431}},
        {"head over 16 KiB", get + Headers(20, 900) + "\r\n" + last, {431}},
        {"one header of 1 MiB", get + "X: " + std::string(1 << 20, 'x'), {431}},
        {"GET with a body", get + "Content-Length: " + std::to_string(kSmuggled.size()) + "\r\n\r\n" + kSmuggled,
         {400}},
        {"HEAD with a body", "HEAD / HTTP/1.1\r\nContent-Length: 1\r\n\r\nGET / HTTP/1.1\r\n\r\n", {400}},
        {"GET chunked", get + "Transfer-Encoding: chunked\r\n\r\n5\r\nGET /\r\n0\r\n\r\n" + last, {400}},
        {"GET with any coding", get + "Transfer-Encoding: identity\r\n\r\n" + last, {400}},
        {"two lengths", get + "Content-Length: 0\r\nContent-Length: 5\r\n\r\n" + last, {400}},
        {"a length of 0", get + "Content-Length: 0\r\n\r\n" + last, {200, 200}},
        {"POST chunked", "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n" + std::string(1 << 20, 'p'), {405}},
        {"PUT", "PUT /taobao/tbk_items.php HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc" + last, {405}},
        {"pipelined", get + "\r\n" + get + "\r\n" + last, {200, 200, 200}},
        {"a bad header line", get + "Content-Length : 5\r\n\r\nhello" + last, {400}},
        {"a folded header", get + "X: a\r\n b\r\n\r\n" + last, {400}},
        {"a bare CR", get + "X: a\rb\r\n\r\n" + last, {400}},
        {"HTTP/2.0", "GET / HTTP/2.0\r\n\r\n" + last, {400}},
    };
    for (const auto& c : cases) {
        TClient client(port);
        ASSERT_TRUE(client.Connected());
        std::thread sender([&] { client.Send(c.bytes); });
        bool closed = false;
        const std::string data = client.ReceiveAll(5s, closed);
        sender.join();
        EXPECT_EQ(Statuses(data), c.statuses) << c.name;
        EXPECT_TRUE(closed) << c.name;
        if (c.statuses.back() >= 400) {
            EXPECT_NE(data.find("\r\nConnection: close\r\n"), std::string::npos) << c.name;
        }
    }
}

TEST(HttpLimits, AHeadMustArriveInTimeAndAnIdleConnectionCloses)
{
    THttpLimits limits;
    limits.headDeadline = 800ms;
    limits.idle = 300ms;
    THttpServer server(
        limits, 1, [](THttpRequest&, THttpReply& res) { if (res.status < 0) res.SetContent("ok", "text/plain"); },
        nullptr);
    std::string error;
    ASSERT_TRUE(server.Bind("127.0.0.1", 0, error)) << error;
    std::thread serving([&] { server.Run(); });

    // One byte at a time, each well within the idle time, never reaches a
    // whole head: closed at the head deadline.
    TClient slow(server.Port());
    const auto start = std::chrono::steady_clock::now();
    bool closed = false;
    std::string got;
    const std::string head = "GET / HTTP/1.1\r\nX: " + std::string(100, 'a');
    for (std::size_t i = 0; i < head.size() && !closed; ++i) {
        slow.Send(head.substr(i, 1));
        got += slow.ReceiveAll(100ms, closed);
    }
    EXPECT_TRUE(closed);
    EXPECT_EQ(got, "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);

    // Silent from the start, and silent after a reply.
    TClient silent(server.Port());
    EXPECT_EQ(silent.ReceiveAll(3s, closed), "");
    EXPECT_TRUE(closed);
    TClient once(server.Port());
    once.Send("GET / HTTP/1.1\r\n\r\n");
    EXPECT_EQ(Statuses(once.ReceiveAll(3s, closed)), std::vector<int>{200});
    EXPECT_TRUE(closed);
    server.Stop();
    serving.join();
}

TEST(HttpLimits, ConnectionsPastTheLimitAreClosedAtOnce)
{
    THttpLimits limits;
    limits.maxConnections = 4;
    limits.idle = 5s;
    THttpServer server(
        limits, 1, [](THttpRequest&, THttpReply& res) { if (res.status < 0) res.SetContent("ok", "text/plain"); },
        nullptr);
    std::string error;
    ASSERT_TRUE(server.Bind("127.0.0.1", 0, error)) << error;
    std::thread serving([&] { server.Run(); });
    std::vector<std::unique_ptr<TClient>> open;
    for (int i = 0; i < 4; ++i)
        open.push_back(std::make_unique<TClient>(server.Port()));
    bool closed = false;
    std::this_thread::sleep_for(100ms);
    TClient extra(server.Port());
    extra.Send("GET / HTTP/1.1\r\n\r\n");
    EXPECT_EQ(extra.ReceiveAll(2s, closed), "");
    EXPECT_TRUE(closed) << "past the limit";
    open.front()->Send("GET / HTTP/1.1\r\n\r\n");
    EXPECT_EQ(Statuses(open.front()->ReceiveAll(300ms, closed)), std::vector<int>{200}) << "the others are served";
    open.pop_back();
    std::this_thread::sleep_for(100ms);
    TClient next(server.Port());
    next.Send("GET / HTTP/1.1\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(Statuses(next.ReceiveAll(2s, closed)), std::vector<int>{200}) << "a place came free";
    server.Stop();
    serving.join();
}

TEST(HttpLimits, ConnectionsPerClientAddress)
{
    TConnectionCounter counter(6, 2);
    std::vector<std::unique_ptr<TConnectionCounter::TSlot>> held;
    struct TCase {
        const char* client;
        bool taken;
    };
    for (const auto& [client, taken] : std::vector<TCase>{{"10.0.0.1", true},
                                                          {"10.0.0.1", true},
                                                          {"10.0.0.1", false},
                                                          {"2001:db8::1", true},
                                                          {"127.0.0.1", true},
                                                          {"127.0.0.1", true},
                                                          {"127.3.0.1", true},
                                                          {"::1", false}}) { // the whole limit
        auto slot = counter.Take(client);
        EXPECT_EQ(slot != nullptr, taken) << client;
        if (slot)
            held.push_back(std::move(slot));
    }
    EXPECT_EQ(counter.Open(), 6u);
    held.erase(held.begin()); // one of 10.0.0.1
    EXPECT_NE(counter.Take("10.0.0.1"), nullptr) << "given back";
    held.clear();
    EXPECT_EQ(counter.Open(), 0u);

    for (const char* loopback : {"127.0.0.1", "::1", "::ffff:127.0.0.9"})
        EXPECT_TRUE(IsLoopbackAddress(loopback)) << loopback;
    for (const char* other : {"10.0.0.1", "::ffff:10.0.0.1", "2001:db8::1", "::", "0.0.0.0", "x"})
        EXPECT_FALSE(IsLoopbackAddress(other)) << other;
    TConnectionCounter unlimited(100, 0);
    for (int i = 0; i < 50; ++i)
        held.push_back(unlimited.Take("10.0.0.1"));
    EXPECT_EQ(unlimited.Open(), 50u) << "0: no limit per address";
}
