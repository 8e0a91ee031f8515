#pragma once
// Affiliate link conversion client: item IDs to affiliate click URLs.

#include "Taobaoke_Items.h"

// Same fields, order and element names as an affiliate search row.
using Tbk_Items_Convert_Info = Tbk_Items_Info;

struct Tbk_Items_Convert_Cond {
    std::string pid;
    std::string url;
    std::string num_iids; // comma-separated, sent unchanged
};

using ATbk_Items_Convert_Info = std::array<Tbk_Items_Convert_Info, 64>;

class TTaobaoke_Items_Convert : public TServiceClient {
public:
    bool Fetch(const Tbk_Items_Convert_Cond& cond, const Tbk_Items_Convert_Info& names,
               const ATbk_Items_Convert_Info*& results);
    bool CondValid() const;
    void ApplyDefaults();
    std::string BuildUrlAt(std::int32_t stamp) override;
    void ParseReply() override;
    void ClearResults();

    Tbk_Items_Convert_Info Names;
    Tbk_Items_Convert_Cond Cond;
    ATbk_Items_Convert_Info Results;

protected:
    const char* KeyElement() const override { return "total_results"; }
};
