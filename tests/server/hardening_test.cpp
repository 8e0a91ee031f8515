// Hostile requests and settings: many ranges of the update archive, long
// paths, queries and headers under small thread stacks, refused options,
// catalog text that XML cannot carry, and idle connections.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <thread>

#include "Markup.h"
#include "Random.h"
#include "ServerFixture.h"
#include "ServerProcess.h"
#include "TestServer.h"
#include "XmlDoc.h"

using namespace std::chrono_literals;

namespace {

// The update archive of a test: random bytes, and a signature beside it.
class TArchive {
public:
    explicit TArchive(std::size_t size) : path_(TestTempPath("archive.zip"))
    {
        TRandom rnd(size);
        bytes_.resize(size);
        for (char& c : bytes_)
            c = static_cast<char>(rnd.Below(256));
        std::ofstream(path_, std::ios::binary) << bytes_;
        std::ofstream(path_ + ".minisig", std::ios::binary) << "untrusted comment: test\nRWQ\n";
    }
    ~TArchive()
    {
        std::remove(path_.c_str());
        std::remove((path_ + ".minisig").c_str());
    }
    const std::string& Path() const { return path_; }
    const std::string& Bytes() const { return bytes_; }

private:
    std::string path_;
    std::string bytes_;
};

// A server program on a fresh demo catalog with the archive.
struct TServerRun {
    TServerRun(const TArchive& archive, int stackKiB = 0)
        : port(UnusedPort()), catalog(TestTempPath(std::to_string(port) + ".sqlite")),
          process({"--port", std::to_string(port), "--catalog", catalog, "--quiet",
                   "--update-archive", archive.Path()},
                  stackKiB)
    {
    }
    ~TServerRun() { std::remove(catalog.c_str()); }
    int port;
    std::string catalog;
    TProcess process;
};

bool WellFormed(const std::string& body)
{
    TXmlDoc doc;
    return doc.Load(body) && doc.DocumentElement();
}

std::string ErrorCode(const std::string& body)
{
    TXmlDoc doc;
    if (!doc.Load(body))
        return "not xml";
    return TXmlDoc::Text(TXmlDoc::FindChild(doc.DocumentElement(), "code"));
}

// A connected socket to 127.0.0.1:port, closed with the object.
class TSocket {
public:
    explicit TSocket(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        timeval tv{5, 0};
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~TSocket() { close(fd_); }
    TSocket(const TSocket&) = delete;
    TSocket& operator=(const TSocket&) = delete;
    bool Connected() const { return connected_; }
    // Sends one request that keeps the connection alive.
    bool Send(const std::string& target)
    {
        const std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
        return send(fd_, request.data(), request.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(request.size());
    }
    // The start of the reply; "" when none came.
    std::string Receive()
    {
        char buf[4096];
        const ssize_t n = recv(fd_, buf, sizeof buf, 0);
        return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
    }

private:
    int fd_;
    bool connected_ = false;
};

} // namespace

TEST(Hardening, ManyRangesGetTheWholeArchiveInBoundedMemory)
{
    const TArchive archive(1 << 20);
    TServerRun run(archive);
    ASSERT_TRUE(Answers(run.port, 60s)) << run.process.Err();
    const std::string path = "/update/pallido-update.zip";

    ASSERT_EQ(RawGet(run.port, path).status, 200);
    const long before = run.process.PeakKiB();
    std::string ranges = "Range: bytes=0-1048575";
    for (int i = 1; i < 300; ++i)
        ranges += ", 0-1048575";
    for (int round = 0; round < 3; ++round) {
        const auto whole = RawGet(run.port, path, ranges + "\r\n");
        ASSERT_EQ(whole.status, 200);
        EXPECT_EQ(whole.body.size(), archive.Bytes().size());
        EXPECT_TRUE(whole.body == archive.Bytes());
        EXPECT_EQ(whole.headers.count("content-range"), 0u);
    }
    // The reply once built in memory was 300 times the archive.
    const long peak = run.process.PeakKiB();
    EXPECT_GT(before, 0);
    EXPECT_LT(peak - before, 32 * 1024) << "growth of the server's peak memory in KiB";
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__) // a sanitizer's own memory comes on top
    EXPECT_LT(peak, 100 * 1024) << "peak memory of the server in KiB";
#endif
    std::printf("[ measure  ] peak memory after three 300-range requests: %ld KiB (%ld before)\n", peak,
                before);

