// Whatever a client sends, the server answers with a well-formed document
// (the platform's error reply, or an ordinary reply) and keeps serving.

#include <gtest/gtest.h>

#include <libxml/tree.h>

#include <atomic>
#include <regex>
#include <thread>

#include "Random.h"
#include "Request.h"
#include "ServerFixture.h"
#include "Taobaoke_Items.h"
#include "XmlDoc.h"
#include "codepage.h"
#include "data.h"

namespace {

const std::string kTbkFields = "nick,title,price,pic_url,num_iid,click_url,commission,commission_num,"
                               "commission_rate,commission_volume,shop_click_url,seller_credit_score,"
                               "item_location,volume";

struct TScript {
    std::string path;
    std::string root;
    std::string query;
};

std::vector<TScript> ValidQueries()
{
    std::string ids;
    for (std::size_t i = 0; i < 3; ++i)
        ids += std::to_string(SharedCatalog().Items()[i].row.num_iid) + ",";
    return {
        {"/taobao/tbk_items.php", "taobaoke_items_get_response",
         SignedQuery({{"fields", kTbkFields}, {"cid", "0"}, {"sort", "price_asc"}, {"keyword", "手机"},
                      {"page_no", "2"}},
                     "0price_asc手机2")},
        {"/taobao/tb_items.php", "items_get_response",
         SignedQuery({{"fields", "volume,title,location,price"}, {"q", "韩版"}, {"page_no", "1"}},
                     "韩版1")},
        {"/taobao/tb_itemcats.php", "itemcats_get_response",
         SignedQuery({{"fields", "cid,name,is_parent"}, {"parent_cid", "0"}}, "0", false)},
        {"/taobao/tbk_items_convert.php", "taobaoke_items_convert_response",
         SignedQuery({{"fields", kTbkFields}}, ids) + "&num_iids=" + ids},
    };
}

// Root element name of a well-formed document; "" when it is not one.
std::string Root(const std::string& body)
{
    TXmlDoc doc;
    if (!doc.Load(body) || !doc.DocumentElement())
        return "";
    return reinterpret_cast<const char*>(doc.DocumentElement()->name);
}

std::string ErrorCode(const std::string& body)
{
    TXmlDoc doc;
    if (!doc.Load(body))
        return "not xml";
    return TXmlDoc::Text(TXmlDoc::FindChild(doc.DocumentElement(), "code"));
}

TRawReply Tbk(const std::vector<std::pair<std::string, std::string>>& params, const std::string& input)
{
    std::vector<std::pair<std::string, std::string>> all = {{"fields", kTbkFields}};
    all.insert(all.end(), params.begin(), params.end());
    return RawGet(SharedServer().Port(), "/taobao/tbk_items.php?" + SignedQuery(all, input));
}

} // namespace

TEST(Robustness, EveryTruncationGetsAWellFormedReply)
{
    const int port = SharedServer().Port();
    for (const auto& s : ValidQueries()) {
        const auto full = RawGet(port, s.path + "?" + s.query);
        ASSERT_EQ(Root(full.body), s.root) << s.path;
        for (std::size_t n = 0; n < s.query.size(); ++n) {
            const auto r = RawGet(port, s.path + "?" + s.query.substr(0, n));
            ASSERT_EQ(r.status, 200) << s.path << " cut at " << n;
            const std::string root = Root(r.body);
            EXPECT_TRUE(root == "error_response" || root == s.root) << s.path << " cut at " << n;
        }
    }
}

TEST(Robustness, OversizedQueries)
{
    const int port = SharedServer().Port();
    const auto q = ValidQueries()[0];
    const auto longish = RawGet(port, q.path + "?" + q.query + "&pad=" + std::string(5000, 'x'));
    EXPECT_EQ(longish.status, 200);
    EXPECT_EQ(ErrorCode(longish.body), "41");

    const auto huge = RawGet(port, q.path + "?" + q.query + "&pad=" + std::string(20000, 'x'));
    EXPECT_EQ(huge.status, 414);
    EXPECT_EQ(ErrorCode(huge.body), "41") << "a well-formed error even before routing";

    // 10,000 ids, correctly signed.
    const auto& items = SharedCatalog().Items();
    std::string ids;
    for (std::size_t i = 0; i < 10000; ++i)
        ids += std::to_string(items[i].row.num_iid) + ",";
    const auto tenThousand = RawGet(port, "/taobao/tbk_items_convert.php?" +
                                              SignedQuery({{"fields", "num_iid"}}, ids) + "&num_iids=" + ids);
    EXPECT_NE(tenThousand.status, 0);
    EXPECT_EQ(ErrorCode(tenThousand.body), "41");

    // As many as fit a query: the first forty are converted.
    ids.clear();
    for (std::size_t i = 0; i < 300; ++i)
        ids += std::to_string(items[i].row.num_iid) + ",";
    const auto many = RawGet(port, "/taobao/tbk_items_convert.php?" +
                                       SignedQuery({{"fields", "num_iid"}}, ids) + "&num_iids=" + ids);
    EXPECT_EQ(Root(many.body), "taobaoke_items_convert_response");
    EXPECT_NE(many.body.find("<total_results>40</total_results>"), std::string::npos);

    EXPECT_EQ(Root(RawGet(port, q.path + "?" + q.query).body), q.root) << "still serving";
}

