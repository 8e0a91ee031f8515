// Client-side cost of one affiliate search, and MD5 throughput beside OpenSSL's.
#include <benchmark/benchmark.h>

#include <openssl/evp.h>

#include "MD5.h"
#include "Replies.h"
#include "Taobaoke_Items.h"
#include "codepage.h"
#include "data.h"

namespace {

// A 40-item reply with Chinese titles, nicks and locations, about 20 KB.
std::string FortyItemReply()
{
    std::string items;
    for (int i = 0; i < 40; ++i) {
        const std::string n = std::to_string(i);
        items += "<taobaoke_item><nick>旗舰店" + n + "</nick><title>诺基亚 &lt;span class=H&gt;手机&lt;/span&gt; N" +
                 n + " 正品行货 全国联保</title><price>1299.00</price><pic_url>http://127.0.0.1:8700/"
                 "img/" + n + ".jpg</pic_url><num_iid>" + std::to_string(100000 + i) +
                 "</num_iid><click_url>http://127.0.0.1:8700/click/" + n +
                 "</click_url><commission>12.99</commission><commission_num>3</commission_num>"
                 "<commission_rate>100</commission_rate><commission_volume>38.97</commission_volume>"
                 "<shop_click_url>http://127.0.0.1:8700/shop/" + n +
                 "</shop_click_url><seller_credit_score>12</seller_credit_score><item_location>浙江 杭州"
                 "</item_location><volume>123</volume></taobaoke_item>";
    }
    return replies::Doc("taobaoke_items_get_response",
                        "<taobaoke_items>" + items + "</taobaoke_items><total_results>4000</total_results>");
}

void BM_AffiliateSearchClientSide(benchmark::State& state)
{
    const std::string body = FortyItemReply();
    const std::string keyword = Ansi("手机");
    TTaobaoke_Items client;
    for (auto _ : state) {
        Tbk_Items_Cond cond;
        cond.pid = kPid;
        cond.url = BaseUrl + "taobao/tbk_items.php";
        cond.keyword = keyword;
        cond.cid = "0";
        cond.start_price = "0";
        cond.end_price = "999999999";
        cond.sort = SortKeys[0];
        cond.start_credit = CreditLevels[0];
        cond.end_credit = CreditLevels[19];
        cond.area = Areas[1];
        cond.page_no = "1";
        client.Names = {};
        client.Cond = cond;
        client.ApplyDefaults();
        std::string url = client.BuildUrl();
        benchmark::DoNotOptimize(url);
        if (!client.LoadReply(body))
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(client.Results[39].title);
    }
    state.counters["reply_bytes"] = static_cast<double>(body.size());
}
BENCHMARK(BM_AffiliateSearchClientSide)->Unit(benchmark::kMicrosecond);

std::string OneMiB()
{
    std::string data(1u << 20, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 131 + 7);
    return data;
}

void BM_Md5_Pallido_1MiB(benchmark::State& state)
{
    const std::string data = OneMiB();
    for (auto _ : state)
        benchmark::DoNotOptimize(Md5Digest(data));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * data.size());
}
BENCHMARK(BM_Md5_Pallido_1MiB)->Unit(benchmark::kMicrosecond);

void BM_Md5_OpenSSL_1MiB(benchmark::State& state)
{
    const std::string data = OneMiB();
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    for (auto _ : state) {
        EVP_Digest(data.data(), data.size(), out, &len, EVP_md5(), nullptr);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * data.size());
}
BENCHMARK(BM_Md5_OpenSSL_1MiB)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
