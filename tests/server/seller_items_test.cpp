// A seller's items (marketplace item search) page by page, and the link
// conversion of a page of them, through the service layer's clients.

#include <gtest/gtest.h>

#include <cstdlib>

#include "ServerFixture.h"
#include "Taobao_Items.h"
#include "Taobaoke_Items.h"
#include "Taobaoke_Items_Convert.h"
#include "codepage.h"
#include "data.h"

namespace {

const TCatalog::TSeller& BigSeller()
{
    const TCatalog::TSeller* best = nullptr;
    for (const auto& s : SharedCatalog().Sellers())
        if (s.items.size() > 80 && s.items.size() % 40 != 0 && (!best || s.row.id < best->row.id))
            best = &s;
    return *best;
}

struct TPage {
    bool ok = false;
    std::vector<Tb_Items_Info> rows;
};

// As the seller page asks: nick, page, order "volume", the desc slot named "no".
TPage SellerPage(const std::string& nickUtf8, int page)
{
    TTaobao_Items client;
    Tb_Items_Cond cond;
    cond.pid = kPid;
    cond.url = SharedBase() + "taobao/tb_items.php";
    cond.nicks = Utf8ToAnsi(nickUtf8);
    cond.page_no = std::to_string(page);
    cond.order_by = "volume";
    Tb_Items_Info names;
    names.desc = "no";
    const ATb_Items_Info* results = nullptr;
    TPage p;
    p.ok = client.Fetch(cond, names, results);
    if (p.ok)
        for (const auto& r : *results)
            if (!r.title.empty())
                p.rows.push_back(r);
    return p;
}

} // namespace

TEST(SellerItems, PageByPageBestSellingFirst)
{
    const auto& seller = BigSeller();
    const std::size_t count = seller.items.size();
    const int pages = static_cast<int>((count + 39) / 40);
    ASSERT_GE(pages, 3);
    std::vector<Tb_Items_Info> all;
    for (int page = 1; page <= pages + 1; ++page) {
        const auto p = SellerPage(seller.row.nick, page);
        ASSERT_TRUE(p.ok) << page;
        const std::size_t want = page < pages ? 40 : page == pages ? count - 40 * (pages - 1) : 0;
        EXPECT_EQ(p.rows.size(), want) << page;
        for (const auto& r : p.rows) {
            EXPECT_EQ(r.total_results, std::to_string(count));
            EXPECT_EQ(AnsiToUtf8(r.nick), seller.row.nick);
            EXPECT_TRUE(r.desc.empty()) << "no element named 'no' is written";
            EXPECT_EQ(AnsiToUtf8(r.state), seller.row.state);
            EXPECT_EQ(AnsiToUtf8(r.city), seller.row.city);
            EXPECT_TRUE(r.location.empty());
            EXPECT_FALSE(r.pic_url.empty());
            EXPECT_FALSE(r.detail_url.empty());
            EXPECT_EQ(r.approve_status, "onsale");
        }
        all.insert(all.end(), p.rows.begin(), p.rows.end());
    }
    ASSERT_EQ(all.size(), count);
    for (std::size_t i = 1; i < all.size(); ++i)
        EXPECT_GE(std::atol(all[i - 1].volume.c_str()), std::atol(all[i].volume.c_str()));

    // The same items as the affiliate search shows them.
    const auto& c = SharedCatalog();
    for (std::size_t i = 0; i < all.size(); i += 17) {
        const auto* item = c.FindItem(std::atoll(all[i].num_iid.c_str()));
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(AnsiToUtf8(all[i].title), item->row.title);
        TTaobaoke_Items tbk;
        Tbk_Items_Cond cond;
        cond.pid = kPid;
        cond.url = SharedBase() + "taobao/tbk_items.php";
        cond.keyword = all[i].title;
        cond.cid = std::to_string(item->row.cid);
        const ATbk_Items_Info* rows = nullptr;
        ASSERT_TRUE(tbk.Fetch(cond, Tbk_Items_Info{}, rows));
        bool found = false;
        for (const auto& r : *rows)
            found = found || (r.num_iid == all[i].num_iid && r.price == all[i].price &&
                              r.nick == all[i].nick);
        EXPECT_TRUE(found) << all[i].num_iid;
    }
}