TEST(Robustness, BadEncodingsAndNonUtf8Text)
{
    const int port = SharedServer().Port();
    EXPECT_EQ(ErrorCode(Tbk({{"keyword", "\xe6\x89"}}, "\xe6\x89").body), "41") << "cut UTF-8";
    EXPECT_EQ(ErrorCode(Tbk({{"keyword", "\xff\xfe"}}, "\xff\xfe").body), "41");
    EXPECT_EQ(ErrorCode(Tbk({{"cid", "0"}, {"area", "\xc0\xaf"}}, "0\xc0\xaf").body), "41");
    EXPECT_EQ(ErrorCode(Tbk({{"keyword", Ansi("手机")}}, Ansi("手机")).body), "41")
        << "GB18030 bytes where UTF-8 belongs";
    const auto nul = Tbk({{"keyword", std::string("a\0b", 3)}}, std::string("a\0b", 3));
    EXPECT_EQ(Root(nul.body), "taobaoke_items_get_response");

    const auto q = ValidQueries()[0];
    for (const std::string bad : {"&keyword=%E6%8", "&x=%G1", "&x=%", "&%=1", "&=1", "&fields=x"}) {
        const auto r = RawGet(port, q.path + "?" + q.query + bad);
        EXPECT_EQ(r.status, 200) << bad;
        EXPECT_EQ(ErrorCode(r.body), "41") << bad;
    }
    // Raw bytes in a parameter the script does not read: ignored.
    EXPECT_EQ(Root(RawGet(port, q.path + "?" + q.query + "&x=\xff\xfe\x01").body), q.root);
    const auto tb = RawGet(port, "/taobao/tb_items.php?" +
                                     SignedQuery({{"fields", "title"}, {"nicks", "\xff"}}, "\xff"));
    EXPECT_EQ(ErrorCode(tb.body), "41");
}

TEST(Robustness, HugePagesAndNegativePrices)
{
    const auto first = Tbk({{"cid", "0"}, {"keyword", "手机"}, {"page_no", "1"}}, "0手机1");
    const auto total = first.body.substr(first.body.find("<total_results>"));
    const std::string page = "99999999999999999999999999";
    const auto far = Tbk({{"cid", "0"}, {"keyword", "手机"}, {"page_no", page}}, "0手机" + page);
    EXPECT_EQ(Root(far.body), "taobaoke_items_get_response");
    EXPECT_EQ(far.body.find("<taobaoke_item>"), std::string::npos);
    EXPECT_NE(far.body.find(total), std::string::npos) << "the total of the whole match stays";

    for (const std::string p : {"0", "-1", "1.5", "abc"})
        EXPECT_EQ(ErrorCode(Tbk({{"keyword", "a"}, {"page_no", p}}, "a" + p).body), "41") << p;
    EXPECT_EQ(ErrorCode(Tbk({{"keyword", "a"}, {"start_price", "-5"}}, "a-5").body), "41");
    EXPECT_EQ(ErrorCode(Tbk({{"keyword", "a"}, {"end_price", "-1"}}, "a-1").body), "41");
    EXPECT_EQ(ErrorCode(Tbk({{"keyword", "a"}, {"end_price", "1e308"}}, "a1e308").body), "41");
    EXPECT_EQ(ErrorCode(Tbk({{"cid", "99999999999999999999"}}, "99999999999999999999").body), "41");

    const auto tb = RawGet(SharedServer().Port(),
                           "/taobao/tb_items.php?" +
                               SignedQuery({{"fields", "title"}, {"q", "韩版"}, {"page_no", page}},
                                           "韩版" + page));
    EXPECT_EQ(Root(tb.body), "items_get_response");
    EXPECT_EQ(tb.body.find("<item>"), std::string::npos);
}