    // One range: its ends clamped to the body, never a byte announced that
    // is not sent.
    const struct {
        const char* range;
        int status;
        const char* contentRange;
        std::size_t first, count;
    } cases[] = {
        {"bytes=1000-1999", 206, "bytes 1000-1999/1048576", 1000, 1000},
        {"bytes=0-99999999", 206, "bytes 0-1048575/1048576", 0, 1048576},
        {"bytes=1048570-1048580", 206, "bytes 1048570-1048575/1048576", 1048570, 6},
        {"bytes=1048575-", 206, "bytes 1048575-1048575/1048576", 1048575, 1},
        {"bytes=-10", 206, "bytes 1048566-1048575/1048576", 1048566, 10},
        {"bytes=-2000000", 206, "bytes 0-1048575/1048576", 0, 1048576},
        {"bytes=1048576-", 416, "bytes */1048576", 0, 0},
        {"bytes=-0", 416, "bytes */1048576", 0, 0},
    };
    for (const auto& c : cases) {
        auto r = RawGet(run.port, path, std::string("Range: ") + c.range + "\r\n");
        EXPECT_EQ(r.status, c.status) << c.range;
        EXPECT_EQ(r.headers["content-range"], c.contentRange) << c.range;
        if (c.status != 206)
            continue;
        EXPECT_EQ(r.headers["content-length"], std::to_string(c.count)) << c.range;
        EXPECT_EQ(r.body.size(), c.count) << c.range;
        EXPECT_TRUE(r.body == archive.Bytes().substr(c.first, c.count)) << c.range;
    }
    // A Range header that cannot be read is ignored: the whole body, as if
    // none had come.
    for (const std::string range : {"bytes=9-3", "bytes=1-0", "items=0-1", "lines=1-2", "bytes=-",
                                     "bytes=1-2,", "bytes=a-b", "bytes 0-1", "bytes=0-1;x"}) {
        for (const std::string& target : {path, std::string("/")}) {
            const auto r = RawGet(run.port, target, "Range: " + range + "\r\n");
            EXPECT_EQ(r.status, 200) << range << " " << target;
            EXPECT_EQ(r.headers.count("content-range"), 0u) << range;
            if (target == path) {
                EXPECT_TRUE(r.body == archive.Bytes()) << range;
            }
        }
    }
    const auto sig = RawGet(run.port, path + ".minisig", "Range: bytes=0-8\r\n");
    EXPECT_EQ(sig.status, 206);
    EXPECT_EQ(sig.body, "untrusted");
    const auto page = RawGet(run.port, "/", "Range: bytes=0-0, 5-9\r\n");
    EXPECT_EQ(page.status, 200) << "in-memory replies too";
    EXPECT_NE(page.body.find("</html>"), std::string::npos);
    EXPECT_EQ(RawGet(run.port, "/nothing", "Range: bytes=0-3\r\n").status, 404);
}

TEST(Hardening, LongPathsQueriesAndHeadersUnderSmallStacks)
{
#if defined(__SANITIZE_THREAD__)
    // ThreadSanitizer's runtime cannot start a program on 256 KiB stacks;
    // the normal and the AddressSanitizer builds check this.
    GTEST_SKIP() << "not with ThreadSanitizer";
#endif
    const TArchive archive(4096);
    TServerRun run(archive, 256);
    ASSERT_TRUE(Answers(run.port, 60s)) << run.process.Err();
    const int port = run.port;

    const auto huge = RawGet(port, "/update/" + std::string(100000, 'a'));
    EXPECT_EQ(huge.status, 414);
    EXPECT_EQ(ErrorCode(huge.body), "41");
    const auto hugeQuery = RawGet(port, "/taobao/tbk_items.php?" + std::string(100000, '&'));
    EXPECT_EQ(hugeQuery.status, 414);
    for (const std::string& target :
         {"/update/" + std::string(8000, 'a'), "/update/" + std::string(8000, '.') + ".zip",
          "/newrank/" + std::string(8000, 'b'), "/bao/uploaded/i1/" + std::string(8000, '9') + ".jpg",
          "/" + std::string(8000, '/'), "/taobao/III/" + std::string(7900, '%') + "41"}) {
        const auto r = RawGet(port, target);
        EXPECT_TRUE(r.status == 404 || r.status == 400) << r.status << " " << target.substr(0, 20);
    }
    const auto query = RawGet(port, "/taobao/tbk_items.php?" + std::string(8000, 'k') + "=1");
    EXPECT_EQ(query.status, 200);
    EXPECT_EQ(ErrorCode(query.body), "41");
    std::string many = "/taobao/tb_items.php?";
    for (int i = 0; i < 1500; ++i)
        many += "a" + std::to_string(i) + "=&";
    EXPECT_EQ(ErrorCode(RawGet(port, many).body), "41");

    std::string ranges = "Range: bytes=0-0";
    while (ranges.size() < 8000)
        ranges += ",1-1";
    EXPECT_EQ(RawGet(port, "/update/pallido-update.zip", ranges + "\r\n").status, 200);
    EXPECT_EQ(RawGet(port, "/update/pallido-update.zip", "Range: bytes=" + std::string(7000, '1') + "-\r\n")
                  .status,
              416);
    EXPECT_TRUE(run.process.Running());
    EXPECT_TRUE(Answers(port, 5s)) << "still serving";
}

TEST(Hardening, RefusedOptionsExitWithAMessage)
{
    const std::vector<std::vector<std::string>> refused = {
        {"--announce-version", "2010\"0823"}, {"--announce-version", "20100823'"},
        {"--announce-version", "1\r2"},       {"--page-caption", "\"热门活动"},
        {"--page-caption", "热门\n活动"},     {"--update-name", "a'b"},
        {"--update-name", "dir/name"},        {"--update-name", "dir\\name"},
        {"--update-name", ".."},              {"--update-name", ""},
        {"--public-url", "ftp://example.com/"}, {"--public-url", "https://example.com/\"x"},
        {"--public-url", "https://example.com/a b"}, {"--public-url", "https://example.com/?q=1"},
        {"--public-url", "https://"},         {"--public-url", "https://host/\nx"},
        {"--listen", "localhost:80"},         {"--listen", "300.1.1.1"},
        {"--listen", "0.0.0.0"},              {"--listen", "::"},
        {"--listen", "192.168.1.2"},
        {"--access-log", ""},
    };
    for (const auto& args : refused) {
        TProcess p(args);
        EXPECT_EQ(p.Wait(20s), 2) << args[0] << " " << args[1];
        EXPECT_NE(p.Err().find("pallido-server: " + args[0]), std::string::npos) << p.Err();
        EXPECT_NE(p.Err().find("Usage:"), std::string::npos);
    }

    // What the options accept.
    TServerOptions o;
    std::string error;
    const char* argv[] = {"pallido-server", "--public-url", "https://shop.example.com/pallido",
                          "--listen", "::1", "--update-name", "pallido 2"};
    ASSERT_EQ(ParseOptions(7, argv, o, error), TParseResult::Run) << error;
    EXPECT_EQ(o.publicUrl, "https://shop.example.com/pallido/");
    EXPECT_EQ(BaseUrlFor(o, 80), "https://shop.example.com/pallido/");
    o.publicUrl.clear();
    EXPECT_EQ(BaseUrlFor(o, 8700), "http://[::1]:8700/");
    o.listen = "0.0.0.0";
    EXPECT_EQ(BaseUrlFor(o, 8700), "http://127.0.0.1:8700/");
    EXPECT_EQ(TServerOptions{}.listen, "127.0.0.1");
    // Any address with a public one; a loopback address without.
    for (const auto& args : std::vector<std::vector<const char*>>{
             {"pallido-server", "--listen", "0.0.0.0", "--public-url", "https://shop.example.com/"},
             {"pallido-server", "--public-url=http://[2001:db8::1]:8700/", "--listen=::"},
             {"pallido-server", "--listen", "127.0.0.2"},
             {"pallido-server", "--listen", "::1"}}) {
        TServerOptions accepted;
        EXPECT_EQ(ParseOptions(static_cast<int>(args.size()), args.data(), accepted, error),
                  TParseResult::Run) << args[2] << " " << error;
    }
}

TEST(Hardening, CatalogTextThatXmlCannotCarry)
{
    TCatalogRows rows;
    rows.categories = {{1, 0, "root\xef\xbf\xbf", 1}, {2, 1, "le\x01" "af\xef\xbf\xbe", 1}};
    rows.sellers = {{1, "nick\x1f\xef\xbf\xbf", 5, "浙江\x0b", "杭州", ""}};
    TItemRow item;
    item.num_iid = 77;
    item.cid = 2;
    item.seller_id = 1;
    item.title = "Wide\xef\xbf\xbf\x07Screen\tTV\xef\xbf\xbe";
    item.price = 100;
    rows.items = {item};
    const TCatalog catalog(rows);
    ASSERT_EQ(catalog.Items().size(), 1u);
    EXPECT_EQ(catalog.Items()[0].row.title, "WideScreen\tTV");
    EXPECT_EQ(catalog.FindCategory(2)->row.name, "leaf");
    EXPECT_EQ(catalog.Sellers()[0].row.nick, "nick");
    EXPECT_EQ(catalog.Sellers()[0].location, "浙江 杭州");
    EXPECT_EQ(Escaped("a\xef\xbf\xbf" "b\xef\xbf\xbe\x02"), "ab") << "and on the way out";

    TServerOptions options;
    options.port = 0;
    options.quiet = true;
    TPublisherServer server(catalog, options);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    const auto search = RawGet(server.Port(), "/taobao/tbk_items.php?" +
                                                  SignedQuery({{"fields", "title,nick,item_location"},
                                                               {"keyword", "widescreen"}},
                                                              "widescreen"));
    ASSERT_TRUE(WellFormed(search.body)) << search.body;
    EXPECT_NE(search.body.find("<nick>nick</nick>"), std::string::npos) << search.body;
    const auto cats = RawGet(server.Port(), "/taobao/tb_itemcats.php?" +
                                                SignedQuery({{"fields", "cid,name"}, {"parent_cid", "1"}}, "1"));
    ASSERT_TRUE(WellFormed(cats.body)) << cats.body;
    EXPECT_NE(cats.body.find("<name>leaf</name>"), std::string::npos);
    const auto items = RawGet(server.Port(), "/taobao/tb_items.php?" +
                                                 SignedQuery({{"fields", "title,desc,location"},
                                                              {"nicks", "nick"}}, "nick"));
    EXPECT_TRUE(WellFormed(items.body)) << items.body;
    server.Stop();
}

TEST(Hardening, IdleConnectionsDoNotStarveASearch)
{
    const int port = SharedServer().Port();
    const std::string search =
        "/taobao/tbk_items.php?" + SignedQuery({{"fields", "title,price"}, {"keyword", "手机"}}, "手机");
    ASSERT_EQ(RawGet(port, search).status, 200);

    // Each idle connection holds a worker for seconds; a starved search
    // waits that long. The best of three tries, each with 32 fresh idle
    // connections, is taken, so that one stall of a loaded machine does not
    // count as starving.
    auto best = std::chrono::steady_clock::duration::max();
    auto bestBurst = best;
    for (int attempt = 0; attempt < 3; ++attempt) {
        // Sixteen ask once and stay open: once answered, each holds a worker
        // until its idle time ends. Sixteen more connect and say nothing.
        const auto burst = std::chrono::steady_clock::now();
        std::vector<std::unique_ptr<TSocket>> idle;
        for (int i = 0; i < 16; ++i) {
            idle.push_back(std::make_unique<TSocket>(port));
            ASSERT_TRUE(idle.back()->Connected());
            ASSERT_TRUE(idle.back()->Send("/taobao/III/OK/ok_list.php?pid=mm_10000001_0_0"));
        }
        for (auto& s : idle)
            ASSERT_EQ(s->Receive().rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
        bestBurst = std::min(bestBurst, std::chrono::steady_clock::now() - burst);
        for (int i = 0; i < 16; ++i) {
            idle.push_back(std::make_unique<TSocket>(port));
            ASSERT_TRUE(idle.back()->Connected());
        }
        std::this_thread::sleep_for(50ms);
        const auto start = std::chrono::steady_clock::now();
        const auto reply = RawGet(port, search);
        const auto took = std::chrono::steady_clock::now() - start;
        ASSERT_EQ(reply.status, 200);
        ASSERT_NE(reply.body.find("<taobaoke_items>"), std::string::npos);
        best = std::min(best, took);
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(best).count();
    std::printf("[ measure  ] search with 32 idle connections open: %lld ms\n", static_cast<long long>(ms));
    EXPECT_LT(ms, 100);
    // Sixteen connections at once fit the accept queue; one that does not
    // waits for the peer's retry, a second at least.
    const auto burstMs = std::chrono::duration_cast<std::chrono::milliseconds>(bestBurst).count();
    std::printf("[ measure  ] sixteen connections at once answered in %lld ms\n", static_cast<long long>(burstMs));
    EXPECT_LT(burstMs, 900);
}

TEST(Hardening, ARequestSentLateIsAnsweredAndASilentConnectionClosed)
{
    // Connections reach a worker only once their request has arrived; one
    // whose request comes after that wait is answered all the same, and one
    // that never says anything is still closed after its idle time.
    const int port = SharedServer().Port();
    TSocket late(port);
    TSocket silent(port);
    ASSERT_TRUE(late.Connected() && silent.Connected());
    std::this_thread::sleep_for(1500ms);
    ASSERT_TRUE(late.Send("/taobao/III/OK/ok_list.php?pid=mm_10000001_0_0"));
    EXPECT_EQ(late.Receive().rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(silent.Receive(), ""); // closed, or the 5 s receive limit ran out
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4500ms) << "the silent connection was never closed";
}
