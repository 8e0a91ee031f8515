// Software information, update archive, pictures, static pages and the item
// and shop pages behind click links.

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <unistd.h>

#include <libxml/tree.h>

#include "CatalogSeeder.h"
#include "HttpClient.h"
#include "PictureWriter.h"
#include "PngDecode.h"
#include "ServerFixture.h"
#include "System.h"
#include "Taobaoke_Items.h"
#include "XmlDoc.h"
#include "codepage.h"
#include "data.h"
#include "ok.h"

namespace {

std::string PathOf(const std::string& url)
{
    const std::string base = SharedBase();
    return url.rfind(base, 0) == 0 ? "/" + url.substr(base.size()) : url;
}

bool IsSvg(const TRawReply& r)
{
    TXmlDoc doc;
    return r.status == 200 && r.headers.at("content-type") == "image/svg+xml" && doc.Load(r.body) &&
           std::string(reinterpret_cast<const char*>(doc.DocumentElement()->name)) == "svg";
}

// A square PNG, of `size` pixels when given.
bool IsPng(const TRawReply& r, int size = 0)
{
    const auto picture = DecodePalettePng(r.body);
    return r.status == 200 && r.headers.at("content-type") == "image/png" && picture &&
           picture->width == picture->height && (size == 0 || picture->width == size);
}

} // namespace

TEST(SoftInfo, DefaultsAnnounceTheRunningVersion)
{
    TOK ok;
    SOFT_INFO info;
    ASSERT_TRUE(ok.GetSoftInfo(SharedBase() + "taobao/III/OK/ok_list.php", kPid, info));
    EXPECT_EQ(info.version, kCurrentVersion);
    EXPECT_EQ(info.page_caption, Ansi("热门活动"));
    EXPECT_EQ(info.update_name, "pallido-update");
    EXPECT_EQ(info.update_url, SharedBase() + "update/pallido-update.zip");
    EXPECT_TRUE(info.extra1.empty());
    const std::string updateUrl = info.update_url;

    EXPECT_EQ(ok.FetchReply(SharedBase() + "taobao/III/OK/ok_list.php", "mm_1_2_3"), "error");
    EXPECT_FALSE(ok.GetSoftInfo(SharedBase() + "taobao/III/OK/ok_list.php", "mm_1_2_3", info));
    EXPECT_EQ(RawGet(SharedServer().Port(), "/taobao/III/OK/ok_list.php").body, "error");

    THttpClient http;
    std::string body;
    EXPECT_FALSE(http.Get(updateUrl, body)) << "no archive given: 404";
    EXPECT_EQ(http.LastStatus(), 404);
}

TEST(SoftInfo, AnnouncedVersionCaptionAndArchive)
{
    const std::string archive = platform::TempFolder() + "pallido-test-archive-" +
                                std::to_string(getpid()) + ".zip";
    std::string bytes = "PK\x03\x04";
    for (int i = 0; i < 70000; ++i)
        bytes += static_cast<char>(i * 7);
    std::ofstream(archive, std::ios::binary) << bytes;

    TServerOptions options;
    options.port = 0;
    options.quiet = true;
    options.announceVersion = "20100901";
    options.pageCaption = "夏季大促";
    options.updateArchive = archive;
    options.updateName = "pallido new";
    TPublisherServer server(SharedCatalog(), options);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;

    TOK ok;
    SOFT_INFO info;
    ASSERT_TRUE(ok.GetSoftInfo(server.BaseUrl() + "taobao/III/OK/ok_list.php", kPid, info));
    EXPECT_EQ(info.version, "20100901");
    EXPECT_EQ(info.page_caption, Ansi("夏季大促"));
    EXPECT_EQ(info.update_name, "pallido new");
    EXPECT_EQ(info.update_url, server.BaseUrl() + "update/pallido%20new.zip");
    THttpClient http;
    std::string body;
    ASSERT_TRUE(http.Get(info.update_url, body));
    EXPECT_EQ(body, bytes);
    EXPECT_FALSE(http.Get(server.BaseUrl() + "update/other.zip", body));
    // The detached signature beside the archive, once the publisher put it there.
    EXPECT_FALSE(http.Get(info.update_url + ".minisig", body));
    EXPECT_EQ(http.LastStatus(), 404);
    const std::string signature = "untrusted comment: x\nRUQ...\ntrusted comment: version=20100901\nAAA...\n";
    std::ofstream(archive + ".minisig", std::ios::binary) << signature;
    ASSERT_TRUE(http.Get(info.update_url + ".minisig", body));
    EXPECT_EQ(body, signature);
    EXPECT_FALSE(http.Get(server.BaseUrl() + "update/other.zip.minisig", body));
    EXPECT_FALSE(http.Get(info.update_url + ".minisig.minisig", body));
    server.Stop();
    std::remove(archive.c_str());
    std::remove((archive + ".minisig").c_str());
}

