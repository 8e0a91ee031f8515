#include <gtest/gtest.h>

#include "Replies.h"
#include "Request.h"
#include "Taobao_Itemcats.h"
#include "TestServer.h"
#include "codepage.h"

namespace {

Tb_Itemcats_Cond RootCond(const std::string& base)
{
    Tb_Itemcats_Cond c;
    c.pid = "mm_10000001_0_0";
    c.url = base + "taobao/tb_itemcats.php";
    c.parent_cid = "0";
    return c;
}

} // namespace

TEST(Itemcats, RootLevelUrlIsExact)
{
    TTaobao_Itemcats client;
    client.Cond = RootCond("http://h/");
    client.ApplyDefaults();
    // Worked out by hand: md5("0") = cfcd208495d565ef66e7dff9f98764da, then
    // md5("mm_10000001_0_0" "0045721821" "cfcd2084...f98764da" "1281275400").
    EXPECT_EQ(client.BuildUrlAt(1281275400),
              "http://h/taobao/tb_itemcats.php?fields=cid,name,status,is_parent,sort_order,"
              "parent_cid&parent_cid=0&stamp=1281275400&pid=mm_10000001_0_0"
              "&sign=c4857aab0cfa07d98de225b58cc952c3");
}

TEST(Itemcats, CidsComeBeforeParentAndBothEnterTheSignature)
{
    TTaobao_Itemcats client;
    client.Cond = RootCond("http://h/");
    client.Cond.cids = "1,2";
    client.Cond.parent_cid = "7";
    client.ApplyDefaults();
    const std::string url = client.BuildUrlAt(42);
    EXPECT_NE(url.find("parent_cid&cids=1,2&parent_cid=7&stamp=42&pid="), std::string::npos);
    EXPECT_EQ(url.substr(url.size() - 32), MakeSign("mm_10000001_0_0", "42", "1,27"));
}

TEST(Itemcats, MissingConditionsMakeNoRequest)
{
    TTestServer server;
    TTaobao_Itemcats client;
    const ATb_Itemcats_Info* rows = nullptr;
    auto c = RootCond(server.BaseUrl());
    c.parent_cid.clear();
    EXPECT_FALSE(client.Fetch(c, {}, rows));
    c = RootCond(server.BaseUrl());
    c.pid.clear();
    EXPECT_FALSE(client.Fetch(c, {}, rows));
    EXPECT_EQ(rows, nullptr);
    EXPECT_TRUE(server.Requests().empty());
}

TEST(Itemcats, ReadsRowsAndSignsTheRequest)
{
    TTestServer server;
    server.Set("/taobao/tb_itemcats.php", replies::ItemCats(3));
    TTaobao_Itemcats client;
    Tb_Itemcats_Cond cond = RootCond(server.BaseUrl());
    const ATb_Itemcats_Info* rows = nullptr;
    ASSERT_TRUE(client.Fetch(cond, {}, rows));
    ASSERT_EQ(rows, &client.Results);
    EXPECT_EQ((*rows)[0].cid, "100");
    EXPECT_EQ((*rows)[2].name, "cat 2");
    EXPECT_EQ((*rows)[2].is_parent, "true");
    EXPECT_EQ((*rows)[1].sort_order, "1");
    EXPECT_TRUE((*rows)[3].cid.empty());
    EXPECT_EQ(cond.parent_cid, "0"); // the caller's record is untouched

    const auto req = server.Requests().at(0);
    EXPECT_EQ(req.params.at("sign"), MakeSign("mm_10000001_0_0", req.params.at("stamp"), "0"));
}

TEST(Itemcats, EmptyListIsSuccessAndFailuresLeaveResultsAlone)
{
    TTestServer server;
    const std::string path = "/taobao/tb_itemcats.php";
    TTaobao_Itemcats client;
    const ATb_Itemcats_Info* rows = nullptr;
    server.Set(path, replies::ItemCats(5));
    ASSERT_TRUE(client.Fetch(RootCond(server.BaseUrl()), {}, rows));

    for (const auto& [body, status] : std::vector<std::pair<std::string, int>>{
             {replies::Doc("error_response", "<code>7</code><msg>bad</msg>"), 200},
             {"<html><body><h1>Server error</h1><br></body></html>", 200},
             {"<itemcats_get_response><item_cats>", 200},
             {replies::ItemCats(2), 500},
             {"", 200}}) {
        server.Set(path, body, status);
        const ATb_Itemcats_Info* r2 = nullptr;
        EXPECT_FALSE(client.Fetch(RootCond(server.BaseUrl()), {}, r2)) << body;
        EXPECT_EQ(r2, nullptr);
        EXPECT_EQ(client.Results[4].cid, "104") << body;
    }

    server.Set(path, replies::Doc("itemcats_get_response", "<item_cats/>"));
    ASSERT_TRUE(client.Fetch(RootCond(server.BaseUrl()), {}, rows));
    EXPECT_TRUE((*rows)[0].cid.empty());
}

