#pragma once
// Category client: one level of the marketplace's category tree.

#include "ServiceClient.h"

struct Tb_Itemcats_Info {
    std::string cid;
    std::string name;
    std::string status;
    std::string is_parent;
    std::string sort_order;
    std::string parent_cid;

    bool operator==(const Tb_Itemcats_Info&) const = default;
};

struct Tb_Itemcats_Cond {
    std::string pid;
    std::string url;
    std::string cids;
    std::string parent_cid;
};

using ATb_Itemcats_Info = std::array<Tb_Itemcats_Info, 101>;

class TTaobao_Itemcats : public TServiceClient {
public:
    bool Fetch(const Tb_Itemcats_Cond& cond, const Tb_Itemcats_Info& names,
               const ATb_Itemcats_Info*& results);
    bool CondValid() const;
    void ApplyDefaults();
    std::string BuildUrlAt(std::int32_t stamp) override;
    void ParseReply() override;
    void ClearResults();

    Tb_Itemcats_Info Names;
    Tb_Itemcats_Cond Cond;
    ATb_Itemcats_Info Results;

protected:
    const char* KeyElement() const override { return "item_cats"; }
};