TEST(Pictures, ItemAndCreditPictures)
{
    TTaobaoke_Items client;
    Tbk_Items_Cond cond;
    cond.pid = kPid;
    cond.url = SharedBase() + "taobao/tbk_items.php";
    cond.keyword = Ansi("手机");
    const ATbk_Items_Info* rows = nullptr;
    ASSERT_TRUE(client.Fetch(cond, Tbk_Items_Info{}, rows));
    const int port = SharedServer().Port();
    for (int i = 0; i < 3; ++i) {
        const std::string pic = PathOf((*rows)[i].pic_url);
        const std::pair<const char*, int> sizes[] = {{"_sum.jpg", 80}, {"_160x160.jpg", 160}, {"", 310}};
        for (const auto& [suffix, size] : sizes)
            EXPECT_TRUE(IsPng(RawGet(port, pic + suffix), size)) << pic << suffix;
    }
    EXPECT_EQ(RawGet(port, "/bao/uploaded/i1/1.jpg_sum.jpg").status, 404);
    EXPECT_EQ(RawGet(port, "/bao/uploaded/i1/99999999999999999999.jpg").status, 404);

    std::set<std::string> distinct;
    for (const auto& name : RankImages) {
        const auto r = RawGet(port, "/newrank/" + name);
        EXPECT_TRUE(IsSvg(r)) << name;
        distinct.insert(r.body);
    }
    EXPECT_EQ(distinct.size(), RankImages.size());
    EXPECT_EQ(RawGet(port, "/newrank/b_red_6.gif").status, 404);
    EXPECT_EQ(RawGet(port, "/newrank/../../etc/passwd").status, 404);
}

TEST(Pages, StaticPagesLinkToWorkingPagesInNewWindows)
{
    const int port = SharedServer().Port();
    const auto count1 = RawGet(port, "/taobao/III/count.html");
    const auto count2 = RawGet(port, "/taobao/III/count.html");
    ASSERT_EQ(count1.status, 200);
    EXPECT_NE(count1.body, count2.body) << "the counter counts";

    for (const char* page : {"/taobao/III/pindao.html", "/taobao/III/huodong.html", "/"}) {
        const auto r = RawGet(port, page);
        ASSERT_EQ(r.status, 200) << page;
        EXPECT_EQ(r.headers.at("content-type"), "text/html; charset=utf-8");
        EXPECT_NE(r.body.find("<meta charset=\"utf-8\">"), std::string::npos);
        if (std::string(page) == "/")
            continue;
        const std::regex link("<a [^>]*href=\"([^\"]+)\"[^>]*>");
        std::size_t links = 0;
        for (auto it = std::sregex_iterator(r.body.begin(), r.body.end(), link);
             it != std::sregex_iterator() && links < 30; ++it, ++links) {
            EXPECT_NE(it->str(0).find("target=\"_blank\""), std::string::npos) << it->str(0);
            const std::string url = (*it)[1];
            ASSERT_EQ(url.rfind(SharedBase(), 0), 0u) << url;
            auto target = RawGet(port, PathOf(url));
            if (target.status == 302)
                target = RawGet(port, PathOf(target.headers["location"]));
            EXPECT_EQ(target.status, 200) << url;
        }
        EXPECT_GT(links, 10u) << page;
    }
    const auto huodong = RawGet(port, "/taobao/III/huodong.html");
    EXPECT_NE(huodong.body.find("热门活动"), std::string::npos);
    const std::regex img("<img src=\"([^\"]+)\"");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(huodong.body, m, img));
    EXPECT_TRUE(IsPng(RawGet(port, PathOf(m[1])))) << m[1];
}

TEST(Pages, ClickLinksLeadToItemAndShopPages)
{
    const auto& c = SharedCatalog();
    const auto& item = c.Items()[123];
    const auto& seller = c.Sellers()[item.seller];
    const int port = SharedServer().Port();
    const auto click = RawGet(port, "/click.htm?id=" + std::to_string(item.row.num_iid));
    ASSERT_EQ(click.status, 302);
    const auto page = RawGet(port, PathOf(click.headers.at("location")));
    ASSERT_EQ(page.status, 200);
    EXPECT_NE(page.body.find(item.row.title), std::string::npos);

    const auto shopClick = RawGet(port, "/click.htm?sid=" + std::to_string(seller.row.id));
    ASSERT_EQ(shopClick.status, 302);
    const auto shop = RawGet(port, PathOf(shopClick.headers.at("location")) + "&page=99999999999999");
    ASSERT_EQ(shop.status, 200);
    EXPECT_NE(shop.body.find(seller.row.nick), std::string::npos);

    for (const char* bad : {"/click.htm", "/click.htm?id=1", "/item.htm?id=x", "/shop.htm?sid=%zz",
                            "/list.htm?cid=-1", "/no/such/page", "/taobao/nothing.php"}) {
        const auto r = RawGet(port, bad);
        EXPECT_EQ(r.status, 404) << bad;
        EXPECT_NE(r.body.find("<html"), std::string::npos) << bad;
    }
    EXPECT_EQ(RawGet(port, "/list.htm?cid=35&page=2").status, 200);
}
