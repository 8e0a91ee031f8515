#include <gtest/gtest.h>

#include <chrono>

#include "Replies.h"
#include "Request.h"
#include "Taobaoke_Items.h"
#include "TestServer.h"
#include "codepage.h"
#include "data.h"

using namespace std::chrono_literals;

namespace {

const std::string kFields = "fields=nick,title,price,pic_url,num_iid,click_url,commission,"
                            "commission_num,commission_rate,commission_volume,shop_click_url,"
                            "seller_credit_score,item_location,volume";

Tbk_Items_Cond PanelCond(const std::string& base)
{
    Tbk_Items_Cond c;
    c.pid = "mm_10000001_0_0";
    c.url = base + "taobao/tbk_items.php";
    c.cid = "0";
    c.sort = SortKeys[0];
    c.start_price = "0";
    c.end_price = "999999999";
    c.page_no = "1";
    c.start_credit = CreditLevels[0];
    c.end_credit = CreditLevels[19];
    return c;
}

std::string UrlOf(const Tbk_Items_Cond& cond, std::int32_t stamp = 1281275400)
{
    TTaobaoke_Items client;
    client.Cond = cond;
    client.ApplyDefaults();
    return client.BuildUrlAt(stamp);
}

std::string SignOf(const std::string& input)
{
    return MakeSign("mm_10000001_0_0", "1281275400", input);
}

} // namespace

TEST(TbkItemsUrl, TypicalPanelSearchWithEmptyKeyword)
{
    const auto c = PanelCond("http://h/");
    EXPECT_EQ(UrlOf(c), "http://h/taobao/tbk_items.php?" + kFields +
                            "&cid=0&sort=commissionVolume_desc&keyword=&start_price=0"
                            "&end_price=999999999&page_no=1&start_credit=1heart"
                            "&end_credit=5goldencrown&stamp=1281275400&pid=mm_10000001_0_0"
                            // md5("0commissionVolume_desc19999999995goldencrown01heart")
                            // = 5721007ff5f1da28742c2371201a5c97, then md5("mm_10000001_0_0"
                            // "0045721821" "5721007f...201a5c97" "1281275400"), by hand.
                            "&sign=c6e1b0942cfa8f2359a900aa1f86bcac");
}

TEST(TbkItemsUrl, ChineseKeywordIsUtf8PercentEncodedAndSignedAsUtf8)
{
    auto c = PanelCond("http://h/");
    c.cid.clear();
    c.keyword = Ansi("手机");
    const std::string url = UrlOf(c);
    EXPECT_NE(url.find("&sort=commissionVolume_desc&keyword=%E6%89%8B%E6%9C%BA&start_price=0"),
              std::string::npos)
        << url;
    EXPECT_EQ(url.substr(url.size() - 32),
              SignOf("commissionVolume_desc\xe6\x89\x8b\xe6\x9c\xba" "1999999999" "5goldencrown"
                     "01heart"));
    EXPECT_EQ(url.find("&cid="), std::string::npos);
}

TEST(TbkItemsUrl, KeywordNamedKeywordIsSignedButNotSent)
{
    auto c = PanelCond("http://h/");
    c.keyword = "keyword";
    const std::string url = UrlOf(c);
    EXPECT_EQ(url.find("keyword="), std::string::npos);
    EXPECT_EQ(url.substr(url.size() - 32),
              SignOf("0commissionVolume_desckeyword1999999999" "5goldencrown" "01heart"));
}

TEST(TbkItemsUrl, AreaGroupAndGuarantee)
{
    auto c = PanelCond("http://h/");
    c.area = Areas[1];
    c.guarantee = "true";
    const std::string url = UrlOf(c);
    const std::string area = PercentEncode("江苏,浙江,上海");
    EXPECT_NE(url.find("&cid=0&area=" + area + "&sort="), std::string::npos) << url;
    EXPECT_NE(area.find("%2C"), std::string::npos);
    EXPECT_NE(url.find("&end_credit=5goldencrown&guarantee=true&stamp=1281275400"),
              std::string::npos);
    EXPECT_EQ(url.substr(url.size() - 32),
              SignOf("0江苏,浙江,上海commissionVolume_desc1999999999true5goldencrown01heart"));
    c.area = Areas[0];
    c.guarantee.clear();
    EXPECT_EQ(UrlOf(c).find("&area="), std::string::npos);
    EXPECT_EQ(UrlOf(c).find("guarantee"), std::string::npos);
}

