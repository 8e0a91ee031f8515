#include "Taobaoke_Items_Convert.h"

#include "Request.h"

bool TTaobaoke_Items_Convert::Fetch(const Tbk_Items_Convert_Cond& cond,
                                    const Tbk_Items_Convert_Info& names,
                                    const ATbk_Items_Convert_Info*& results)
{
    return FetchInto(*this, cond, names, results);
}

bool TTaobaoke_Items_Convert::CondValid() const
{
    return !Cond.pid.empty() && !Cond.url.empty() && !Cond.num_iids.empty();
}

void TTaobaoke_Items_Convert::ApplyDefaults() { FillDefaultNames(Names, TbkItemSlots()); }

std::string TTaobaoke_Items_Convert::BuildUrlAt(std::int32_t stamp)
{
    const std::string stampText = std::to_string(stamp);
    std::string q = FieldList(Names, TbkItemSlots());
    q += "&stamp=" + stampText;
    q += "&pid=" + Cond.pid + "&num_iids=" + Cond.num_iids;
    return AssembleUrl(Cond.url, q, MakeSign(Cond.pid, stampText, Cond.num_iids));
}

void TTaobaoke_Items_Convert::ClearResults() { ClearTbkRecords(Results); }

void TTaobaoke_Items_Convert::ParseReply()
{
    ClearResults();
    ReadTbkItems(XmlDoc, Names, Results);
}