TEST(SellerItems, RequestedFieldsOnlyAndNicksExact)
{
    const auto& seller = BigSeller();
    const std::string q = SignedQuery(
        {{"fields", "num_iid,no,title,location"}, {"nicks", seller.row.nick}, {"order_by", "volume"}},
        seller.row.nick + "volume");
    const auto reply = RawGet(SharedServer().Port(), "/taobao/tb_items.php?" + q);
    ASSERT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body.find("<desc>"), std::string::npos);
    EXPECT_EQ(reply.body.find("<no>"), std::string::npos);
    EXPECT_EQ(reply.body.find("<price>"), std::string::npos);
    EXPECT_NE(reply.body.find("<location><city>"), std::string::npos);

    // Nicks are compared exactly: letter case matters.
    EXPECT_EQ(SellerPage("Coco小铺", 1).rows.size(), SharedCatalog().FindSeller("Coco小铺")->items.size() > 40
                                                         ? 40u
                                                         : SharedCatalog().FindSeller("Coco小铺")->items.size());
    for (const auto& r : SellerPage("coco小铺", 1).rows)
        EXPECT_EQ(AnsiToUtf8(r.nick), "coco小铺");
    const auto nobody = SellerPage("没有这个卖家", 1);
    EXPECT_TRUE(nobody.ok);
    EXPECT_TRUE(nobody.rows.empty());
}

TEST(Convert, FortyIdsWithATrailingComma)
{
    const auto& c = SharedCatalog();
    const auto& seller = BigSeller();
    std::string ids;
    std::vector<std::string> want;
    for (std::size_t i = 0; i < 40; ++i) {
        want.push_back(std::to_string(c.Items()[seller.items[i]].row.num_iid));
        ids += want.back() + ",";
    }
    TTaobaoke_Items_Convert client;
    Tbk_Items_Convert_Cond cond{kPid, SharedBase() + "taobao/tbk_items_convert.php", ids};
    const ATbk_Items_Convert_Info* rows = nullptr;
    ASSERT_TRUE(client.Fetch(cond, Tbk_Items_Convert_Info{}, rows));
    for (std::size_t i = 0; i < 40; ++i) {
        EXPECT_EQ((*rows)[i].num_iid, want[i]);
        EXPECT_EQ((*rows)[i].total_results, "40");
        EXPECT_EQ((*rows)[i].click_url, SharedBase() + "click.htm?id=" + want[i]);
        EXPECT_EQ(AnsiToUtf8((*rows)[i].nick), seller.row.nick);
    }
    EXPECT_TRUE((*rows)[40].num_iid.empty());

    // Unknown ids are left out; more than forty ids convert the first forty.
    cond.num_iids = "1," + want[0] + ",2,";
    ASSERT_TRUE(client.Fetch(cond, Tbk_Items_Convert_Info{}, rows));
    EXPECT_EQ((*rows)[0].num_iid, want[0]);
    EXPECT_TRUE((*rows)[1].num_iid.empty());
    std::string many;
    for (std::size_t i = 0; i < 60; ++i)
        many += std::to_string(c.Items()[i].row.num_iid) + ",";
    cond.num_iids = many;
    ASSERT_TRUE(client.Fetch(cond, Tbk_Items_Convert_Info{}, rows));
    EXPECT_EQ((*rows)[0].total_results, "40");
    EXPECT_FALSE((*rows)[39].num_iid.empty());
    EXPECT_TRUE((*rows)[40].num_iid.empty());

    cond.num_iids = "12a,";
    EXPECT_FALSE(client.Fetch(cond, Tbk_Items_Convert_Info{}, rows));
    cond.num_iids = ",";
    EXPECT_FALSE(client.Fetch(cond, Tbk_Items_Convert_Info{}, rows)) << "no id at all";
}
