#include <gtest/gtest.h>

#include "Replies.h"
#include "Request.h"
#include "Taobao_Items.h"
#include "TestServer.h"
#include "codepage.h"

namespace {

const std::string kDefaultFields =
    "volume,cid,num,desc,nick,title,type,is_ex,is_3D,price,props,ems_fee,num_iid,pic_url,location,"
    "modified,post_fee,list_time,is_taobao,is_timing,input_str,detail_url,input_pids,is_virtual,"
    "postage_id,valid_thru,one_station,delist_time,seller_cids,express_fee,has_invoice,"
    "has_showcase,stuff_status,has_discount,has_warranty,auction_point,freight_payer,"
    "property_alias,approve_status";

Tb_Items_Cond SellerCond(const std::string& base, const std::string& nick, const std::string& page)
{
    Tb_Items_Cond c;
    c.pid = "mm_10000001_0_0";
    c.url = base + "taobao/tb_items.php";
    c.nicks = nick;
    c.page_no = page;
    c.order_by = "volume";
    return c;
}

} // namespace

TEST(TbItemsUrl, SellerPageRequestIsExact)
{
    TTaobao_Items client;
    client.Cond = SellerCond("http://h/", Ansi("小店"), "2");
    client.ApplyDefaults();
    EXPECT_EQ(client.BuildUrlAt(1281275400),
              "http://h/taobao/tb_items.php?fields=" + kDefaultFields +
                  "&nicks=%E5%B0%8F%E5%BA%97&page_no=2&order_by=volume&stamp=1281275400"
                  "&pid=mm_10000001_0_0"
                  // md5("小店2volume" in UTF-8) = 56e6b92de6dc6d57befcdf9a41d30de0,
                  // then md5("mm_10000001_0_0" "0045721821" "56e6b92d...41d30de0"
                  // "1281275400"), by hand.
                  "&sign=777116f4ccc5fbecf3d7a99a9508ca7b");
}

TEST(TbItemsUrl, DescNamedNoChangesOnlyTheFieldList)
{
    TTaobao_Items client;
    client.Cond = SellerCond("http://h/", "abc", "1");
    client.Names.desc = "no";
    client.ApplyDefaults();
    const std::string url = client.BuildUrlAt(99);
    EXPECT_NE(url.find("fields=volume,cid,num,no,nick,title,"), std::string::npos);
    EXPECT_EQ(url.find("desc"), std::string::npos);
}

TEST(TbItemsUrl, AllOptionalParametersInOrder)
{
    TTaobao_Items client;
    client.Cond = SellerCond("http://h/", "n", "3");
    client.Cond.q = "a b";
    client.Cond.cid = "16";
    client.Cond.start_price = "1";
    client.Cond.end_price = "9";
    client.ApplyDefaults();
    const std::string url = client.BuildUrlAt(5);
    EXPECT_NE(url.find("&q=%61%20%62&nicks=%6E&cid=16&start_price=1&end_price=9&page_no=3"
                       "&order_by=volume&stamp=5&pid="),
              std::string::npos)
        << url;
    EXPECT_EQ(url.substr(url.size() - 32), MakeSign("mm_10000001_0_0", "5", "a bn16193volume"));
}

TEST(TbItems, NoWordsNicksOrCategoryMakesNoRequest)
{
    TTestServer server;
    TTaobao_Items client;
    const ATb_Items_Info* rows = nullptr;
    EXPECT_FALSE(client.Fetch(SellerCond(server.BaseUrl(), "", "1"), {}, rows));
    EXPECT_TRUE(server.Requests().empty());
}

TEST(TbItems, ReadsNestedLocationAndDerivedTotal)
{
    TTestServer server;
    server.Set("/taobao/tb_items.php", replies::TbItems(3, "81"));
    TTaobao_Items client;
    const ATb_Items_Info* rows = nullptr;
    ASSERT_TRUE(client.Fetch(SellerCond(server.BaseUrl(), "seller", "1"), {}, rows));
    EXPECT_EQ((*rows)[1].title, "shop item 1");
    EXPECT_EQ((*rows)[1].city, "city 1");
    EXPECT_EQ((*rows)[1].state, "state 1");
    EXPECT_EQ((*rows)[1].num_iid, "5001");
    EXPECT_EQ((*rows)[2].total_results, "81");
    EXPECT_TRUE((*rows)[1].location.empty());
    EXPECT_TRUE((*rows)[3].title.empty());
}

TEST(TbItems, ItemWithoutLocationAndTheNoElement)
{
    TTestServer server;
    server.Set("/taobao/tb_items.php",
               replies::Doc("items_get_response",
                            "<items><item><title>t</title><no>nodesc</no><desc>d</desc></item>"
                            "</items><total_results>1</total_results>"));
    TTaobao_Items client;
    Tb_Items_Info names;
    names.desc = "no";
    const ATb_Items_Info* rows = nullptr;
    ASSERT_TRUE(client.Fetch(SellerCond(server.BaseUrl(), "s", "1"), names, rows));
    EXPECT_EQ((*rows)[0].desc, "nodesc");
    EXPECT_TRUE((*rows)[0].city.empty());
    EXPECT_TRUE((*rows)[0].state.empty());
    EXPECT_EQ((*rows)[0].title, "t");
}

TEST(TbItems, KeepsAtMost41ItemsAndRequiresTheItemsElement)
{
    TTestServer server;
    const std::string path = "/taobao/tb_items.php";
    server.Set(path, replies::TbItems(60, "60"));
    TTaobao_Items client;
    const ATb_Items_Info* rows = nullptr;
    ASSERT_TRUE(client.Fetch(SellerCond(server.BaseUrl(), "s", "1"), {}, rows));
    EXPECT_EQ((*rows)[40].title, "shop item 40");
    server.Set(path, replies::Doc("items_get_response", "<total_results>3</total_results>"));
    EXPECT_FALSE(client.Fetch(SellerCond(server.BaseUrl(), "s", "1"), {}, rows));
    EXPECT_EQ(client.Results[40].title, "shop item 40");
}

TEST(TbItems, AShorterReplyClearsTheLocationAndTotalOfTheRecordsBeyondIt)
{
    TTestServer server;
    const std::string path = "/taobao/tb_items.php";
    server.Set(path, replies::TbItems(5, "85"));
    TTaobao_Items client;
    const ATb_Items_Info* rows = nullptr;
    ASSERT_TRUE(client.Fetch(SellerCond(server.BaseUrl(), "s", "1"), {}, rows));
    ASSERT_EQ((*rows)[4].city, "city 4");
    server.Set(path, replies::TbItems(2, "42"));
    ASSERT_TRUE(client.Fetch(SellerCond(server.BaseUrl(), "s", "2"), {}, rows));
    EXPECT_EQ((*rows)[1].city, "city 1");
    EXPECT_EQ((*rows)[1].total_results, "42");
    for (std::size_t i = 2; i < 5; ++i) {
        EXPECT_EQ((*rows)[i], Tb_Items_Info{}) << i;
        EXPECT_TRUE((*rows)[i].city.empty() && (*rows)[i].state.empty() && (*rows)[i].total_results.empty()) << i;
    }
}
