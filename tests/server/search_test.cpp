// The affiliate item search client of the service layer against this
// server: results really filtered, sorted and paged. Expected sets come from
// a plain scan of the catalog, independent of the server's indexes.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <set>

#include "ServerFixture.h"
#include "Taobaoke_Items.h"
#include "Utf8.h"
#include "codepage.h"
#include "data.h"

namespace {

struct TResult {
    bool ok = false;
    std::vector<Tbk_Items_Info> rows;
    long total = -1;
};

Tbk_Items_Cond Cond(const std::string& keyword, const std::string& cid = "")
{
    Tbk_Items_Cond c;
    c.pid = kPid;
    c.url = SharedBase() + "taobao/tbk_items.php";
    c.keyword = keyword; // in the client's code page
    c.cid = cid;
    return c;
}

TResult Search(const Tbk_Items_Cond& cond)
{
    TTaobaoke_Items client;
    const ATbk_Items_Info* results = nullptr;
    TResult r;
    r.ok = client.Fetch(cond, Tbk_Items_Info{}, results);
    if (!r.ok)
        return r;
    for (const auto& row : *results)
        if (!row.title.empty())
            r.rows.push_back(row);
    if (!r.rows.empty())
        r.total = std::atol(r.rows[0].total_results.c_str());
    return r;
}

// Every page of a search, in order.
std::vector<Tbk_Items_Info> AllPages(Tbk_Items_Cond cond, long& total)
{
    std::vector<Tbk_Items_Info> all;
    total = -1;
    for (int page = 1;; ++page) {
        cond.page_no = std::to_string(page);
        const TResult r = Search(cond);
        EXPECT_TRUE(r.ok);
        if (!r.ok || r.rows.empty())
            break;
        EXPECT_TRUE(total < 0 || total == r.total);
        total = r.total;
        EXPECT_LE(r.rows.size(), 40u);
        all.insert(all.end(), r.rows.begin(), r.rows.end());
        if (r.rows.size() < 40)
            break;
    }
    if (total < 0)
        total = 0;
    return all;
}

std::string Plain(const std::string& ansiTitle)
{
    std::string t = AnsiToUtf8(ansiTitle);
    for (const std::string tag : {"<span class=H>", "</span>"})
        for (auto p = t.find(tag); p != std::string::npos; p = t.find(tag))
            t.erase(p, tag.size());
    return t;
}

bool InSubtree(const TCatalog& c, std::int64_t cid, std::int64_t root)
{
    for (const auto* cat = c.FindCategory(cid); cat; cat = c.FindCategory(cat->row.parent_cid))
        if (cat->row.cid == root)
            return true;
    return false;
}

// Ids of every catalog item that `keep` accepts, with a keyword check done
// by a plain substring scan (terms split at ASCII blanks).
std::set<std::string> Scan(const std::string& keywordUtf8,
                           const std::function<bool(const TCatalog::TItem&)>& keep)
{
    std::vector<std::string> terms;
    std::string folded = FoldAscii(keywordUtf8);
    for (std::size_t p = 0; p < folded.size();) {
        const auto end = std::min(folded.find(' ', p), folded.size());
        if (end > p)
            terms.push_back(folded.substr(p, end - p));
        p = end + 1;
    }
    std::set<std::string> ids;
    const auto& c = SharedCatalog();
    for (const auto& item : c.Items()) {
        bool match = keep(item);
        for (const auto& t : terms)
            match = match && FoldAscii(item.row.title).find(t) != std::string::npos;
        if (match)
            ids.insert(std::to_string(item.row.num_iid));
    }
    return ids;
}

std::set<std::string> Ids(const std::vector<Tbk_Items_Info>& rows)
{
    std::set<std::string> ids;
    for (const auto& r : rows)
        ids.insert(r.num_iid);
    return ids;
}

double Num(const std::string& s) { return std::atof(s.c_str()); }

} // namespace

