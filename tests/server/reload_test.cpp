// SIGHUP reloads the catalog while requests keep coming: none fails, new
// requests see the new catalog (one no earlier reload served), and a file that does not load keeps the old
// one. SIGUSR1 reopens the access log.

#include <gtest/gtest.h>

#include <libxml/tree.h>

#include <signal.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>

#include "CatalogSeeder.h"
#include "CatalogStore.h"
#include "ServerFixture.h"
#include "ServerProcess.h"
#include "TestServer.h"
#include "XmlDoc.h"

using namespace std::chrono_literals;

namespace {

// Puts a copy of `from` at `to` in one step, as a publisher's script would.
void Install(const std::string& from, const std::string& to)
{
    std::ifstream in(from, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    const std::string temp = to + ".new";
    std::ofstream(temp, std::ios::binary) << bytes;
    std::rename(temp.c_str(), to.c_str());
}

TCatalogRows SmallCatalog()
{
    TCatalogRows rows;
    rows.categories = {{1, 0, "新目录", 1}};
    rows.sellers = {{1, "新店", 9, "上海", "上海", ""}};
    TItemRow item;
    item.num_iid = 900001;
    item.cid = 1;
    item.seller_id = 1;
    item.title = "reloaded 手机";
    item.price = 100;
    rows.items = {item};
    return rows;
}

// The small catalog and one item more, installed only at the end: what it
// serves no earlier round could have served.
TCatalogRows FinalCatalog()
{
    TCatalogRows rows = SmallCatalog();
    TItemRow item = rows.items[0];
    item.num_iid = 900002;
    item.title = "final 手机";
    rows.items.push_back(item);
    return rows;
}

std::size_t Occurrences(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

std::string Root(const std::string& body)
{
    TXmlDoc doc;
    if (!doc.Load(body) || !doc.DocumentElement())
        return "";
    return reinterpret_cast<const char*>(doc.DocumentElement()->name);
}

// Waits until the server has written nothing more on stderr for a while:
// every reload it was asked for is done.
void Settle(TProcess& server)
{
    std::string seen = server.Err();
    auto quietSince = std::chrono::steady_clock::now();
    const auto limit = quietSince + 60s;
    while (std::chrono::steady_clock::now() - quietSince < 1500ms && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(100ms);
        if (const std::string now = server.Err(); now != seen) {
            seen = now;
            quietSince = std::chrono::steady_clock::now();
        }
    }
}

bool FileHas(const std::string& path, const std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {}).find(text) != std::string::npos;
}

} // namespace

TEST(Reload, SighupDuringALoadOfRequests)
{
    const std::string demo = TestTempPath("reload-demo.sqlite");
    const std::string small = TestTempPath("reload-small.sqlite");
    const std::string newest = TestTempPath("reload-final.sqlite");
    const std::string live = TestTempPath("reload-live.sqlite");
    const std::string log = TestTempPath("reload-access.log");
    for (const auto* p : {&demo, &small, &newest, &live, &log})
        std::remove(p->c_str());
    std::remove((log + ".1").c_str());
    TCatalogStore::Save(demo, TCatalogSeeder().Generate());
    TCatalogStore::Save(small, SmallCatalog());
    TCatalogStore::Save(newest, FinalCatalog());
    Install(demo, live);

    const int port = UnusedPort();
    TProcess server({"--port", std::to_string(port), "--catalog", live, "--no-demo", "--access-log", log});
    ASSERT_TRUE(Answers(port, 60s)) << server.Err();

    const std::string search =
        "/taobao/tbk_items.php?" + SignedQuery({{"fields", "num_iid,title"}, {"keyword", "手机"}}, "手机");
    std::atomic<bool> done{false};
    std::atomic<int> answered{0}, failed{0};
    std::vector<std::thread> clients;
    for (int t = 0; t < 3; ++t)
        clients.emplace_back([&] {
            while (!done.load()) {
                const auto r = RawGet(port, search);
                if (r.status == 200 && Root(r.body) == "taobaoke_items_get_response")
                    ++answered;
                else
                    ++failed;
            }
        });
    for (int round = 0; round < 8; ++round) {
        Install(round % 2 == 0 ? small : demo, live);
        server.Signal(SIGHUP);
        std::this_thread::sleep_for(400ms);
    }
    done.store(true);
    for (auto& c : clients)
        c.join();
    EXPECT_EQ(failed.load(), 0);
    EXPECT_GT(answered.load(), 20);
    std::printf("[ measure  ] %d searches answered during 8 reloads\n", answered.load());

    // Now a catalog no round installed, once the reloads asked for have all
    // been done (signals that arrive during a reload are merged into one).
    Settle(server);
    ASSERT_EQ(Occurrences(server.Err(), "(2 items)\n"), 0u) << server.Err();
    Install(newest, live);
    server.Signal(SIGHUP);
    Settle(server);
    EXPECT_EQ(Occurrences(server.Err(), "(2 items)\n"), 1u) << server.Err();
    const std::string reloaded = RawGet(port, search).body;
    EXPECT_NE(reloaded.find("<num_iid>900002</num_iid>"), std::string::npos) << reloaded;
    EXPECT_NE(reloaded.find("<total_results>2</total_results>"), std::string::npos) << reloaded;
    EXPECT_NE(RawGet(port, "/item.htm?id=900002").body.find("final"), std::string::npos);

    // A file that does not load: the small catalog stays.
    std::ofstream(live + ".bad", std::ios::binary) << "not a catalog";
    std::rename((live + ".bad").c_str(), live.c_str());
    server.Signal(SIGHUP);
    for (int i = 0; i < 100 && server.Err().find("reload failed") == std::string::npos; ++i)
        std::this_thread::sleep_for(50ms);
    EXPECT_NE(server.Err().find("reload failed, still serving the previous catalog"), std::string::npos)
        << server.Err();
    EXPECT_NE(RawGet(port, search).body.find("<num_iid>900002</num_iid>"), std::string::npos);

    // Log rotation.
    ASSERT_EQ(std::rename(log.c_str(), (log + ".1").c_str()), 0);
    server.Signal(SIGUSR1);
    bool reopened = false;
    for (int i = 0; i < 100 && !reopened; ++i, std::this_thread::sleep_for(50ms)) {
        RawGet(port, "/taobao/III/pindao.html");
        reopened = FileHas(log, "\"GET /taobao/III/pindao.html HTTP/1.1\" 200 ");
    }
    EXPECT_TRUE(reopened);
    EXPECT_TRUE(FileHas(log + ".1", "\"GET /taobao/tbk_items.php?"));

    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(20s), 0);
    for (const auto* p : {&demo, &small, &newest, &live, &log})
        std::remove(p->c_str());
    std::remove((log + ".1").c_str());
}

TEST(Reload, MissingCatalogWithAndWithoutDemo)
{
    const std::string missing = TestTempPath("never-made.sqlite");
    std::remove(missing.c_str());
    TProcess refused({"--port", std::to_string(UnusedPort()), "--catalog", missing, "--no-demo"});
    EXPECT_EQ(refused.Wait(20s), 1);
    EXPECT_NE(refused.Err().find("catalog " + missing + " does not exist"), std::string::npos) << refused.Err();
    FILE* f = std::fopen(missing.c_str(), "rb");
    EXPECT_EQ(f, nullptr) << "nothing was created";
    if (f)
        std::fclose(f);
    EXPECT_THROW(TCatalogStore::Load(missing, TCatalogStore::TMissing::Fail), std::runtime_error);
}
