// The load driver's plain GET: what it reads as a complete reply, and what it
// refuses to send.

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "PlainGet.h"
#include "TestServer.h"

namespace {

// Accepts one connection on 127.0.0.1, reads the request and answers it with
// `raw` (then closes, unless `hold` keeps it open and silent).
class TRawPeer {
public:
    explicit TRawPeer(std::string raw, bool hold = false)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof at;
        EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
        EXPECT_EQ(::listen(fd_, 1), 0);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&at), &len);
        port_ = ntohs(at.sin_port);
        thread_ = std::thread([this, raw = std::move(raw), hold] {
            const int c = ::accept(fd_, nullptr, nullptr);
            if (c < 0)
                return;
            char buffer[4096];
            std::string request;
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t n = ::recv(c, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                request.append(buffer, static_cast<std::size_t>(n));
            }
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                request_ = request;
            }
            ::send(c, raw.data(), raw.size(), MSG_NOSIGNAL);
            if (hold)
                std::this_thread::sleep_for(std::chrono::milliseconds(800));
            ::close(c);
        });
    }
    ~TRawPeer()
    {
        ::shutdown(fd_, SHUT_RDWR);
        thread_.join();
        ::close(fd_);
    }
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    std::string Request() const
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        return request_;
    }

private:
    int fd_ = -1;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::string request_;
    std::thread thread_;
};

} // namespace

TEST(PlainGet, ReadsWholeRepliesOfAnyStatusOnANewConnectionEach)
{
    TTestServer server;
    const std::string body(100000, 'x');
    server.Set("/big.svg", body);
    server.Set("/missing", "<error/>", 404);
    const TPlainGet get(5000);
    for (int i = 0; i < 3; ++i) {
        const auto reply = get.Get(server.BaseUrl() + "big.svg");
        EXPECT_TRUE(reply.ok);
        EXPECT_EQ(reply.status, 200);
        EXPECT_EQ(reply.body, body);
    }
    const auto missing = get.Get(server.BaseUrl() + "missing?x=1");
    EXPECT_TRUE(missing.ok);
    EXPECT_EQ(missing.status, 404);
    EXPECT_EQ(missing.body, "<error/>");
    ASSERT_EQ(server.Requests().size(), 4u);
    EXPECT_EQ(server.Requests()[3].target, "/missing?x=1");

    // localhost is the same loopback address.
    const std::string local = "http://localhost:" + std::to_string(server.Port()) + "/big.svg";
    EXPECT_EQ(get.Get(local).body, body);
}

TEST(PlainGet, SendsNothingBeyondLoopbackAndRefusesBrokenAddresses)
{
    const TPlainGet get(500);
    for (const char* url : {"http://127.0.0.2:80/", "http://example.com:80/", "https://127.0.0.1:443/",
                            "http://127.0.0.1.example.com:80/", "http://127.0.0.1:0/", "http://127.0.0.1:99999/",
                            "http://127.0.0.1:/", "http://127.0.0.1:80x/", "127.0.0.1:80/"})
        EXPECT_FALSE(get.Get(url).ok) << url;
}

TEST(PlainGet, AReplyIsCompleteOnlyWithAllItsBytes)
{
    const TPlainGet get(300);
    {
        // Cut off before its length: incomplete.
        TRawPeer peer("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc");
        EXPECT_FALSE(get.Get(peer.Url("/a")).ok);
        EXPECT_EQ(peer.Request().rfind("GET /a HTTP/1.1\r\nHost: 127.0.0.1:", 0), 0u) << peer.Request();
    }
    {
        // Without a length, the reply runs until the close; the header's
        // name may be written in any case.
        TRawPeer peer("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n\r\n<a/>");
        const auto reply = get.Get(peer.Url("/b"));
        EXPECT_TRUE(reply.ok);
        EXPECT_EQ(reply.body, "<a/>");
        TRawPeer lower("HTTP/1.0 203 Fine\r\ncontent-LENGTH: 2\r\n\r\nokEXTRA");
        const auto exact = get.Get(lower.Url("/c"));
        EXPECT_TRUE(exact.ok);
        EXPECT_EQ(exact.status, 203);
        EXPECT_EQ(exact.body, "ok");
    }
    {
        // Not HTTP, or headers that never end: refused.
        TRawPeer junk("SSH-2.0-OpenSSH\r\n\r\n");
        EXPECT_FALSE(get.Get(junk.Url("/")).ok);
        TRawPeer endless("HTTP/1.1 200 OK\r\nContent-Length: 1\r\n");
        EXPECT_FALSE(get.Get(endless.Url("/")).ok);
    }
    {
        // A peer that stays silent is given up after the time limit.
        TRawPeer silent("", true);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(get.Get(silent.Url("/")).ok);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    }
    // Nothing listens: refused at once.
    int port = 0;
    {
        TRawPeer gone("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
        port = std::stoi(gone.Url("").substr(17));
        get.Get(gone.Url("/"));
    }
    EXPECT_FALSE(get.Get("http://127.0.0.1:" + std::to_string(port) + "/").ok);
}
