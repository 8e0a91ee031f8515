#include "CatalogExport.h"

#include "CsvWriter.h"
#include "Values.h"

namespace {

const char* Bool(bool b) { return b ? "true" : "false"; }

} // namespace

std::string TCatalogExport::Categories() const
{
    TCsvWriter csv;
    csv.Row({"cid", "parent_cid", "name", "sort_order"});
    for (const auto& c : catalog_.Categories())
        csv.Row({std::to_string(c.row.cid), std::to_string(c.row.parent_cid), c.row.name,
                 std::to_string(c.row.sort_order)});
    return csv.Text();
}

std::string TCatalogExport::Sellers() const
{
    TCsvWriter csv;
    csv.Row({"nick", "credit_score", "location", "shop_url"});
    for (const auto& s : catalog_.Sellers())
        csv.Row({s.row.nick, std::to_string(s.row.credit_score), s.location, s.row.shop_url});
    return csv.Text();
}

std::string TCatalogExport::Items() const
{
    TCsvWriter csv;
    csv.Row({"num_iid", "title", "nick", "cid", "price", "pic_url", "click_url", "volume", "commission",
             "commission_rate", "commission_num", "commission_volume", "guarantee", "item_location",
             "auto_send", "stock", "list_time"});
    for (const auto& i : catalog_.Items()) {
        const auto& r = i.row;
        csv.Row({std::to_string(r.num_iid), r.title, catalog_.Sellers()[i.seller].row.nick,
                 std::to_string(r.cid), FormatHundredths(r.price), r.pic_url, r.click_url,
                 std::to_string(r.volume), FormatHundredths(i.commission),
                 FormatHundredths(r.commission_rate * 100), std::to_string(r.commission_num),
                 FormatHundredths(i.commissionVolume), Bool(r.guarantee), r.item_location,
                 Bool(r.auto_send), std::to_string(r.stock), std::to_string(r.list_time)});
    }
    return csv.Text();
}
