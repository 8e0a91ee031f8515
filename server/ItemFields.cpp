#include "ItemFields.h"

#include <array>
#include <ctime>
#include <utility>

#include "Values.h"

namespace {

using F = TItemField;

struct TName {
    std::string_view name;
    F field;
    bool affiliate;
    bool marketplace;
};

constexpr std::array<TName, 47> kNames = {{
    {"nick", F::nick, true, true},
    {"title", F::title, true, true},
    {"price", F::price, true, true},
    {"pic_url", F::pic_url, true, true},
    {"num_iid", F::num_iid, true, true},
    {"click_url", F::click_url, true, false},
    {"commission", F::commission, true, false},
    {"commission_num", F::commission_num, true, false},
    {"commission_rate", F::commission_rate, true, false},
    {"commission_volume", F::commission_volume, true, false},
    {"shop_click_url", F::shop_click_url, true, false},
    {"seller_credit_score", F::seller_credit_score, true, false},
    {"item_location", F::item_location, true, false},
    {"volume", F::volume, true, true},
    {"cid", F::cid, false, true},
    {"num", F::num, false, true},
    {"desc", F::desc, false, true},
    {"type", F::type, false, true},
    {"is_ex", F::is_ex, false, true},
    {"is_3D", F::is_3D, false, true},
    {"props", F::props, false, true},
    {"ems_fee", F::ems_fee, false, true},
    {"location", F::location, false, true},
    {"modified", F::modified, false, true},
    {"post_fee", F::post_fee, false, true},
    {"list_time", F::list_time, false, true},
    {"is_taobao", F::is_taobao, false, true},
    {"is_timing", F::is_timing, false, true},
    {"input_str", F::input_str, false, true},
    {"detail_url", F::detail_url, false, true},
    {"input_pids", F::input_pids, false, true},
    {"is_virtual", F::is_virtual, false, true},
    {"postage_id", F::postage_id, false, true},
    {"valid_thru", F::valid_thru, false, true},
    {"one_station", F::one_station, false, true},
    {"delist_time", F::delist_time, false, true},
    {"seller_cids", F::seller_cids, false, true},
    {"express_fee", F::express_fee, false, true},
    {"has_invoice", F::has_invoice, false, true},
    {"has_showcase", F::has_showcase, false, true},
    {"stuff_status", F::stuff_status, false, true},
    {"has_discount", F::has_discount, false, true},
    {"has_warranty", F::has_warranty, false, true},
    {"auction_point", F::auction_point, false, true},
    {"freight_payer", F::freight_payer, false, true},
    {"property_alias", F::property_alias, false, true},
    {"approve_status", F::approve_status, false, true},
}};

std::string_view NameOf(F field)
{
    for (const auto& n : kNames)
        if (n.field == field)
            return n.name;
    return {};
}

// A stable per-item number for the fields that only dress up a reply.
std::uint64_t Mix(std::int64_t id)
{
    std::uint64_t z = static_cast<std::uint64_t>(id) * 0x9e3779b97f4a7c15ULL;
    z = (z ^ (z >> 31)) * 0xbf58476d1ce4e5b9ULL;
    return z ^ (z >> 29);
}

const char* Bool(bool b) { return b ? "true" : "false"; }

} // namespace

TItemFields::TItemFields(const TCatalog& catalog, std::string baseUrl)
    : catalog_(catalog), base_(std::move(baseUrl))
{
}

std::vector<TItemField> TItemFields::Select(std::string_view list, TKind kind)
{
    std::vector<TItemField> out;
    for (const auto part : SplitList(list)) {
        for (const auto& n : kNames) {
            if (n.name != part)
                continue;
            if (kind == TKind::Affiliate ? !n.affiliate : !n.marketplace)
                break;
            bool seen = false;
            for (F f : out)
                seen = seen || f == n.field;
            if (!seen)
                out.push_back(n.field);
            break;
        }
    }
    return out;
}

std::string TItemFields::PicUrl(const TCatalog::TItem& item) const
{
    if (!item.row.pic_url.empty())
        return item.row.pic_url;
    const std::int64_t id = item.row.num_iid;
    return base_ + "bao/uploaded/i" + std::to_string(id % 4 + 1) + "/" + std::to_string(id) + ".jpg";
}

