#pragma once
// The catalog as stored: one plain record per table row. All texts are UTF-8.
// Money is held in fen (hundredths of a yuan), commission rates in hundredths
// of a percent (550 = 5.50 %), times as Unix seconds.

#include <cstdint>
#include <string>
#include <vector>

struct TCategoryRow {
    std::int64_t cid = 0;
    std::int64_t parent_cid = 0; // 0 for a root
    std::string name;
    int sort_order = 0;
};

struct TSellerRow {
    std::int64_t id = 0;
    std::string nick;
    int credit_score = 1; // 1..20
    std::string state;    // province, municipality or country
    std::string city;     // may equal state, or be empty abroad
    std::string shop_url; // the seller's own shop address; "" for one on this server
};

struct TItemRow {
    std::int64_t num_iid = 0;
    std::int64_t cid = 0;
    std::int64_t seller_id = 0;
    std::string title;
    std::int64_t price = 0;            // fen
    std::int64_t volume = 0;           // sold in the last 30 days
    std::int64_t commission_rate = 0;  // 0.01 %
    std::int64_t commission_num = 0;   // commissioned sales in the last 30 days
    std::int64_t stock = 0;
    bool guarantee = false;            // consumer protection ("消保")
    bool auto_send = false;            // delivered automatically (virtual goods)
    std::int64_t list_time = 0;
    // An imported item's own addresses and place; "" for the ones of this
    // server and the seller's place.
    std::string pic_url;
    std::string click_url;
    std::string item_location;
    // Commission per sale and paid in the last 30 days, in fen, when the
    // catalog states them; -1: worked out from price, rate and count.
    std::int64_t commission = -1;
    std::int64_t commission_volume = -1;
};

struct TCatalogRows {
    std::vector<TCategoryRow> categories;
    std::vector<TSellerRow> sellers;
    std::vector<TItemRow> items;
};
