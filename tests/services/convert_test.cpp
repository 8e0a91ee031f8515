#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "Replies.h"
#include "Request.h"
#include "Taobaoke_Items_Convert.h"
#include "TestServer.h"

namespace {

Tbk_Items_Convert_Cond ConvertCond(const std::string& base, const std::string& ids)
{
    return {"mm_10000001_0_0", base + "taobao/tbk_items_convert.php", ids};
}

} // namespace

TEST(ConvertUrl, IdsWithTrailingCommaComeLastBeforeTheSign)
{
    TTaobaoke_Items_Convert client;
    client.Cond = ConvertCond("http://h/", "1001,");
    client.ApplyDefaults();
    EXPECT_EQ(client.BuildUrlAt(1281275400),
              "http://h/taobao/tbk_items_convert.php?fields=nick,title,price,pic_url,num_iid,"
              "click_url,commission,commission_num,commission_rate,commission_volume,"
              "shop_click_url,seller_credit_score,item_location,volume&stamp=1281275400"
              "&pid=mm_10000001_0_0&num_iids=1001,"
              // md5("1001,") = 9a9ba3dd6410da24591a099bac73a618, then
              // md5("mm_10000001_0_0" "0045721821" "9a9ba3dd...ac73a618"
              // "1281275400"), by hand: a stamp that reads differently backwards.
              "&sign=87a93f19142fec3d01ede29c082e387c");
}

TEST(Convert, EmptyIdsMakeNoRequest)
{
    TTestServer server;
    TTaobaoke_Items_Convert client;
    const ATbk_Items_Convert_Info* rows = nullptr;
    EXPECT_FALSE(client.Fetch(ConvertCond(server.BaseUrl(), ""), {}, rows));
    EXPECT_TRUE(server.Requests().empty());
}

TEST(Convert, FewerRowsThanIdsFillOnlyThose)
{
    TTestServer server;
    server.Set("/taobao/tbk_items_convert.php", replies::TbkItems(2, "2"));
    TTaobaoke_Items_Convert client;
    const ATbk_Items_Convert_Info* rows = nullptr;
    ASSERT_TRUE(client.Fetch(ConvertCond(server.BaseUrl(), "1000,1001,1002,"), {}, rows));
    EXPECT_EQ((*rows)[1].num_iid, "1001");
    EXPECT_EQ((*rows)[1].click_url, "http://click/1");
    EXPECT_EQ((*rows)[1].total_results, "2");
    EXPECT_TRUE((*rows)[2].num_iid.empty());
    const auto req = server.Requests().at(0);
    EXPECT_EQ(req.params.at("num_iids"), "1000,1001,1002,");
    EXPECT_EQ(req.params.at("sign"),
              MakeSign("mm_10000001_0_0", req.params.at("stamp"), "1000,1001,1002,"));
}

TEST(Convert, AReplyWithoutTotalOrAnHtmlPageFailsAndLeavesTheResults)
{
    TTestServer server;
    const std::string path = "/taobao/tbk_items_convert.php";
    server.Set(path, replies::TbkItems(3, "3"));
    TTaobaoke_Items_Convert client;
    const ATbk_Items_Convert_Info* rows = nullptr;
    ASSERT_TRUE(client.Fetch(ConvertCond(server.BaseUrl(), "1000,1001,1002,"), {}, rows));
    const ATbk_Items_Convert_Info before = client.Results;
    ASSERT_EQ(before[2].click_url, "http://click/2");

    TCannedReply noTotal;
    noTotal.body = replies::Doc("taobaoke_items_get_response",
                                "<taobaoke_items><taobaoke_item><num_iid>1</num_iid>"
                                "<click_url>http://x/</click_url></taobaoke_item></taobaoke_items>");
    TCannedReply html;
    html.body = "<html><head><title>502 Bad Gateway</title></head><body>bad gateway</body></html>";
    html.contentType = "text/html";
    const std::vector<std::pair<std::string, TCannedReply>> bad = {{"no total_results", noTotal},
                                                                   {"an HTML error page", html}};
    for (const auto& [what, reply] : bad) {
        server.Set(path, reply);
        rows = nullptr;
        EXPECT_FALSE(client.Fetch(ConvertCond(server.BaseUrl(), "1,"), {}, rows)) << what;
        EXPECT_EQ(rows, nullptr) << what;
        EXPECT_TRUE(client.Results == before) << what << ": the results must be untouched";
    }
}
