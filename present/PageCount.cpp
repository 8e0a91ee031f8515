#include "PageCount.h"

#include "ShopItem.h"

int CountPages(const std::string& totalResults, int perPage, int maxPages)
{
    if (totalResults.empty())
        return 0;
    // Digits past the cap change nothing, so the sum stops growing there and
    // any length of text is safe.
    const long long enough = static_cast<long long>(perPage) * maxPages;
    long long total = 0;
    for (char ch : totalResults) {
        if (ch < '0' || ch > '9')
            return 0;
        if (total < enough)
            total = total * 10 + (ch - '0');
    }
    const long long pages = (total + perPage - 1) / perPage;
    return static_cast<int>(pages > maxPages ? maxPages : pages);
}

int ShopPageCount(const std::string& totalResults)
{
    return CountPages(totalResults, kShopPageItems, kMaxShopPages);
}