TEST(TbkItemsUrl, CommissionRangesFollowSortInOrder)
{
    auto c = PanelCond("http://h/");
    c.auto_send = "a";
    c.start_commissionNum = "1";
    c.end_commissionNum = "2";
    c.start_commissionRate = "3";
    c.end_commissionRate = "4";
    const std::string url = UrlOf(c);
    EXPECT_NE(url.find("&cid=0&auto_send=a&sort=commissionVolume_desc&start_commissionNum=1"
                       "&end_commissionNum=2&start_commissionRate=3&end_commissionRate=4"
                       "&keyword=&start_price=0"),
              std::string::npos)
        << url;
    EXPECT_EQ(url.substr(url.size() - 32),
              SignOf("0commissionVolume_desc1a999999999" "5goldencrown" "01heart" "2413"));
}

TEST(TbkItems, NeitherCategoryNorKeywordMakesNoRequest)
{
    TTestServer server;
    auto c = PanelCond(server.BaseUrl());
    c.cid.clear();
    TTaobaoke_Items client;
    const ATbk_Items_Info* rows = nullptr;
    EXPECT_FALSE(client.Fetch(c, {}, rows));
    EXPECT_TRUE(server.Requests().empty());
}

TEST(TbkItems, ParsesFortyItemsWithDerivedTotal)
{
    TTestServer server;
    server.Set("/taobao/tbk_items.php", replies::TbkItems(40, "1234"));
    TTaobaoke_Items client;
    const ATbk_Items_Info* rows = nullptr;
    ASSERT_TRUE(client.Fetch(PanelCond(server.BaseUrl()), {}, rows));
    const auto& r = *rows;
    EXPECT_EQ(r[0].nick, "nick 0");
    EXPECT_EQ(r[39].title, "title 39");
    EXPECT_EQ(r[39].total_results, "1234");
    EXPECT_EQ(r[5].seller_credit_score, "6");
    EXPECT_EQ(r[5].click_url, "http://click/5");
    EXPECT_EQ(r[5].shop_click_url, "http://shop/2");
    EXPECT_EQ(r[5].commission_rate, "500");
    EXPECT_TRUE(r[40].title.empty());
    EXPECT_TRUE(r[40].total_results.empty());

    const auto req = server.Requests().at(0);
    std::string input = "0" + SortKeys[0] + "" + "" + "1" + "" + "999999999" + "" + CreditLevels[19] +
                        "0" + CreditLevels[0];
    EXPECT_EQ(req.params.at("sign"), MakeSign("mm_10000001_0_0", req.params.at("stamp"), input));
}

TEST(TbkItems, KeepsTheFirst64ItemsThenAShorterReplyClearsTheRest)
{
    TTestServer server;
    const std::string path = "/taobao/tbk_items.php";
    TTaobaoke_Items client;
    const ATbk_Items_Info* rows = nullptr;
    server.Set(path, replies::TbkItems(90, "90"));
    ASSERT_TRUE(client.Fetch(PanelCond(server.BaseUrl()), {}, rows));
    EXPECT_EQ((*rows)[63].title, "title 63");
    server.Set(path, replies::TbkItems(3, "3"));
    ASSERT_TRUE(client.Fetch(PanelCond(server.BaseUrl()), {}, rows));
    EXPECT_EQ((*rows)[2].title, "title 2");
    for (std::size_t i = 3; i < rows->size(); ++i)
        EXPECT_TRUE((*rows)[i].title.empty() && (*rows)[i].total_results.empty()) << i;
}

TEST(TbkItems, TotalWithoutListIsAnEmptySuccessAndMissingTotalFails)
{
    TTestServer server;
    const std::string path = "/taobao/tbk_items.php";
    TTaobaoke_Items client;
    const ATbk_Items_Info* rows = nullptr;
    server.Set(path, replies::Doc("taobaoke_items_get_response", "<total_results>0</total_results>"));
    ASSERT_TRUE(client.Fetch(PanelCond(server.BaseUrl()), {}, rows));
    EXPECT_TRUE((*rows)[0].title.empty());
    EXPECT_TRUE((*rows)[0].total_results.empty());

    server.Set(path, replies::Doc("taobaoke_items_get_response",
                                  "<taobaoke_items><taobaoke_item><title>t</title></taobaoke_item>"
                                  "</taobaoke_items>"));
    EXPECT_FALSE(client.Fetch(PanelCond(server.BaseUrl()), {}, rows));
}

