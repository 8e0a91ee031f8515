#include "Taobao_Items.h"

#include "Request.h"
#include "codepage.h"

namespace {

using Info = Tb_Items_Info;

// The slots named in the request's field list, in the order they are listed.
const std::array<TSlot<Info>, 39> kListed = {{
    {&Info::volume, "volume"},
    {&Info::cid, "cid"},
    {&Info::num, "num"},
    {&Info::desc, "desc"},
    {&Info::nick, "nick"},
    {&Info::title, "title"},
    {&Info::type, "type"},
    {&Info::is_ex, "is_ex"},
    {&Info::is_3D, "is_3D"},
    {&Info::price, "price"},
    {&Info::props, "props"},
    {&Info::ems_fee, "ems_fee"},
    {&Info::num_iid, "num_iid"},
    {&Info::pic_url, "pic_url"},
    {&Info::location, "location"},
    {&Info::modified, "modified"},
    {&Info::post_fee, "post_fee"},
    {&Info::list_time, "list_time"},
    {&Info::is_taobao, "is_taobao"},
    {&Info::is_timing, "is_timing"},
    {&Info::input_str, "input_str"},
    {&Info::detail_url, "detail_url"},
    {&Info::input_pids, "input_pids"},
    {&Info::is_virtual, "is_virtual"},
    {&Info::postage_id, "postage_id"},
    {&Info::valid_thru, "valid_thru"},
    {&Info::one_station, "one_station"},
    {&Info::delist_time, "delist_time"},
    {&Info::seller_cids, "seller_cids"},
    {&Info::express_fee, "express_fee"},
    {&Info::has_invoice, "has_invoice"},
    {&Info::has_showcase, "has_showcase"},
    {&Info::stuff_status, "stuff_status"},
    {&Info::has_discount, "has_discount"},
    {&Info::has_warranty, "has_warranty"},
    {&Info::auction_point, "auction_point"},
    {&Info::freight_payer, "freight_payer"},
    {&Info::property_alias, "property_alias"},
    {&Info::approve_status, "approve_status"},
}};

// Read from the item itself: every listed slot except `location`.
std::array<TSlot<Info>, 38> ItemSlots()
{
    std::array<TSlot<Info>, 38> out{};
    std::size_t n = 0;
    for (const auto& s : kListed)
        if (s.field != &Info::location)
            out[n++] = s;
    return out;
}
const std::array<TSlot<Info>, 38> kItemSlots = ItemSlots();

// Read from the item's "location" element.
const std::array<TSlot<Info>, 2> kLocationSlots = {{{&Info::city, "city"}, {&Info::state, "state"}}};

// Every slot that carries a value, for clearing.
const std::array<TSlot<Info>, 42> kAllSlots = [] {
    std::array<TSlot<Info>, 42> out{};
    std::size_t n = 0;
    for (const auto& s : kListed)
        out[n++] = s;
    out[n++] = kLocationSlots[0];
    out[n++] = kLocationSlots[1];
    out[n++] = {&Info::total_results, ""};
    return out;
}();

} // namespace

bool TTaobao_Items::Fetch(const Tb_Items_Cond& cond, const Tb_Items_Info& names,
                          const ATb_Items_Info*& results)
{
    return FetchInto(*this, cond, names, results);
}

bool TTaobao_Items::CondValid() const
{
    return !Cond.pid.empty() && !Cond.url.empty() &&
           (!Cond.q.empty() || !Cond.cid.empty() || !Cond.nicks.empty());
}

void TTaobao_Items::ApplyDefaults()
{
    FillDefaultNames(Names, kListed);
    FillDefaultNames(Names, kLocationSlots);
    Cond.q = AnsiToUtf8(Cond.q);
    Cond.nicks = AnsiToUtf8(Cond.nicks);
}

std::string TTaobao_Items::BuildUrlAt(std::int32_t stamp)
{
    const Tb_Items_Cond& c = Cond;
    const std::string stampText = std::to_string(stamp);
    std::string q = FieldList(Names, kListed);
    if (!c.q.empty())
        q += "&q=" + PercentEncode(c.q);
    if (!c.nicks.empty())
        q += "&nicks=" + PercentEncode(c.nicks);
    AppendParam(q, "cid", c.cid);
    AppendParam(q, "start_price", c.start_price);
    AppendParam(q, "end_price", c.end_price);
    AppendParam(q, "page_no", c.page_no);
    AppendParam(q, "order_by", c.order_by);
    q += "&stamp=" + stampText;
    q += "&pid=" + c.pid;
    const std::string input = c.q + c.nicks + c.cid + c.start_price + c.end_price + c.page_no +
                              c.order_by;
    return AssembleUrl(c.url, q, MakeSign(c.pid, stampText, input));
}

void TTaobao_Items::ClearResults() { ClearRecords(Results, kAllSlots); }

void TTaobao_Items::ParseReply()
{
    ClearResults();
    const auto items = ReadItems(XmlDoc, "items", Names, Results, kItemSlots);
    if (items.empty())
        return;
    const std::string total =
        TXmlDoc::Text(TXmlDoc::FindChild(XmlDoc.DocumentElement(), "total_results"));
    for (std::size_t i = 0; i < items.size(); ++i) {
        const TXmlNode* loc = TXmlDoc::FindChild(items[i], "location");
        Results[i].city = TXmlDoc::Text(TXmlDoc::FindChild(loc, Names.city));
        Results[i].state = TXmlDoc::Text(TXmlDoc::FindChild(loc, Names.state));
        Results[i].total_results = total;
    }
}
