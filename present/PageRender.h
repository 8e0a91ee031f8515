#pragma once
// The generated item pages: four layouts (result and seller pages, each as
// big pictures or as a list) and the blank start document. Pages are built
// from fixed fragments and the records' fields, as 8-bit text (GB18030) with
// a gb2312 declaration; every inserted value is escaped for its place.

#include <array>
#include <string>
#include <string_view>

#include "PageHeads.h"
#include "ShopItem.h"
#include "Taobaoke_Items.h"

// Rows of one result tab; the first row with an empty title ends the list.
using TResultRows = std::array<Tbk_Items_Info, 40>;

// The most items a page shows.
inline constexpr int kMaxPageItems = 40;

// The document every pane that receives generated pages starts with.
inline constexpr std::string_view kBlankDocument =
    "<body leftMargin=0  topMargin=0 scroll=\"no\" style=\";width:100%; border-width=0;\"></body>";

// Views of the view lists: item 0 shows big pictures, any other the list.
inline constexpr int kGridView = 0;

std::string BuildResultGridPage(const TResultRows& rows);
std::string BuildResultListPage(const TResultRows& rows);
std::string BuildShopGridPage(const SHOP_ITEM& shop);
std::string BuildShopListPage(const SHOP_ITEM& shop);

// The result page for a view list index (0 big pictures, else list).
std::string BuildResultPage(const TResultRows& rows, int view);
// The seller page for a view list index (0 big pictures, else list; the
// seller list's empty third entry therefore shows the list).
std::string BuildShopPage(const SHOP_ITEM& shop, int view);
