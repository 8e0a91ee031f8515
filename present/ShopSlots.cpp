#include "ShopSlots.h"

#include <algorithm>
#include <vector>

#include "PageCount.h"
#include "SellerList.h"
#include "data.h"

namespace {

void AppendHex2(std::string& out, int value)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const int v = std::clamp(value, 0, 255);
    out.push_back(kDigits[v >> 4]);
    out.push_back(kDigits[v & 15]);
}

} // namespace

std::string ColorToHtml(int red, int green, int blue)
{
    std::string out = "#";
    AppendHex2(out, red);
    AppendHex2(out, green);
    AppendHex2(out, blue);
    out.push_back(' ');
    return out;
}

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

int ShopPageCount(const std::string& totalResults)
{
    return CountPages(totalResults, kShopPageItems, kMaxShopPages);
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

TLinkDecision ClassifyLink(std::string_view address)
{
    TLinkDecision d;
    if (address.size() < 2)
        return d;
    const std::string_view tail = address.substr(address.size() - 2);
    if (tail == "nk") {
        d.proceed = true;
        return d;
    }
    if (tail[0] < '0' || tail[0] > '9' || tail[1] < '0' || tail[1] > '9')
        return d;
    const int n = (tail[0] - '0') * 10 + (tail[1] - '0');
    if (n < kShopPageItems)
        d.index = n;
    return d;
}
