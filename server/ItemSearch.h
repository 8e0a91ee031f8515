#pragma once
// Searches the catalog's items with the conditions of the two item scripts
// and returns one page of them in the requested order, with the number of
// all matches.

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "Catalog.h"
#include "Keyword.h"

struct TItemQuery {
    // Restricts to a category and everything below it.
    const TCatalog::TCategory* category = nullptr;
    TKeyword keyword;
    std::int64_t priceLo = 0; // fen, inclusive
    std::int64_t priceHi = std::numeric_limits<std::int64_t>::max();
    int creditLo = 1;
    int creditHi = 20;
    std::int64_t commissionNumLo = 0;
    std::int64_t commissionNumHi = std::numeric_limits<std::int64_t>::max();
    std::int64_t commissionRateLo = 0; // 0.01 %
    std::int64_t commissionRateHi = std::numeric_limits<std::int64_t>::max();
    std::optional<bool> guarantee;
    std::optional<bool> autoSend;
    // When set, only items of sellers marked here (index into Sellers())
    // qualify.
    std::optional<std::vector<char>> sellers;
    // The sellers are those of an area: then an item with a place of its
    // own qualifies by being listed in `placed` (sorted) instead.
    bool byPlace = false;
    std::vector<std::uint32_t> placed;
    TOrder order = TOrder::VolumeDesc;
    std::int64_t pageNo = 1; // 1-based; any positive value
    std::size_t pageSize = 40;
    // Forces an empty result (a condition no item can meet, such as an
    // unknown category).
    bool nothing = false;
};

struct TItemPage {
    std::size_t total = 0;             // every match
    std::vector<std::uint32_t> items;  // the requested page
};

class TItemSearch {
public:
    explicit TItemSearch(const TCatalog& catalog) : catalog_(catalog) {}
    TItemPage Run(const TItemQuery& query) const;

private:
    bool Accepts(const TItemQuery& q, std::uint32_t item) const;
    const TCatalog& catalog_;
};
