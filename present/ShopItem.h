#pragma once
// One seller of the shown result page with one page of that seller's items.
// All texts are in the 8-bit code page (GB18030).

#include <array>
#include <string>

// Items of one seller page.
inline constexpr int kShopPageItems = 40;

// One item of a seller page.
struct ITEM {
    std::string click_url; // converted affiliate link; empty until converted
    std::string title;
    std::string price;
    std::string num_iid;
    std::string pic_url;
    std::string volume;
};

struct SHOP_ITEM {
    int page_no = 1;         // page of the seller's items shown, from 1
    std::string nick;        // seller nick
    std::string shop_url;    // shop link of the seller's first listed item
    std::string credit_pic;  // full credit picture address; empty when the score had none
    std::string location;    // location of the seller's first listed item
    int page_count = 0;      // pages of 40 items
    // Items of page `page_no`; the first entry with an empty title ends the
    // list, so entry 40 always ends a full page.
    std::array<ITEM, 41> items;
};