TEST(TbkItems, MissingFieldsAreEmptyAndOtherElementNamesAreStillItems)
{
    TTestServer server;
    server.Set("/taobao/tbk_items.php",
               replies::Doc("r", "<total_results>2</total_results><taobaoke_items>"
                                 "<x><title>a &amp; &lt;b&gt;</title></x><!-- note -->"
                                 "<y><nick>n</nick><title><![CDATA[c]]></title></y>"
                                 "</taobaoke_items>"));
    TTaobaoke_Items client;
    const ATbk_Items_Info* rows = nullptr;
    ASSERT_TRUE(client.Fetch(PanelCond(server.BaseUrl()), {}, rows));
    EXPECT_EQ((*rows)[0].title, "a & <b>");
    EXPECT_TRUE((*rows)[0].nick.empty());
    EXPECT_EQ((*rows)[1].nick, "n");
    EXPECT_EQ((*rows)[1].title, "c");
    EXPECT_EQ((*rows)[1].total_results, "2");
}

TEST(TbkItems, GbkDeclaredReplyIsReadIntoTheCodePage)
{
    TTestServer server;
    server.Set("/taobao/tbk_items.php",
               "<?xml version=\"1.0\" encoding=\"gb2312\"?><r><total_results>1</total_results>"
               "<taobaoke_items><i><title>" +
                   Ansi("诺基亚手机") + "</title><item_location>" + Ansi("浙江 杭州") +
                   "</item_location></i></taobaoke_items></r>");
    TTaobaoke_Items client;
    const ATbk_Items_Info* rows = nullptr;
    ASSERT_TRUE(client.Fetch(PanelCond(server.BaseUrl()), {}, rows));
    EXPECT_EQ((*rows)[0].title, Ansi("诺基亚手机"));
    EXPECT_EQ((*rows)[0].item_location, Ansi("浙江 杭州"));
}

TEST(TbkItems, StalledServerFailsWithinTheReadTimeout)
{
    TTestServer server;
    TCannedReply stalled;
    stalled.body = replies::TbkItems(40, "40");
    stalled.stallMidBody = true;
    stalled.bytesBeforeStall = 100;
    stalled.stallFor = 30s;
    server.Set("/taobao/tbk_items.php", stalled);
    TTaobaoke_Items client;
    const ATbk_Items_Info* rows = nullptr;
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(client.Fetch(PanelCond(server.BaseUrl()), {}, rows));
    const auto took = std::chrono::steady_clock::now() - t0;
    EXPECT_GE(took, 14s);
    EXPECT_LT(took, 20s);
}

TEST(TbkItems, FailureTellsAServerThatDidNotAnswerFromAnAnswerOfNoUse)
{
    TTestServer server;
    TTaobaoke_Items client;
    const ATbk_Items_Info* rows = nullptr;
    const std::string refused = "http://127.0.0.1:" + std::to_string(UnusedPort()) + "/";
    const struct {
        std::string body;
        int status;
        std::string base;
        TFailure failure;
    } cases[] = {
        {replies::TbkItems(2, "2"), 200, refused, TFailure::Unreachable},
        {replies::Doc("error_response", "<code>7</code><msg>App Call Limited</msg>"), 200, "",
         TFailure::BadReply},
        {"<html>busy</html>", 502, "", TFailure::BadReply},
        {"<taobaoke_items_get_response><total_results>", 200, "", TFailure::BadReply},
        {replies::TbkItems(2, "2"), 200, "", TFailure::None},
    };
    for (const auto& c : cases) {
        server.Set("/taobao/tbk_items.php", c.body, c.status);
        EXPECT_EQ(client.Fetch(PanelCond(c.base.empty() ? server.BaseUrl() : c.base), {}, rows),
                  c.failure == TFailure::None)
            << c.body;
        EXPECT_EQ(client.Failure(), c.failure) << c.body;
    }
    // Conditions that make no request are no unreachable server either.
    EXPECT_FALSE(client.Fetch(PanelCond(refused), {}, rows));
    ASSERT_EQ(client.Failure(), TFailure::Unreachable);
    Tbk_Items_Cond none = PanelCond(refused);
    none.cid.clear();
    EXPECT_FALSE(client.Fetch(none, {}, rows));
    EXPECT_EQ(client.Failure(), TFailure::BadReply);
}

TEST(TbkItems, OversizedReplyFails)
{
    TTestServer server;
    server.Set("/taobao/tbk_items.php",
               replies::Doc("r", "<total_results>1</total_results><pad>" + std::string(9u << 20, 'p') +
                                     "</pad>"));
    TTaobaoke_Items client;
    const ATbk_Items_Info* rows = nullptr;
    EXPECT_FALSE(client.Fetch(PanelCond(server.BaseUrl()), {}, rows));
}
