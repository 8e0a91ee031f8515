#pragma once
// Marketplace item search client: ordinary listings by words, nicks or category.

#include "ServiceClient.h"

struct Tb_Items_Info {
    std::string cid;
    std::string num;
    std::string city;  // from the item's "location" element
    std::string desc;
    std::string nick;
    std::string state; // from the item's "location" element
    std::string title;
    std::string type;
    std::string is_ex;
    std::string is_3D;
    std::string price;
    std::string props;
    std::string total_results; // derived: the document's total_results
    std::string volume;
    std::string ems_fee;
    std::string num_iid;
    std::string pic_url;
    std::string location; // listed in the request, never filled
    std::string modified;
    std::string post_fee;
    std::string list_time;
    std::string is_taobao;
    std::string is_timing;
    std::string input_str;
    std::string detail_url;
    std::string input_pids;
    std::string is_virtual;
    std::string postage_id;
    std::string valid_thru;
    std::string one_station;
    std::string delist_time;
    std::string seller_cids;
    std::string express_fee;
    std::string has_invoice;
    std::string has_showcase;
    std::string stuff_status;
    std::string has_discount;
    std::string has_warranty;
    std::string auction_point;
    std::string freight_payer;
    std::string property_alias;
    std::string approve_status;

    bool operator==(const Tb_Items_Info&) const = default;
};

struct Tb_Items_Cond {
    std::string pid;
    std::string url;
    std::string q;
    std::string nicks;
    std::string cid;
    std::string start_price;
    std::string end_price;
    std::string page_no;
    std::string order_by;
};

using ATb_Items_Info = std::array<Tb_Items_Info, 41>;

class TTaobao_Items : public TServiceClient {
public:
    bool Fetch(const Tb_Items_Cond& cond, const Tb_Items_Info& names,
               const ATb_Items_Info*& results);
    bool CondValid() const;
    void ApplyDefaults();
    std::string BuildUrlAt(std::int32_t stamp) override;
    void ParseReply() override;
    void ClearResults();

    Tb_Items_Info Names;
    Tb_Items_Cond Cond;
    ATb_Items_Info Results;

protected:
    const char* KeyElement() const override { return "items"; }
};
