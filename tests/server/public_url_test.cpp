// --public-url: every absolute address the server writes starts with it, so
// the server can sit behind a reverse proxy that answers on another address.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>

#include "ServerFixture.h"
#include "ServerProcess.h"
#include "data.h"

namespace {

const std::string kPublic = "https://shop.example.com/pallido/";

// Every http(s) address in `body`.
std::vector<std::string> Addresses(const std::string& body)
{
    static const std::regex kUrl(R"(https?://[^"<>\s]+)");
    std::vector<std::string> out;
    for (auto it = std::sregex_iterator(body.begin(), body.end(), kUrl); it != std::sregex_iterator(); ++it)
        out.push_back(it->str());
    return out;
}

} // namespace

TEST(PublicUrl, EveryKindOfAddress)
{
    const std::string archive = TestTempPath("public.zip");
    std::ofstream(archive, std::ios::binary) << "PK archive";
    std::ofstream(archive + ".minisig", std::ios::binary) << "signature";
    TServerOptions options;
    options.port = 0;
    options.quiet = true;
    options.publicUrl = kPublic;
    options.updateArchive = archive;
    TPublisherServer server(SharedCatalog(), options);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    const int port = server.Port();
    EXPECT_EQ(server.BaseUrl(), kPublic);

    const auto& item = SharedCatalog().Items()[0];
    const std::string id = std::to_string(item.row.num_iid);
    const std::string nick = SharedCatalog().Sellers()[item.seller].row.nick;
    const std::string tbkFields = "title,pic_url,click_url,shop_click_url";
    const std::vector<std::pair<std::string, std::size_t>> targets = {
        // target, the least number of addresses in the reply
        {"/taobao/tbk_items.php?" + SignedQuery({{"fields", tbkFields}, {"keyword", "手机"}}, "手机"), 30},
        {"/taobao/tbk_items_convert.php?" + SignedQuery({{"fields", tbkFields}}, id + ",") +
             "&num_iids=" + id + ",",
         3},
        {"/taobao/tb_items.php?" + SignedQuery({{"fields", "title,pic_url,detail_url"}, {"nicks", nick}}, nick), 2},
        {"/taobao/III/OK/ok_list.php?pid=" + std::string(kPid), 1},
        {"/item.htm?id=" + id, 3},
        {"/shop.htm?sid=" + std::to_string(SharedCatalog().Sellers()[item.seller].row.id), 3},
        {"/list.htm?cid=" + std::to_string(item.row.cid), 3},
        {"/taobao/III/pindao.html", 10},
        {"/taobao/III/huodong.html", 10},
        {"/", 3},
        {"/no-such-page", 1},
    };
    for (const auto& [target, least] : targets) {
        const auto reply = RawGet(port, target);
        const auto addresses = Addresses(reply.body);
        EXPECT_GE(addresses.size(), least) << target;
        for (const auto& a : addresses)
            EXPECT_EQ(a.rfind(kPublic, 0), 0u) << target << ": " << a;
    }
    const auto item_page = RawGet(port, "/item.htm?id=" + id).body;
    EXPECT_NE(item_page.find(kPublic + "newrank/"), std::string::npos) << "credit pictures";
    EXPECT_NE(item_page.find(kPublic + "bao/uploaded/"), std::string::npos) << "item pictures";

    const auto redirect = RawGet(port, "/click.htm?id=" + id);
    EXPECT_EQ(redirect.status, 302);
    EXPECT_EQ(redirect.headers.at("location"), kPublic + "item.htm?id=" + id);

    // The update archive and its signature: announced under the public
    // address, served at the same path here.
    const auto info = RawGet(port, "/taobao/III/OK/ok_list.php?pid=" + std::string(kPid)).body;
    EXPECT_NE(info.find("update_url=" + kPublic + "update/pallido-update.zip\r\n"), std::string::npos);
    EXPECT_EQ(RawGet(port, "/pallido/update/pallido-update.zip").status, 404)
        << "the proxy strips its own prefix";
    EXPECT_EQ(RawGet(port, "/update/pallido-update.zip").body, "PK archive");
    EXPECT_EQ(RawGet(port, "/update/pallido-update.zip.minisig").body, "signature");
    server.Stop();
    std::remove(archive.c_str());
    std::remove((archive + ".minisig").c_str());
}