TEST(Search, EveryConditionFiltersTheResults)
{
    auto cond = Cond(Ansi("款"), "1");
    cond.start_price = "30";
    cond.end_price = "300";
    cond.start_credit = CreditLevels[1];
    cond.end_credit = CreditLevels[14];
    cond.area = Areas[1]; // 江苏,浙江,上海
    cond.guarantee = "true";
    cond.sort = SortKeys[1]; // price_asc
    long total = 0;
    const auto rows = AllPages(cond, total);

    const auto& c = SharedCatalog();
    const auto expected = Scan("款", [&](const TCatalog::TItem& i) {
        const auto& s = c.Sellers()[i.seller].row;
        return InSubtree(c, i.row.cid, 1) && i.row.price >= 3000 && i.row.price <= 30000 &&
               s.credit_score >= 2 && s.credit_score <= 15 && i.row.guarantee &&
               (s.state == "江苏" || s.state == "浙江" || s.state == "上海");
    });
    ASSERT_GE(expected.size(), 20u) << "enough items to tell a filter from chance";
    EXPECT_EQ(static_cast<std::size_t>(total), expected.size());
    EXPECT_EQ(Ids(rows), expected);
    EXPECT_EQ(rows.size(), expected.size()) << "no item twice across pages";

    double last = 0;
    for (const auto& r : rows) {
        EXPECT_NE(AnsiToUtf8(r.title).find("<span class=H>款</span>"), std::string::npos)
            << AnsiToUtf8(r.title);
        EXPECT_GE(Num(r.price), last) << "price_asc across pages";
        last = Num(r.price);
        EXPECT_GE(Num(r.price), 30);
        EXPECT_LE(Num(r.price), 300);
        const int credit = std::atoi(r.seller_credit_score.c_str());
        EXPECT_TRUE(credit >= 2 && credit <= 15);
        EXPECT_NE(CreditPictureUrl(r.seller_credit_score), "");
        const std::string place = AnsiToUtf8(r.item_location);
        EXPECT_TRUE(place.rfind("江苏", 0) == 0 || place.rfind("浙江", 0) == 0 || place == "上海")
            << place;
        EXPECT_NE(r.click_url.find(SharedBase()), std::string::npos);
        EXPECT_NE(r.shop_click_url.find(SharedBase()), std::string::npos);
        EXPECT_NE(r.pic_url.find(SharedBase()), std::string::npos);
        EXPECT_FALSE(r.commission.empty());
        EXPECT_FALSE(r.commission_rate.empty());
        EXPECT_FALSE(r.volume.empty());
    }
}

TEST(Search, EachSortKeyOrdersEveryPage)
{
    using Key = std::function<double(const Tbk_Items_Info&)>;
    const std::vector<std::pair<Key, int>> keys = {
        {[](const Tbk_Items_Info& r) { return Num(r.commission_volume); }, -1},
        {[](const Tbk_Items_Info& r) { return Num(r.price); }, +1},
        {[](const Tbk_Items_Info& r) { return Num(r.price); }, -1},
        {[](const Tbk_Items_Info& r) { return Num(r.seller_credit_score); }, -1},
        {[](const Tbk_Items_Info& r) { return Num(r.commission_num); }, -1},
        {[](const Tbk_Items_Info& r) { return Num(r.commission_rate); }, -1},
    };
    for (std::size_t s = 0; s < SortKeys.size(); ++s) {
        auto cond = Cond(Ansi("韩版"), "0");
        cond.sort = SortKeys[s];
        std::vector<Tbk_Items_Info> rows;
        for (int page = 1; page <= 3; ++page) {
            cond.page_no = std::to_string(page);
            const auto r = Search(cond);
            ASSERT_TRUE(r.ok);
            ASSERT_EQ(r.rows.size(), 40u);
            rows.insert(rows.end(), r.rows.begin(), r.rows.end());
        }
        const auto& [key, dir] = keys[s];
        for (std::size_t i = 1; i < rows.size(); ++i)
            EXPECT_GE(dir * (key(rows[i]) - key(rows[i - 1])), -1e-9)
                << SortKeys[s] << " at " << i;
        EXPECT_EQ(Ids(rows).size(), rows.size()) << SortKeys[s];
    }
}

TEST(Search, KeywordMatchesAgreeWithAFullScan)
{
    for (const std::string kw : {"htc", "HTC", "裙", "韩版 连衣裙", "QQ币", "Polo衫", "不存在的商品",
                                 "包邮 正品 手机"}) {
        long total = 0;
        const auto rows = AllPages(Cond(Ansi(kw), "0"), total);
        const auto expected = Scan(kw, [](const TCatalog::TItem&) { return true; });
        EXPECT_EQ(static_cast<std::size_t>(total), expected.size()) << kw;
        if (expected.size() <= 400) {
            EXPECT_EQ(Ids(rows), expected) << kw;
        }
        for (const auto& r : rows)
            EXPECT_NE(AnsiToUtf8(r.title).find("<span class=H>"), std::string::npos);
    }
    long total = 0;
    const auto rows = AllPages(Cond(Ansi("htc"), "0"), total);
    ASSERT_FALSE(rows.empty());
    EXPECT_NE(AnsiToUtf8(rows[0].title).find("<span class=H>HTC</span>"), std::string::npos)
        << "letter case of the title stays inside the highlight";
}

