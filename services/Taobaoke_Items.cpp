#include "Taobaoke_Items.h"

#include "Request.h"
#include "codepage.h"

namespace {
using Info = Tbk_Items_Info;
} // namespace

const std::array<TSlot<Tbk_Items_Info>, 14>& TbkItemSlots()
{
    static const std::array<TSlot<Info>, 14> table = {{{&Info::nick, "nick"},
                                                        {&Info::title, "title"},
                                                        {&Info::price, "price"},
                                                        {&Info::pic_url, "pic_url"},
                                                        {&Info::num_iid, "num_iid"},
                                                        {&Info::click_url, "click_url"},
                                                        {&Info::commission, "commission"},
                                                        {&Info::commission_num, "commission_num"},
                                                        {&Info::commission_rate, "commission_rate"},
                                                        {&Info::commission_volume, "commission_volume"},
                                                        {&Info::shop_click_url, "shop_click_url"},
                                                        {&Info::seller_credit_score, "seller_credit_score"},
                                                        {&Info::item_location, "item_location"},
                                                        {&Info::volume, "volume"}}};
    return table;
}

bool TTaobaoke_Items::Fetch(const Tbk_Items_Cond& cond, const Tbk_Items_Info& names,
                            const ATbk_Items_Info*& results)
{
    return FetchInto(*this, cond, names, results);
}

bool TTaobaoke_Items::CondValid() const
{
    return !Cond.pid.empty() && !Cond.url.empty() && (!Cond.cid.empty() || !Cond.keyword.empty());
}

void TTaobaoke_Items::ApplyDefaults()
{
    FillDefaultNames(Names, TbkItemSlots());
    Cond.area = AnsiToUtf8(Cond.area);
    Cond.keyword = AnsiToUtf8(Cond.keyword);
}

std::string TTaobaoke_Items::BuildUrlAt(std::int32_t stamp)
{
    const Tbk_Items_Cond& c = Cond;
    const std::string stampText = std::to_string(stamp);
    std::string q = FieldList(Names, TbkItemSlots());
    AppendParam(q, "cid", c.cid);
    AppendParam(q, "auto_send", c.auto_send);
    if (!c.area.empty())
        q += "&area=" + PercentEncode(c.area);
    AppendParam(q, "sort", c.sort);
    AppendParam(q, "start_commissionNum", c.start_commissionNum);
    AppendParam(q, "end_commissionNum", c.end_commissionNum);
    AppendParam(q, "start_commissionRate", c.start_commissionRate);
    AppendParam(q, "end_commissionRate", c.end_commissionRate);
    if (c.keyword != "keyword")
        q += "&keyword=" + PercentEncode(c.keyword);
    AppendParam(q, "start_price", c.start_price);
    AppendParam(q, "end_price", c.end_price);
    AppendParam(q, "page_no", c.page_no);
    AppendParam(q, "start_credit", c.start_credit);
    AppendParam(q, "end_credit", c.end_credit);
    AppendParam(q, "guarantee", c.guarantee);
    q += "&stamp=" + stampText;
    q += "&pid=" + c.pid;

    const std::string input = c.cid + c.area + c.sort + c.keyword + c.page_no + c.auto_send +
                              c.end_price + c.guarantee + c.end_credit + c.start_price +
                              c.start_credit + c.end_commissionNum + c.end_commissionRate +
                              c.start_commissionNum + c.start_commissionRate;
    return AssembleUrl(c.url, q, MakeSign(c.pid, stampText, input));
}

void TTaobaoke_Items::ClearResults() { ClearTbkRecords(Results); }

void TTaobaoke_Items::ParseReply()
{
    ClearResults();
    ReadTbkItems(XmlDoc, Names, Results);
}