std::string TItemFields::ClickUrl(const TCatalog::TItem& item) const
{
    if (!item.row.click_url.empty())
        return item.row.click_url;
    return base_ + "click.htm?id=" + std::to_string(item.row.num_iid);
}

std::string TItemFields::ShopClickUrl(const TCatalog::TSeller& seller) const
{
    if (!seller.row.shop_url.empty())
        return seller.row.shop_url;
    return base_ + "click.htm?sid=" + std::to_string(seller.row.id);
}

std::string TItemFields::DetailUrl(const TCatalog::TItem& item) const
{
    return base_ + "item.htm?id=" + std::to_string(item.row.num_iid);
}

void TItemFields::Write(TXmlWriter& w, TItemField field, const TCatalog::TItem& item,
                        const std::string* title) const
{
    const std::string_view name = NameOf(field);
    if (field == F::title && title) {
        w.Element(name, *title);
        return;
    }
    if (field == F::location) {
        const auto& s = catalog_.Sellers()[item.seller].row;
        w.Open(name);
        w.Element("city", s.city);
        w.Element("state", s.state);
        w.Close();
        return;
    }
    w.Element(name, Value(field, item));
}

std::string TItemFields::Value(TItemField field, const TCatalog::TItem& item) const
{
    const auto& r = item.row;
    const auto& seller = catalog_.Sellers()[item.seller];
    const std::uint64_t h = Mix(r.num_iid);
    const bool sellerPays = r.auto_send || h % 3 == 0;
    switch (field) {
    case F::nick: return seller.row.nick;
    case F::title: return r.title;
    case F::price: return FormatHundredths(r.price);
    case F::pic_url: return PicUrl(item);
    case F::num_iid: return std::to_string(r.num_iid);
    case F::click_url: return ClickUrl(item);
    case F::commission: return FormatHundredths(item.commission);
    case F::commission_num: return std::to_string(r.commission_num);
    case F::commission_rate: return FormatHundredths(r.commission_rate * 100);
    case F::commission_volume: return FormatHundredths(item.commissionVolume);
    case F::shop_click_url: return ShopClickUrl(seller);
    case F::seller_credit_score: return std::to_string(seller.row.credit_score);
    case F::item_location: return r.item_location.empty() ? seller.location : r.item_location;
    case F::volume: return std::to_string(r.volume);
    case F::cid: return std::to_string(r.cid);
    case F::num: return std::to_string(r.stock);
    case F::desc:
        return r.title + "。" + catalog_.Categories()[item.category].row.name + "，" +
               seller.row.nick + "出品，正品保证，欢迎选购。";
    case F::type: return "fixed";
    case F::is_ex: return "true";
    case F::is_3D: return "false";
    case F::props: return "20000:" + std::to_string(h % 90000 + 10000);
    case F::ems_fee: return sellerPays ? "0.00" : "20.00";
    case F::location: return seller.location;
    case F::modified: return FormatTime(r.list_time + static_cast<std::int64_t>(h % 172800));
    case F::post_fee: return sellerPays ? "0.00" : "10.00";
    case F::list_time: return FormatTime(r.list_time);
    case F::is_taobao: return "true";
    case F::is_timing: return "false";
    case F::input_str: return "";
    case F::detail_url: return DetailUrl(item);
    case F::input_pids: return "";
    case F::is_virtual: return Bool(r.auto_send);
    case F::postage_id: return "0";
    case F::valid_thru: return "7";
    case F::one_station: return "false";
    case F::delist_time: return FormatTime(item.delistTime);
    case F::seller_cids: return "";
    case F::express_fee: return sellerPays ? "0.00" : "15.00";
    case F::has_invoice: return Bool(h % 2 == 0);
    case F::has_showcase: return Bool(h % 5 == 0);
    case F::stuff_status: return "new";
    case F::has_discount: return Bool(h % 3 == 1);
    case F::has_warranty: return Bool(r.guarantee);
    case F::auction_point: return "0";
    case F::freight_payer: return sellerPays ? "seller" : "buyer";
    case F::property_alias: return "";
    case F::approve_status: return "onsale";
    }
    return {};
}

std::string FormatTime(std::int64_t seconds)
{
    // Shown in Beijing time (UTC+8), as the marketplace did.
    const std::time_t t = static_cast<std::time_t>(seconds + 8 * 3600);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    return buf;
}
