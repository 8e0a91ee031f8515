#pragma once
// The seller slots of the shown result page and the rules that fill them:
// the seller list rebuilt from a result page, one page of a seller's items
// stored from the marketplace item search, and the affiliate links stored
// from a conversion. Qt-free; all texts in the 8-bit code page.

#include <array>
#include <string>
#include <string_view>

#include "PageRender.h"
#include "ShopItem.h"
#include "Taobao_Items.h"
#include "Taobaoke_Items_Convert.h"

// Slots 0..39 hold the listed sellers; slot 40 is never filled by the list.
inline constexpr int kShopSlotCount = 41;
using TShopSlots = std::array<SHOP_ITEM, kShopSlotCount>;

// Items of one seller page.
inline constexpr int kShopPageItems = 40;

// "#RRGGBB " (upper-case hexadecimal, one trailing blank) for the seller
// list's colour rules; components are clamped to 0..255.
std::string ColorToHtml(int red, int green, int blue);

// Empties every slot's nick and items and puts it back on page 1.
void ClearShopSlots(TShopSlots& shops);
// Empties the six fields of every item entry of one slot.
void ClearShopItems(SHOP_ITEM& shop);

// Rebuilds the slots from a result page's rows (distinct nicks, exact
// comparison, first occurrence wins; stops at the first empty nick) and
// returns the seller list page; `color` is a ColorToHtml text.
std::string BuildSellerList(const TResultRows& rows, TShopSlots& shops, const std::string& color);

// Pages of 40 items for a total_results text, rounded up; 0 for a text that
// is not a decimal number. Capped at kMaxShopPages so the page list stays
// small whatever a reply claims.
inline constexpr int kMaxShopPages = 9999;
int ShopPageCount(const std::string& totalResults);

// Replaces the slot's items (and with them any converted links) by the rows
// of a successful seller search, up to the first empty title, at most 40;
// sets page_count from the first row's total_results.
void StoreShopItems(SHOP_ITEM& shop, const ATb_Items_Info& rows);

// True once the page's first item has a converted link.
bool ShopPageConverted(const SHOP_ITEM& shop);
// The ids to convert: every item with a title, each followed by ",".
std::string ConvertIdList(const SHOP_ITEM& shop);
// Stores the link of the first row with the same num_iid (exact) in every
// titled item; rows end at the first empty num_iid, at most 40 are read.
void StoreConvertedLinks(SHOP_ITEM& shop, const ATbk_Items_Convert_Info& rows);

// What a seller pane does with an address it is about to navigate to, read
// from its last two characters: "nk" lets it proceed (about:blank); two
// decimal digits cancel it and name an entry (acted on when 0..39);
// anything else is cancelled and ignored.
struct TLinkDecision {
    bool proceed = false;
    int index = -1; // 0..39 when an entry is named, else -1
};
TLinkDecision ClassifyLink(std::string_view address);
