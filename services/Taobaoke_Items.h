#pragma once
// Affiliate item search client.

#include "ServiceClient.h"

struct Tbk_Items_Info {
    std::string nick;
    std::string title;
    std::string price;
    std::string total_results; // derived: the document's total_results
    std::string pic_url;
    std::string num_iid;
    std::string click_url;
    std::string commission;
    std::string commission_num;
    std::string commission_rate;
    std::string commission_volume;
    std::string shop_click_url;
    std::string seller_credit_score;
    std::string item_location;
    std::string volume;

    bool operator==(const Tbk_Items_Info&) const = default;
};

struct Tbk_Items_Cond {
    std::string cid;
    std::string pid;
    std::string auto_send;
    std::string area;
    std::string url;
    std::string sort;
    std::string start_commissionNum;
    std::string end_commissionNum;
    std::string start_commissionRate;
    std::string end_commissionRate;
    std::string keyword;
    std::string start_price;
    std::string end_price;
    std::string page_no;
    std::string start_credit;
    std::string end_credit;
    std::string guarantee;
};

using ATbk_Items_Info = std::array<Tbk_Items_Info, 64>;

// The fourteen read slots of an affiliate item, in record order, shared with
// the link conversion client whose rows have the same shape.
const std::array<TSlot<Tbk_Items_Info>, 14>& TbkItemSlots();
// Clears every record of an affiliate reply: its read slots and total_results.
template <std::size_t N>
void ClearTbkRecords(std::array<Tbk_Items_Info, N>& results)
{
    ClearRecords(results, TbkItemSlots());
    for (auto& r : results)
        r.total_results.clear();
}
// The affiliate reply into cleared records: items of "taobaoke_items",
// total_results in every filled record.
template <std::size_t N>
void ReadTbkItems(const TXmlDoc& doc, const Tbk_Items_Info& names,
                  std::array<Tbk_Items_Info, N>& results)
{
    const auto items = ReadItems(doc, "taobaoke_items", names, results, TbkItemSlots());
    if (items.empty())
        return;
    const std::string total =
        TXmlDoc::Text(TXmlDoc::FindChild(doc.DocumentElement(), "total_results"));
    for (std::size_t i = 0; i < items.size(); ++i)
        results[i].total_results = total;
}

class TTaobaoke_Items : public TServiceClient {
public:
    bool Fetch(const Tbk_Items_Cond& cond, const Tbk_Items_Info& names,
               const ATbk_Items_Info*& results);
    bool CondValid() const;
    void ApplyDefaults();
    std::string BuildUrlAt(std::int32_t stamp) override;
    void ParseReply() override;
    void ClearResults();

    Tbk_Items_Info Names;
    Tbk_Items_Cond Cond;
    ATbk_Items_Info Results;

protected:
    const char* KeyElement() const override { return "total_results"; }
};
