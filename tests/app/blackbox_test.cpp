// The built client, started with no arguments, against recording servers on
// its built-in addresses (by default 127.0.0.1:8700 primary, 127.0.0.1:8701
// fallback), and against the publisher server behind such a recorder.
// PALLIDO_TEST_CLIENT and PALLIDO_TEST_SERVER name other binaries to run
// instead of the built ones (the package check runs the installed ones).

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include <unistd.h>

#include "ClientProcess.h"
#include "DemoReplies.h"
#include "PortServer.h"
#include "Taobao_Itemcats.h"
#include "Taobaoke_Items.h"
#include "data.h"

namespace {

const int kPrimary = LoopbackPort(PALLIDO_PRIMARY_URL);
const int kFallback = LoopbackPort(PALLIDO_FALLBACK_URL);

std::string Program(const char* variable, const char* built)
{
    const char* other = std::getenv(variable);
    return other && *other ? other : built;
}

std::string Base(int port) { return "http://127.0.0.1:" + std::to_string(port) + "/"; }

void ServeDemo(TPortServer& server, int port)
{
    const std::string base = Base(port);
    server.SetHandler("/taobao/III/OK/ok_list.php",
                      [](const TPortRequest&) { return TPortReply{200, demo::SoftInfo(), "text/plain"}; });
    server.SetHandler("/taobao/tb_itemcats.php",
                      [](const TPortRequest&) { return TPortReply{200, demo::RootCategories()}; });
    server.SetHandler("/taobao/tbk_items.php",
                      [base](const TPortRequest&) { return TPortReply{200, demo::Items(base, 1, 40, "857")}; });
    server.SetHandler("/taobao/III/*", [](const TPortRequest& r) {
        return TPortReply{200, demo::Page(r.path), "text/html"};
    });
    server.SetHandler("/pic/*", [](const TPortRequest& r) {
        return TPortReply{200, demo::Picture(r.path), "image/svg+xml"};
    });
}

bool Has(const std::vector<TPortRequest>& requests, const std::string& path)
{
    for (const auto& r : requests)
        if (r.path == path)
            return true;
    return false;
}

bool HasSuffix(const std::vector<TPortRequest>& requests, const std::string& prefix, const std::string& suffix)
{
    for (const auto& r : requests)
        if (r.path.rfind(prefix, 0) == 0 && r.path.size() >= prefix.size() + suffix.size() &&
            r.path.compare(r.path.size() - suffix.size(), suffix.size(), suffix) == 0)
            return true;
    return false;
}

// Runs the client until `server` has seen every path in `paths` and `more`
// holds of what it saw.
std::vector<TPortRequest> RunUntil(
    TPortServer& server, const std::vector<std::string>& paths,
    const std::function<bool(const std::vector<TPortRequest>&)>& more = [](const auto&) { return true; })
{
    TClientProcess client;
    EXPECT_TRUE(client.Start(Program("PALLIDO_TEST_CLIENT", PALLIDO_CLIENT)));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    for (;;) {
        const auto seen = server.Requests();
        bool all = more(seen);
        for (const auto& p : paths)
            all = all && Has(seen, p);
        if (all || std::chrono::steady_clock::now() > deadline || !client.Running())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    client.Stop();
    return server.Requests();
}

std::string P(const TPortRequest& r, const char* key) { return r.params.count(key) ? r.params.at(key) : ""; }

// What the client signs for these parameters at the request's own stamp.
std::string ExpectedCategoryUrl(const std::string& base, const TPortRequest& r)
{
    TTaobao_Itemcats client;
    client.Cond.pid = kPid;
    client.Cond.url = base + "taobao/tb_itemcats.php";
    client.Cond.parent_cid = "0";
    client.ApplyDefaults();
    return client.BuildUrlAt(std::stoi(P(r, "stamp")));
}

std::string ExpectedSearchUrl(const std::string& base, const TPortRequest& r)
{
    TTaobaoke_Items client;
    client.Cond.pid = kPid;
    client.Cond.url = base + "taobao/tbk_items.php";
    client.Cond.cid = "0";
    client.Cond.sort = SortKeys[0];
    client.Cond.start_price = "0";
    client.Cond.end_price = "999999999";
    client.Cond.page_no = "1";
    client.Cond.start_credit = CreditLevels[0];
    client.Cond.end_credit = CreditLevels[19];
    client.ApplyDefaults();
    return client.BuildUrlAt(std::stoi(P(r, "stamp")));
}

void CheckFirstRun(const std::vector<TPortRequest>& requests, const std::string& base, bool withSoftInfo)
{
    // Only the client's data requests count: pictures (other programs on this
    // machine may ask 127.0.0.1:8700 for credit pictures too) and the counter
    // page are left out.
    std::vector<TPortRequest> data;
    for (const auto& r : requests)
        if (r.path.rfind("/taobao/", 0) == 0 && r.path != "/taobao/III/count.html")
            data.push_back(r);
    const std::size_t first = withSoftInfo ? 1 : 0;
    ASSERT_GE(data.size(), first + 2);
    if (withSoftInfo) {
        EXPECT_EQ(data[0].target, "/taobao/III/OK/ok_list.php?pid=mm_10000001_0_0");
    }
    // The category level and the first search follow, in either order (the
    // search runs on its worker).
    const TPortRequest* cats = nullptr;
    const TPortRequest* items = nullptr;
    std::string order;
    for (std::size_t i = first; i < data.size(); ++i) {
        order += data[i].path + " ";
        if (!cats && data[i].path == "/taobao/tb_itemcats.php")
            cats = &data[i];
        if (!items && data[i].path == "/taobao/tbk_items.php")
            items = &data[i];
    }
    ASSERT_TRUE(cats && items) << order;
    EXPECT_LE(std::max(cats - &data[0], items - &data[0]), static_cast<long>(first + 1)) << order;
    EXPECT_EQ(base + cats->target.substr(1), ExpectedCategoryUrl(base, *cats));
    EXPECT_EQ(base + items->target.substr(1), ExpectedSearchUrl(base, *items));
    EXPECT_TRUE(Has(requests, "/taobao/III/count.html"));
}

} // namespace

TEST(BlackBox, FirstRunAsksSoftwareInfoThenCategoriesAndTheFirstSearchSigned)
{
    if (kPrimary == 0)
        GTEST_SKIP() << "the built-in primary address is not on 127.0.0.1";
    if (!PortFree(kPrimary))
        GTEST_SKIP() << "the primary port " << kPrimary << " is in use";
    TPortServer primary;
    ServeDemo(primary, kPrimary);
    if (!primary.Listen(kPrimary))
        GTEST_SKIP() << "the primary port " << kPrimary << " cannot be bound";
    const auto requests = RunUntil(primary, {"/taobao/III/OK/ok_list.php", "/taobao/tb_itemcats.php",
                                             "/taobao/tbk_items.php", "/taobao/III/count.html"});
    CheckFirstRun(requests, Base(kPrimary), true);
}

TEST(BlackBox, WithThePrimaryDownEveryRequestGoesToTheFallback)
{
    if (kPrimary == 0 || kFallback == 0)
        GTEST_SKIP() << "the built-in addresses are not on 127.0.0.1";
    if (!PortFree(kPrimary) || !PortFree(kFallback))
        GTEST_SKIP() << "port " << kPrimary << " or " << kFallback << " is in use";
    TPortServer fallback;
    ServeDemo(fallback, kFallback);
    if (!fallback.Listen(kFallback))
        GTEST_SKIP() << "the fallback port " << kFallback << " cannot be bound";
    const auto requests = RunUntil(fallback, {"/taobao/III/OK/ok_list.php", "/taobao/tb_itemcats.php",
                                              "/taobao/tbk_items.php", "/taobao/III/count.html"});
    // The fallback gets the repeated software information first, then the rest.
    CheckFirstRun(requests, Base(kFallback), true);
}

TEST(BlackBox, StartsUpAgainstThePublisherServerAndShowsItsPictures)
{
    if (kPrimary == 0 || !PortFree(kPrimary))
        GTEST_SKIP() << "the built-in primary address is not a free port on 127.0.0.1";
    char folder[] = "/tmp/pallido-blackbox-XXXXXX";
    ASSERT_TRUE(::mkdtemp(folder));
    const std::string catalog = std::string(folder) + "/catalog.sqlite";
    const int upstream = FreePort();
    TClientProcess publisher;
    ASSERT_TRUE(publisher.Start(Program("PALLIDO_TEST_SERVER", PALLIDO_SERVER),
                                {"--port", std::to_string(upstream), "--catalog", catalog, "--quiet"}));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (PortFree(upstream) && publisher.Running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    TPortServer forwarder;
    forwarder.SetHandler("/*", Forwarder(upstream, kPrimary));
    ASSERT_TRUE(forwarder.Listen(kPrimary));

    // The first result page asks for its item pictures and the sellers'
    // credit pictures.
    const auto requests = RunUntil(
        forwarder, {"/taobao/III/OK/ok_list.php", "/taobao/tb_itemcats.php", "/taobao/tbk_items.php", "/taobao/III/count.html"},
        [](const std::vector<TPortRequest>& seen) { return HasSuffix(seen, "/bao/uploaded/", ".jpg") && HasSuffix(seen, "/newrank/", ".gif"); });
    CheckFirstRun(requests, Base(kPrimary), true);
    std::string paths;
    for (const auto& r : requests)
        paths += r.path + " ";
    EXPECT_TRUE(HasSuffix(requests, "/bao/uploaded/", ".jpg")) << "no item picture was asked for: " << paths;
    EXPECT_TRUE(HasSuffix(requests, "/newrank/", ".gif")) << "no credit picture was asked for: " << paths;
    EXPECT_FALSE(HasSuffix(requests, "/update/", "")) << "the client must not update itself";
    forwarder.Stop();
    publisher.Stop();
    std::remove(catalog.c_str());
    ::rmdir(folder);
}
