#include "Taobao_Itemcats.h"

#include "Request.h"

namespace {

using Info = Tb_Itemcats_Info;
const std::array<TSlot<Info>, 6> kSlots = {{{&Info::cid, "cid"},
                                             {&Info::name, "name"},
                                             {&Info::status, "status"},
                                             {&Info::is_parent, "is_parent"},
                                             {&Info::sort_order, "sort_order"},
                                             {&Info::parent_cid, "parent_cid"}}};

} // namespace

bool TTaobao_Itemcats::Fetch(const Tb_Itemcats_Cond& cond, const Tb_Itemcats_Info& names,
                             const ATb_Itemcats_Info*& results)
{
    return FetchInto(*this, cond, names, results);
}

bool TTaobao_Itemcats::CondValid() const
{
    return !Cond.pid.empty() && !Cond.url.empty() && (!Cond.cids.empty() || !Cond.parent_cid.empty());
}

void TTaobao_Itemcats::ApplyDefaults() { FillDefaultNames(Names, kSlots); }

std::string TTaobao_Itemcats::BuildUrlAt(std::int32_t stamp)
{
    const std::string stampText = std::to_string(stamp);
    std::string q = FieldList(Names, kSlots);
    if (!Cond.cids.empty())
        q += "&cids=" + Cond.cids;
    if (!Cond.parent_cid.empty())
        q += "&parent_cid=" + Cond.parent_cid;
    q += "&stamp=" + stampText;
    q += "&pid=" + Cond.pid;
    return AssembleUrl(Cond.url, q, MakeSign(Cond.pid, stampText, Cond.cids + Cond.parent_cid));
}

void TTaobao_Itemcats::ClearResults() { ClearRecords(Results, kSlots); }

void TTaobao_Itemcats::ParseReply()
{
    ClearResults();
    ReadItems(XmlDoc, "item_cats", Names, Results, kSlots);
}