TEST(Robustness, SignaturesAndRequiredArguments)
{
    const int port = SharedServer().Port();
    const auto q = ValidQueries()[0];
    auto codeOf = [&](const std::string& query) { return ErrorCode(RawGet(port, q.path + "?" + query).body); };
    std::string forged = q.query;
    forged.back() = forged.back() == '0' ? '1' : '0';
    EXPECT_EQ(codeOf(forged), "25");
    std::string changed = q.query;
    changed.replace(changed.find("sort=") + 5, 1, "%71"); // a different sort value, same sign
    EXPECT_EQ(codeOf(changed), "25");
    EXPECT_EQ(codeOf(q.query.substr(0, q.query.find("&sign="))), "24");
    const auto noStamp = std::regex_replace(q.query, std::regex("&stamp=-?[0-9]+"), "");
    EXPECT_EQ(codeOf(noStamp), "30");
    EXPECT_EQ(codeOf(std::regex_replace(q.query, std::regex("stamp=-?[0-9]+"), "stamp=1x")), "31");
    EXPECT_EQ(codeOf(std::regex_replace(q.query, std::regex("pid=mm_10000001_0_0"), "pid=mm_2_0_0")),
              "41");
    EXPECT_EQ(codeOf(std::regex_replace(q.query, std::regex("&pid=mm_10000001_0_0"), "")), "40");
    EXPECT_EQ(codeOf(q.query + "&cid=1"), "41") << "a repeated parameter";

    // Signed correctly, but something required is missing.
    EXPECT_EQ(ErrorCode(RawGet(port, "/taobao/tbk_items.php?" + SignedQuery({{"cid", "1"}}, "1")).body),
              "40");
    EXPECT_EQ(ErrorCode(Tbk({{"page_no", "1"}}, "1").body), "40");
    EXPECT_EQ(ErrorCode(RawGet(port, "/taobao/tb_items.php?" +
                                         SignedQuery({{"fields", "title"}, {"page_no", "1"}}, "1"))
                            .body),
              "40");
    EXPECT_EQ(ErrorCode(RawGet(port, "/taobao/tb_itemcats.php?" + SignedQuery({{"fields", "cid"}}, ""))
                            .body),
              "40");
    EXPECT_EQ(ErrorCode(RawGet(port, "/taobao/tbk_items_convert.php?" +
                                         SignedQuery({{"fields", "num_iid"}}, "") + "&num_iids=")
                            .body),
              "40");
}

TEST(Robustness, RandomDamageNeverBreaksTheServer)
{
    const int port = SharedServer().Port();
    const auto scripts = ValidQueries();
    static const char kBytes[] = "%&=#?+ \xff\xfe\xe6\0\x01/\\\"'<>;abc019ZZ";
    const std::string bytes(kBytes, sizeof kBytes - 1);
    TRandom rnd(424242);
    for (int round = 0; round < 1500; ++round) {
        const auto& s = scripts[rnd.Below(scripts.size())];
        std::string query = s.query;
        const int edits = static_cast<int>(rnd.Between(1, 4));
        for (int e = 0; e < edits && !query.empty(); ++e) {
            const std::size_t at = rnd.Below(query.size());
            switch (rnd.Below(3)) {
            case 0: query.erase(at, rnd.Between(1, 6)); break;
            case 1: query.insert(at, 1, bytes[rnd.Below(bytes.size())]); break;
            default: query[at] = bytes[rnd.Below(bytes.size())]; break;
            }
        }
        const auto r = RawGet(port, s.path + "?" + query);
        ASSERT_NE(r.status, 0) << "no reply to " << query;
        if (r.status == 200 || r.status == 400) {
            const std::string root = Root(r.body);
            EXPECT_TRUE(root == "error_response" || root == s.root) << r.status << " " << query;
        }
    }
    EXPECT_EQ(Root(RawGet(port, scripts[0].path + "?" + scripts[0].query).body), scripts[0].root);
}

TEST(Robustness, ParallelClientsGetConsistentAnswers)
{
    auto search = [](const std::string& keyword, std::string& first) {
        TTaobaoke_Items client;
        Tbk_Items_Cond cond;
        cond.pid = kPid;
        cond.url = SharedBase() + "taobao/tbk_items.php";
        cond.keyword = Ansi(keyword);
        const ATbk_Items_Info* rows = nullptr;
        if (!client.Fetch(cond, Tbk_Items_Info{}, rows))
            return false;
        first = (*rows)[0].num_iid + "/" + (*rows)[0].total_results;
        return true;
    };
    const std::vector<std::string> keywords = {"手机", "连衣裙", "韩版", "包邮"};
    std::vector<std::string> expected(keywords.size());
    for (std::size_t k = 0; k < keywords.size(); ++k)
        ASSERT_TRUE(search(keywords[k], expected[k]));
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 60; ++i) {
                const std::size_t k = static_cast<std::size_t>(t + i) % keywords.size();
                std::string got;
                if (!search(keywords[k], got) || got != expected[k])
                    ++failures;
            }
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(failures.load(), 0);
}
