// The affiliate search against a slow, plainly correct scan over the rows:
// random catalogs (many ties in price, volume and credit, letters of both
// cases, items placed elsewhere than their seller) and random mixes of every
// condition the script reads, compared by total and by the exact page.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "Catalog.h"
#include "CatalogRows.h"
#include "ItemFields.h"
#include "QueryString.h"
#include "ServerFixture.h"
#include "TbkItemsScript.h"
#include "Utf8.h"
#include "data.h"

namespace {

using TRandom = std::mt19937;

int Pick(TRandom& r, int n) { return static_cast<int>(r() % static_cast<unsigned>(n)); }

const std::vector<std::string> kWords = {"连衣裙", "韩版", "包邮", "手机", "Nokia", "HTC", "htc",
                                         "正品", "新款", "T恤", "男装", "特价", "U盘", "牛仔"};
// Places: province and city, as sellers and items carry them.
const std::vector<std::pair<std::string, std::string>> kPlaces = {
    {"浙江", "杭州"}, {"浙江", "义乌"}, {"江苏", "苏州"}, {"上海", "上海"}, {"广东", "深圳"},
    {"广东", "广州"}, {"北京", "北京"}, {"美国", ""}};

TCatalogRows RandomRows(TRandom& r)
{
    TCatalogRows rows;
    // A tree of up to four levels.
    std::vector<int> depth = {0};
    for (int i = 1; i <= 40; ++i) {
        int parent = i <= 4 ? 0 : 1 + Pick(r, i - 1);
        while (parent != 0 && depth[static_cast<std::size_t>(parent)] >= 4)
            parent = static_cast<int>(rows.categories[static_cast<std::size_t>(parent - 1)].parent_cid);
        depth.push_back(parent == 0 ? 1 : depth[static_cast<std::size_t>(parent)] + 1);
        rows.categories.push_back({i, parent, "类" + std::to_string(i), Pick(r, 3)});
    }
    for (int s = 1; s <= 30; ++s) {
        const auto& [state, city] = kPlaces[static_cast<std::size_t>(Pick(r, static_cast<int>(kPlaces.size())))];
        rows.sellers.push_back({s, "卖家" + std::to_string(s), 1 + Pick(r, 20), state, city, ""});
    }
    const int items = 1500 + Pick(r, 1500);
    for (int i = 0; i < items; ++i) {
        TItemRow it;
        it.num_iid = 1000 + Pick(r, 1000000); // ids out of order; repeats are left out by the catalog
        it.cid = 1 + Pick(r, 40);
        it.seller_id = 1 + Pick(r, 30);
        for (int w = 0, n = 1 + Pick(r, 4); w < n; ++w)
            it.title += kWords[static_cast<std::size_t>(Pick(r, static_cast<int>(kWords.size())))];
        it.price = 100 * (1 + Pick(r, 50)) + (Pick(r, 2) ? 0 : 50); // many ties
        it.volume = Pick(r, 8);
        it.commission_rate = 100 * Pick(r, 20);
        it.commission_num = Pick(r, 30);
        it.guarantee = Pick(r, 2);
        it.auto_send = Pick(r, 5) == 0;
        it.list_time = 1290000000 + Pick(r, 4) * 86400;
        if (Pick(r, 6) == 0) {
            const auto& [state, city] = kPlaces[static_cast<std::size_t>(Pick(r, static_cast<int>(kPlaces.size())))];
            it.item_location = city.empty() || city == state ? state : state + " " + city;
        }
        if (Pick(r, 3) == 0) {
            it.commission = Pick(r, 500);
            it.commission_volume = Pick(r, 5000);
        }
        rows.items.push_back(it);
    }
    return rows;
}

// One search as the client could send it.
struct TQuery {
    std::string cid = "0", keyword, sort, startPrice, endPrice, startCredit, endCredit, area, guarantee,
                autoSend, startNum, endNum, startRate, endRate, pageNo;
};

TQuery RandomQuery(TRandom& r, const TCatalogRows& rows)
{
    TQuery q;
    if (Pick(r, 2))
        q.cid = std::to_string(rows.categories[static_cast<std::size_t>(Pick(r, 40))].cid);
    for (int t = 0, n = Pick(r, 4); t < n; ++t) {
        std::string word = kWords[static_cast<std::size_t>(Pick(r, static_cast<int>(kWords.size())))];
        if (Pick(r, 3) == 0)
            word = word.substr(0, IsUtf8(word.substr(0, 3)) ? 3 : 1); // one character of it
        q.keyword += (t == 0 ? "" : Pick(r, 2) ? " " : "\xe3\x80\x80") + word;
    }
    if (Pick(r, 4))
        q.sort = SortKeys[static_cast<std::size_t>(Pick(r, 6))];
    if (Pick(r, 3) == 0) {
        q.startPrice = std::to_string(Pick(r, 30)) + ".50";
        q.endPrice = std::to_string(Pick(r, 60));
    }
    if (Pick(r, 3) == 0) {
        q.startCredit = CreditLevels[static_cast<std::size_t>(Pick(r, 20))];
        q.endCredit = CreditLevels[static_cast<std::size_t>(Pick(r, 20))];
    }
    if (Pick(r, 3) == 0) {
        for (int p = 0, n = 1 + Pick(r, 3); p < n; ++p) {
            const auto& [state, city] = kPlaces[static_cast<std::size_t>(Pick(r, static_cast<int>(kPlaces.size())))];
            q.area += (p ? "," : "") + (Pick(r, 2) || city.empty() ? state : city);
        }
    }
    if (Pick(r, 3) == 0)
        q.guarantee = Pick(r, 2) ? "true" : "false";
    if (Pick(r, 5) == 0)
        q.autoSend = Pick(r, 2) ? "true" : "false";
    if (Pick(r, 5) == 0) {
        q.startNum = std::to_string(Pick(r, 10));
        q.endNum = std::to_string(10 + Pick(r, 30));
    }
    if (Pick(r, 5) == 0) {
        q.startRate = std::to_string(Pick(r, 1000));
        q.endRate = std::to_string(500 + Pick(r, 2000));
    }
    q.pageNo = std::to_string(1 + (Pick(r, 4) ? 0 : Pick(r, 8)));
    return q;
}

std::string Reply(const TTbkItemsScript& script, const TQuery& q)
{
    const std::vector<std::pair<std::string, std::string>> params = {
        {"fields", "num_iid"},          {"cid", q.cid},
        {"area", q.area},               {"sort", q.sort},
        {"keyword", q.keyword},         {"page_no", q.pageNo},
        {"auto_send", q.autoSend},      {"end_price", q.endPrice},
        {"guarantee", q.guarantee},     {"end_credit", q.endCredit},
        {"start_price", q.startPrice},  {"start_credit", q.startCredit},
        {"end_commissionNum", q.endNum}, {"end_commissionRate", q.endRate},
        {"start_commissionNum", q.startNum}, {"start_commissionRate", q.startRate}};
    std::string signInput;
    for (std::size_t i = 1; i < params.size(); ++i)
        signInput += params[i].second;
    TQueryString parsed;
    EXPECT_EQ(parsed.Parse(SignedQuery(params, signInput)), TQueryString::TStatus::Ok);
    return script.Reply(parsed);
}

// The plain scan: which rows match, in which order, and the asked page.
struct TExpected {
    std::size_t total = 0;
    std::vector<std::int64_t> page;
};

std::int64_t Fen(const std::string& yuan)
{
    const auto dot = yuan.find('.');
    return std::stoll(yuan.substr(0, dot)) * 100 + (dot == std::string::npos ? 0 : std::stoll(yuan.substr(dot + 1)));
}

int CreditOf(const std::string& level)
{
    return static_cast<int>(std::find(CreditLevels.begin(), CreditLevels.end(), level) - CreditLevels.begin()) + 1;
}

TExpected Scan(const TCatalogRows& rows, const TQuery& q)
{
    // The catalog keeps the first row of an id and leaves out later ones.
    std::vector<const TItemRow*> items;
    std::set<std::int64_t> seen;
    for (const auto& it : rows.items)
        if (seen.insert(it.num_iid).second)
            items.push_back(&it);
    auto under = [&](std::int64_t cid, std::int64_t top) {
        for (int hops = 0; cid != 0 && hops < 50; ++hops) {
            if (cid == top)
                return true;
            cid = rows.categories[static_cast<std::size_t>(cid - 1)].parent_cid;
        }
        return false;
    };
    std::vector<std::string> terms;
    std::string k = FoldAscii(q.keyword);
    for (std::size_t at; (at = k.find("\xe3\x80\x80")) != std::string::npos;)
        k.replace(at, 3, " ");
    for (std::size_t p = 0; p < k.size();) {
        const auto end = std::min(k.find(' ', p), k.size());
        if (end > p)
            terms.push_back(k.substr(p, end - p));
        p = end + 1;
    }
    std::vector<std::string> places;
    for (std::size_t p = 0; !q.area.empty() && p <= q.area.size();) {
        const auto end = std::min(q.area.find(',', p), q.area.size());
        places.push_back(q.area.substr(p, end - p));
        p = end + 1;
    }
    std::int64_t priceLo = q.startPrice.empty() ? 0 : Fen(q.startPrice);
    std::int64_t priceHi = q.endPrice.empty() ? INT64_MAX : Fen(q.endPrice);
    if (priceLo > priceHi)
        std::swap(priceLo, priceHi);
    int creditLo = q.startCredit.empty() ? 1 : CreditOf(q.startCredit);
    int creditHi = q.endCredit.empty() ? 20 : CreditOf(q.endCredit);
    if (creditLo > creditHi)
        std::swap(creditLo, creditHi);

    struct TMatch {
        std::int64_t key, id;
    };
    std::vector<TMatch> matches;
    const std::string sort = q.sort.empty() ? "volume_desc" : q.sort;
    for (const TItemRow* it : items) {
        const TSellerRow& s = rows.sellers[static_cast<std::size_t>(it->seller_id - 1)];
        const std::string sellerPlace = s.city.empty() || s.city == s.state ? s.state : s.state + " " + s.city;
        const std::string place = it->item_location.empty() ? sellerPlace : it->item_location;
        const auto blank = place.find(' ');
        const std::string province = place.substr(0, blank), city = blank == std::string::npos ? "" : place.substr(blank + 1);
        bool ok = (q.cid == "0" || under(it->cid, std::stoll(q.cid))) && it->price >= priceLo &&
                  it->price <= priceHi && s.credit_score >= creditLo && s.credit_score <= creditHi &&
                  (q.guarantee != "true" || it->guarantee) && (q.autoSend.empty() || it->auto_send == (q.autoSend == "true")) &&
                  (q.startNum.empty() || it->commission_num >= std::stoll(q.startNum)) &&
                  (q.endNum.empty() || it->commission_num <= std::stoll(q.endNum)) &&
                  (q.startRate.empty() || it->commission_rate >= std::stoll(q.startRate)) &&
                  (q.endRate.empty() || it->commission_rate <= std::stoll(q.endRate)) &&
                  (places.empty() || std::count(places.begin(), places.end(), province) ||
                   (!city.empty() && std::count(places.begin(), places.end(), city)));
        for (const auto& t : terms)
            ok = ok && FoldAscii(it->title).find(t) != std::string::npos;
        if (!ok)
            continue;
        const std::int64_t commission = it->commission >= 0 ? it->commission : (it->price * it->commission_rate + 5000) / 10000;
        const std::int64_t paid = it->commission_volume >= 0 ? it->commission_volume : commission * it->commission_num;
        std::int64_t key = 0;
        if (sort == "commissionVolume_desc")
            key = -paid;
        else if (sort == "price_asc")
            key = it->price;
        else if (sort == "price_desc")
            key = -it->price;
        else if (sort == "credit_desc")
            key = -s.credit_score;
        else if (sort == "commissionNum_desc")
            key = -it->commission_num;
        else if (sort == "commissionRate_desc")
            key = -it->commission_rate;
        else
            key = -it->volume;
        matches.push_back({key, it->num_iid});
    }
    std::sort(matches.begin(), matches.end(),
              [](const TMatch& a, const TMatch& b) { return a.key != b.key ? a.key < b.key : a.id < b.id; });
    TExpected e;
    e.total = matches.size();
    const std::size_t begin = (std::stoul(q.pageNo) - 1) * 40;
    for (std::size_t i = begin; i < std::min(matches.size(), begin + 40); ++i)
        e.page.push_back(matches[i].id);
    return e;
}

TExpected Read(const std::string& xml)
{
    TExpected got;
    for (std::size_t at = xml.find("<num_iid>"); at != std::string::npos; at = xml.find("<num_iid>", at + 1))
        got.page.push_back(std::stoll(xml.substr(at + 9)));
    const auto total = xml.find("<total_results>");
    got.total = total == std::string::npos ? SIZE_MAX : std::stoul(xml.substr(total + 15));
    return got;
}

std::string Describe(const TQuery& q)
{
    return "cid=" + q.cid + " keyword=" + q.keyword + " sort=" + q.sort + " price=" + q.startPrice + ".." +
           q.endPrice + " credit=" + q.startCredit + ".." + q.endCredit + " area=" + q.area +
           " guarantee=" + q.guarantee + " auto_send=" + q.autoSend + " num=" + q.startNum + ".." + q.endNum +
           " rate=" + q.startRate + ".." + q.endRate + " page=" + q.pageNo;
}

} // namespace

TEST(SearchDifferential, RandomQueriesOnRandomCatalogsGiveWhatAPlainScanGives)
{
    std::size_t nonEmpty = 0;
    for (unsigned seed = 1; seed <= 6; ++seed) {
        TRandom r(seed);
        const TCatalogRows rows = RandomRows(r);
        const TCatalog catalog(rows);
        const TItemFields fields(catalog, "http://127.0.0.1:1/");
        const TTbkItemsScript script(catalog, fields);
        for (int n = 0; n < 400; ++n) {
            const TQuery q = RandomQuery(r, rows);
            const TExpected want = Scan(rows, q);
            const TExpected got = Read(Reply(script, q));
            ASSERT_EQ(got.total, want.total) << "seed " << seed << ": " << Describe(q);
            ASSERT_EQ(got.page, want.page) << "seed " << seed << ": " << Describe(q);
            nonEmpty += !want.page.empty();
        }
    }
    EXPECT_GT(nonEmpty, 1000u) << "too few queries found anything to compare";
}
