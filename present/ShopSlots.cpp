#include "ShopSlots.h"

#include <algorithm>
#include <vector>

#include "PageCount.h"
#include "SellerList.h"
#include "data.h"

void ClearShopItems(SHOP_ITEM& shop)
{
    for (ITEM& item : shop.items)
        item = ITEM{};
}

void ClearShopSlots(TShopSlots& shops)
{
    for (SHOP_ITEM& shop : shops) {
        shop.page_no = 1;
        shop.nick.clear();
        ClearShopItems(shop);
    }
}

std::string BuildSellerList(const TResultRows& rows, TShopSlots& shops, const std::string& color)
{
    ClearShopSlots(shops);
    std::vector<std::string> seen;
    int k = 0;
    std::string page = SellerListHead(color);
    for (const Tbk_Items_Info& row : rows) {
        if (row.nick.empty())
            break;
        if (std::find(seen.begin(), seen.end(), row.nick) != seen.end())
            continue;
        SHOP_ITEM& shop = shops[static_cast<std::size_t>(k)];
        shop.nick = row.nick;
        shop.shop_url = row.shop_click_url;
        shop.credit_pic = CreditPictureUrl(row.seller_credit_score);
        shop.location = row.item_location;
        AppendSellerBlock(page, k, shop.nick, shop.location, shop.credit_pic);
        seen.push_back(row.nick);
        ++k;
    }
    page.append("</body>");
    return page;
}

void StoreShopItems(SHOP_ITEM& shop, const ATb_Items_Info& rows)
{
    ClearShopItems(shop);
    for (std::size_t i = 0; i < kShopPageItems && !rows[i].title.empty(); ++i) {
        ITEM& item = shop.items[i];
        item.title = rows[i].title;
        item.price = rows[i].price;
        item.pic_url = rows[i].pic_url;
        item.num_iid = rows[i].num_iid;
        item.volume = rows[i].volume;
    }
    shop.page_count = ShopPageCount(rows[0].total_results);
}

bool ShopPageConverted(const SHOP_ITEM& shop) { return !shop.items[0].click_url.empty(); }

std::string ConvertIdList(const SHOP_ITEM& shop)
{
    std::string ids;
    for (std::size_t i = 0; i < kShopPageItems; ++i) {
        if (shop.items[i].title.empty())
            continue;
        ids.append(shop.items[i].num_iid);
        ids.push_back(',');
    }
    return ids;
}

void StoreConvertedLinks(SHOP_ITEM& shop, const ATbk_Items_Convert_Info& rows)
{
    const std::size_t rowCount = std::min<std::size_t>(rows.size(), kShopPageItems);
    for (std::size_t i = 0; i < kShopPageItems; ++i) {
        ITEM& item = shop.items[i];
        if (item.title.empty())
            continue;
        for (std::size_t r = 0; r < rowCount && !rows[r].num_iid.empty(); ++r) {
            if (rows[r].num_iid == item.num_iid) {
                item.click_url = rows[r].click_url;
                break;
            }
        }
    }
}