TEST(Search, CategoryOnlyPagingAndTotals)
{
    // The panel's usual request: a category, an empty keyword, full ranges.
    auto cond = Cond("", "35");
    cond.sort = SortKeys[0];
    cond.start_price = "0";
    cond.end_price = "999999999";
    cond.start_credit = CreditLevels[0];
    cond.end_credit = CreditLevels[19];
    cond.page_no = "1";
    const auto first = Search(cond);
    ASSERT_TRUE(first.ok);
    const auto& c = SharedCatalog();
    const auto expected = Scan("", [&](const TCatalog::TItem& i) { return InSubtree(c, i.row.cid, 35); });
    ASSERT_EQ(static_cast<std::size_t>(first.total), expected.size());
    ASSERT_EQ(first.rows.size(), 40u);
    for (const auto& r : first.rows)
        EXPECT_EQ(Plain(r.title), AnsiToUtf8(r.title)) << "no highlight without a keyword";

    const long pages = (first.total + 39) / 40;
    cond.page_no = std::to_string(pages);
    const auto last = Search(cond);
    ASSERT_TRUE(last.ok);
    EXPECT_EQ(static_cast<long>(last.rows.size()), first.total - (pages - 1) * 40);

    cond.page_no = std::to_string(pages + 1);
    const auto beyond = Search(cond);
    EXPECT_TRUE(beyond.ok) << "a page past the end is an empty success";
    EXPECT_TRUE(beyond.rows.empty());

    auto unknown = Cond("", "987654");
    const auto none = Search(unknown);
    EXPECT_TRUE(none.ok);
    EXPECT_TRUE(none.rows.empty());
}

TEST(Search, AreasSinglePlacesAndGroups)
{
    const auto& c = SharedCatalog();
    for (std::size_t a : {4u, 8u, 15u, 61u}) { // 海外, 杭州, 哈尔滨, 云南
        auto cond = Cond("", "0");
        cond.area = Areas[a];
        long total = 0;
        const auto rows = AllPages(cond, total);
        const std::string list = "," + AnsiToUtf8(Areas[a]) + ",";
        const auto expected = Scan("", [&](const TCatalog::TItem& i) {
            const auto& s = c.Sellers()[i.seller].row;
            return list.find("," + s.state + ",") != std::string::npos ||
                   (!s.city.empty() && list.find("," + s.city + ",") != std::string::npos);
        });
        EXPECT_FALSE(expected.empty()) << AnsiToUtf8(Areas[a]);
        EXPECT_EQ(static_cast<std::size_t>(total), expected.size()) << AnsiToUtf8(Areas[a]);
        EXPECT_EQ(Ids(rows), expected);
    }
}

TEST(Search, KeywordSpelledKeywordIsSignedButNotSent)
{
    // The client leaves out a keyword of exactly "keyword" yet signs it; the
    // server accepts that request and searches for it.
    const auto r = Search(Cond("keyword", "1"));
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.rows.empty());
}

TEST(Search, RefusedRequestsMakeFetchFail)
{
    auto noKey = Cond("", "");
    noKey.start_price = "1";
    EXPECT_FALSE(Search(noKey).ok) << "the client itself refuses: neither category nor keyword";

    auto badPid = Cond(Ansi("手机"));
    badPid.pid = "mm_99999999_0_0";
    EXPECT_FALSE(Search(badPid).ok);

    auto blank = Cond(" ", "");
    EXPECT_FALSE(Search(blank).ok) << "a blank keyword alone names no search";

    for (auto field : {&Tbk_Items_Cond::sort, &Tbk_Items_Cond::start_credit,
                       &Tbk_Items_Cond::guarantee, &Tbk_Items_Cond::page_no,
                       &Tbk_Items_Cond::start_price, &Tbk_Items_Cond::auto_send}) {
        auto cond = Cond(Ansi("手机"));
        cond.*field = "bogus";
        EXPECT_FALSE(Search(cond).ok);
    }
}
