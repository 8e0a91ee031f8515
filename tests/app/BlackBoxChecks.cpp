#include "BlackBoxChecks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "ClientProcess.h"
#include "Taobao_Itemcats.h"
#include "Taobaoke_Items.h"
#include "data.h"

const int kPrimary = LoopbackPort(PALLIDO_PRIMARY_URL);
const int kFallback = LoopbackPort(PALLIDO_FALLBACK_URL);

std::string Program(const char* variable, const char* built)
{
    const char* other = std::getenv(variable);
    return other && *other ? other : built;
}

std::string Base(int port) { return "http://127.0.0.1:" + std::to_string(port) + "/"; }

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

std::vector<TPortRequest> RunClientUntil(
    const std::string& program, const std::function<std::vector<TPortRequest>()>& seen,
    const std::vector<std::string>& paths, const std::function<bool(const std::vector<TPortRequest>&)>& more)
{
    TClientProcess client;
    EXPECT_TRUE(client.Start(program));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    for (;;) {
        const auto now = seen();
        bool all = more(now);
        for (const auto& p : paths)
            all = all && Has(now, p);
        if (all || std::chrono::steady_clock::now() > deadline || !client.Running())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    client.Stop();
    return seen();
}

namespace {

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

} // namespace

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