TEST(Itemcats, KeepsTheFirst101RowsAndClearsOnAShorterReply)
{
    TTestServer server;
    const std::string path = "/taobao/tb_itemcats.php";
    TTaobao_Itemcats client;
    const ATb_Itemcats_Info* rows = nullptr;
    server.Set(path, replies::ItemCats(150));
    ASSERT_TRUE(client.Fetch(RootCond(server.BaseUrl()), {}, rows));
    EXPECT_EQ((*rows)[100].cid, "200");
    server.Set(path, replies::ItemCats(2));
    ASSERT_TRUE(client.Fetch(RootCond(server.BaseUrl()), {}, rows));
    EXPECT_EQ((*rows)[1].cid, "101");
    for (std::size_t i = 2; i < rows->size(); ++i)
        EXPECT_TRUE((*rows)[i].cid.empty() && (*rows)[i].name.empty()) << i;
}

TEST(Itemcats, DocumentsInGbkAndUtf16Parse)
{
    TTestServer server;
    const std::string path = "/taobao/tb_itemcats.php";
    TTaobao_Itemcats client;
    const ATb_Itemcats_Info* rows = nullptr;
    const std::string gbkBody = "<?xml version=\"1.0\" encoding=\"GBK\"?><itemcats_get_response>"
                                "<item_cats><item_cat><cid>35</cid><name>" +
                                Ansi("手机") + "</name></item_cat></item_cats></itemcats_get_response>";
    server.Set(path, gbkBody);
    ASSERT_TRUE(client.Fetch(RootCond(server.BaseUrl()), {}, rows));
    EXPECT_EQ((*rows)[0].name, Ansi("手机"));

    // UTF-16LE with a byte-order mark.
    const std::string utf8 = "<itemcats_get_response><item_cats><item_cat><cid>3</cid><name>男装</name>"
                             "</item_cat></item_cats></itemcats_get_response>";
    std::u16string u16;
    for (std::size_t i = 0; i < utf8.size();) {
        unsigned char c = utf8[i];
        char32_t cp;
        int len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        cp = len == 1 ? c : len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
        for (int k = 1; k < len; ++k)
            cp = (cp << 6) | (utf8[i + k] & 0x3F);
        u16 += static_cast<char16_t>(cp);
        i += len;
    }
    std::string utf16 = "\xFF\xFE";
    for (char16_t ch : u16) {
        utf16 += static_cast<char>(ch & 0xFF);
        utf16 += static_cast<char>(ch >> 8);
    }
    server.Set(path, utf16);
    ASSERT_TRUE(client.Fetch(RootCond(server.BaseUrl()), {}, rows));
    EXPECT_EQ((*rows)[0].name, Ansi("男装"));
    EXPECT_EQ((*rows)[0].cid, "3");
}

TEST(Itemcats, BytesInvalidForTheDeclaredEncodingFailTheCall)
{
    TTestServer server;
    const std::string path = "/taobao/tb_itemcats.php";
    TTaobao_Itemcats client;
    const ATb_Itemcats_Info* rows = nullptr;
    server.Set(path, "<?xml version=\"1.0\" encoding=\"utf-8\"?><r><item_cats><item_cat><cid>1"
                     "</cid><name>\xff\xfe</name></item_cat></item_cats></r>");
    EXPECT_FALSE(client.Fetch(RootCond(server.BaseUrl()), {}, rows));
}

TEST(Itemcats, DocumentTypeDeclarationsAreRefused)
{
    TTestServer server;
    const std::string path = "/taobao/tb_itemcats.php";
    TTaobao_Itemcats client;
    const ATb_Itemcats_Info* rows = nullptr;
    server.Set(path, "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\">"
                     "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]><r><item_cats><item_cat>"
                     "<cid>&b;</cid></item_cat></item_cats></r>");
    EXPECT_FALSE(client.Fetch(RootCond(server.BaseUrl()), {}, rows));
}
