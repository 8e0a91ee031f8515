// CPU cost of the server's own work for one request, without HTTP: reading
// the query, checking the signature, searching and writing the reply.

#include <benchmark/benchmark.h>

#include "Catalog.h"
#include "CatalogSeeder.h"
#include "ItemFields.h"
#include "PictureWriter.h"
#include "QueryString.h"
#include "Request.h"
#include "TbItemsScript.h"
#include "TbkItemsScript.h"
#include "codepage.h"
#include "data.h"

namespace {

const TCatalog& Shared()
{
    static const TCatalog catalog(TCatalogSeeder().Generate());
    return catalog;
}

std::string Query(const std::string& fields, const std::vector<std::pair<std::string, std::string>>& p,
                  const std::string& input)
{
    std::string q = "fields=" + fields;
    for (const auto& [k, v] : p)
        q += "&" + k + "=" + PercentEncode(v);
    q += "&stamp=1281275400&pid=";
    q += kPid;
    return q + "&sign=" + MakeSign(kPid, "1281275400", input);
}

const std::string kFields = "nick,title,price,pic_url,num_iid,click_url,commission,commission_num,"
                            "commission_rate,commission_volume,shop_click_url,seller_credit_score,"
                            "item_location,volume";

void TbkReply(benchmark::State& state, const std::string& raw)
{
    const TCatalog& c = Shared();
    const TItemFields fields(c, "http://127.0.0.1:8700/");
    const TTbkItemsScript script(c, fields);
    for (auto _ : state) {
        TQueryString q;
        q.Parse(raw);
        benchmark::DoNotOptimize(script.Reply(q));
    }
}

} // namespace

static void BM_GenerateCatalog(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(TCatalogSeeder().Generate());
}
BENCHMARK(BM_GenerateCatalog)->Unit(benchmark::kMillisecond);

static void BM_BuildCatalog(benchmark::State& state)
{
    const auto rows = TCatalogSeeder().Generate();
    for (auto _ : state)
        benchmark::DoNotOptimize(TCatalog(rows));
}
BENCHMARK(BM_BuildCatalog)->Unit(benchmark::kMillisecond);

static void BM_KeywordSearch(benchmark::State& state)
{
    TbkReply(state, Query(kFields, {{"cid", "0"}, {"sort", "price_asc"}, {"keyword", "手机"}},
                          "0price_asc手机"));
}
BENCHMARK(BM_KeywordSearch)->Unit(benchmark::kMicrosecond);

static void BM_TwoTermSearchDeepPage(benchmark::State& state)
{
    TbkReply(state, Query(kFields, {{"cid", "0"}, {"keyword", "包邮 正品"}, {"page_no", "5"}},
                          "0包邮 正品5"));
}
BENCHMARK(BM_TwoTermSearchDeepPage)->Unit(benchmark::kMicrosecond);

static void BM_AllItemsWithArea(benchmark::State& state)
{
    const std::string area = AnsiToUtf8(Areas[1]);
    TbkReply(state, Query(kFields, {{"cid", "0"}, {"area", area}, {"sort", "commissionVolume_desc"}},
                          "0" + area + "commissionVolume_desc"));
}
BENCHMARK(BM_AllItemsWithArea)->Unit(benchmark::kMicrosecond);

static void BM_SellerPage(benchmark::State& state)
{
    const TCatalog& c = Shared();
    const TItemFields fields(c, "http://127.0.0.1:8700/");
    const TTbItemsScript script(c, fields);
    const auto& nick = c.Sellers()[5].row.nick;
    const std::string raw = Query("volume,cid,num,no,nick,title,price,num_iid,pic_url,location",
                                  {{"nicks", nick}, {"page_no", "2"}, {"order_by", "volume"}},
                                  nick + "2volume");
    for (auto _ : state) {
        TQueryString q;
        q.Parse(raw);
        benchmark::DoNotOptimize(script.Reply(q));
    }
}
BENCHMARK(BM_SellerPage)->Unit(benchmark::kMicrosecond);

// One item picture as the big-picture view asks for it (argument: pixels),
// items taken in turn so that no two requests in a row are the same.
static void BM_ItemPicture(benchmark::State& state)
{
    const TCatalog& c = Shared();
    const TPictureWriter writer(c);
    std::size_t i = 0, bytes = 0;
    for (auto _ : state) {
        const std::string png = writer.ItemPicture(c.Items()[i], static_cast<int>(state.range(0)));
        bytes += png.size();
        i = (i + 7919) % c.Items().size();
    }
    state.counters["bytes"] = static_cast<double>(bytes) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ItemPicture)->Arg(80)->Arg(160)->Arg(310)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
