#pragma once
// The seller slots of the shown result page and the rules that fill them:
// the seller list rebuilt from a result page, one page of a seller's items
// stored from the marketplace item search, and the affiliate links stored
// from a conversion. Qt-free; all texts in the 8-bit code page. Colours are
// in HtmlColor, page counts in PageCount and link targets in LinkTarget.

#include <array>
#include <string>

#include "PageRender.h"
#include "ShopItem.h"
#include "Taobao_Items.h"
#include "Taobaoke_Items_Convert.h"

// Slots 0..39 hold the listed sellers; slot 40 is never filled by the list.
inline constexpr int kShopSlotCount = 41;
using TShopSlots = std::array<SHOP_ITEM, kShopSlotCount>;

// Empties every slot's nick and items and puts it back on page 1.
void ClearShopSlots(TShopSlots& shops);
// Empties the six fields of every item entry of one slot.
void ClearShopItems(SHOP_ITEM& shop);

// Rebuilds the slots from a result page's rows (distinct nicks, exact
// comparison, first occurrence wins; stops at the first empty nick) and
// returns the seller list page; `color` is a ColorToHtml text.
std::string BuildSellerList(const TResultRows& rows, TShopSlots& shops, const std::string& color);

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
