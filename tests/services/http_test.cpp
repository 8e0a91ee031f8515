#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "HttpClient.h"
#include "TestServer.h"

using namespace std::chrono_literals;

TEST(HttpClient, ReturnsBodyBytesUnchanged)
{
    TTestServer server;
    const std::string body("a\0b\xff\r\n\xca\xd6", 8);
    server.Set("/x", body);
    THttpClient http;
    std::string got;
    ASSERT_TRUE(http.Get(server.BaseUrl() + "x?k=1", got));
    EXPECT_EQ(got, body);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].query, "k=1");
}

TEST(HttpClient, NonSuccessStatusIsAFailureNotABody)
{
    TTestServer server;
    server.Set("/e", "<html>oops</html>", 500);
    THttpClient http;
    std::string got = "stale";
    EXPECT_FALSE(http.Get(server.BaseUrl() + "e", got));
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(http.LastStatus(), 500);
    EXPECT_EQ(http.Failure(), TFailure::BadReply);
    EXPECT_FALSE(http.Get(server.BaseUrl() + "missing", got));
    EXPECT_EQ(http.LastStatus(), 404);
    EXPECT_EQ(http.Failure(), TFailure::BadReply);
}

TEST(HttpClient, RefusesRepliesOverTheSizeCap)
{
    TTestServer server;
    server.Set("/big", std::string(9u << 20, 'x'));
    server.Set("/fits", std::string(8u << 20, 'y'));
    THttpClient http;
    std::string got;
    EXPECT_FALSE(http.Get(server.BaseUrl() + "big", got));
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(http.Failure(), TFailure::BadReply);
    EXPECT_TRUE(http.Get(server.BaseUrl() + "fits", got));
    EXPECT_EQ(got.size(), 8u << 20);
    EXPECT_EQ(http.Failure(), TFailure::None);
}

TEST(HttpClient, StalledReplyHitsTheReadTimeout)
{
    TTestServer server;
    TCannedReply stalled;
    stalled.body = std::string(1000, 'z');
    stalled.stallMidBody = true;
    stalled.bytesBeforeStall = 10;
    stalled.stallFor = 5s;
    server.Set("/slow", stalled);
    TCannedReply late;
    late.body = "late";
    late.delayBeforeHeaders = 5s;
    server.Set("/late", late);

    THttpClient::Options o;
    o.stallTimeoutMs = 400;
    THttpClient http(o);
    std::string got;
    for (const char* path : {"slow", "late"}) {
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_FALSE(http.Get(server.BaseUrl() + path, got)) << path;
        const auto took = std::chrono::steady_clock::now() - t0;
        EXPECT_LT(took, 4s) << path;
        EXPECT_EQ(http.LastError(), "read time-out") << path;
        EXPECT_EQ(http.Failure(), TFailure::Unreachable) << path;
    }
}

TEST(HttpClient, SlowButSteadyReplyIsNotAStall)
{
    TTestServer server;
    TCannedReply r;
    r.body = "steady";
    r.delayBeforeHeaders = 300ms;
    server.Set("/r", r);
    THttpClient::Options o;
    o.stallTimeoutMs = 2000;
    THttpClient http(o);
    std::string got;
    EXPECT_TRUE(http.Get(server.BaseUrl() + "r", got));
    EXPECT_EQ(got, "steady");
}

TEST(HttpClient, UnreachableServerAndOtherSchemesFail)
{
    THttpClient http;
    std::string got;
    EXPECT_FALSE(http.Get("http://127.0.0.1:" + std::to_string(UnusedPort()) + "/", got));
    EXPECT_EQ(http.Failure(), TFailure::Unreachable);
    EXPECT_FALSE(http.Get("file:///etc/passwd", got));
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(http.Failure(), TFailure::BadReply);
}

TEST(HttpClient, AbortEndsARunningRequestAndLaterOnes)
{
    TTestServer server;
    TCannedReply late;
    late.body = "late";
    late.delayBeforeHeaders = 10s;
    server.Set("/late", late);
    THttpClient http;
    std::string got;
    std::thread stopper([&] {
        std::this_thread::sleep_for(200ms);
        http.Abort();
    });
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(http.Get(server.BaseUrl() + "late", got));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 5s);
    stopper.join();
    server.Set("/ok", "fine");
    EXPECT_FALSE(http.Get(server.BaseUrl() + "ok", got));
}
