#pragma once
// How many pages a search's total_results text offers.

#include <string>

// Pages of `perPage` results for a total_results text: rounded up, at most
// `maxPages`; 0 for a text that is not a decimal number (empty, signed,
// anything but digits).
int CountPages(const std::string& totalResults, int perPage, int maxPages);

// Pages of 40 items of a seller for a total_results text, rounded up; 0 for
// a text that is not a decimal number. Capped at kMaxShopPages so the page
// list stays small whatever a reply claims.
inline constexpr int kMaxShopPages = 9999;
int ShopPageCount(const std::string& totalResults);
