#pragma once
// taobao/tbk_items.php: the affiliate item search with every condition of the
// search panel, 40 items a page, titles with the keyword highlighted.

#include <string>

#include "Catalog.h"
#include "ItemFields.h"
#include "ItemSearch.h"
#include "QueryString.h"

class TTbkItemsScript {
public:
    static constexpr std::size_t kPageSize = 40;
    static constexpr std::size_t kMaxPlaces = 64;

    TTbkItemsScript(const TCatalog& catalog, const TItemFields& fields)
        : catalog_(catalog), fields_(fields), search_(catalog)
    {
    }
    std::string Reply(const TQueryString& query) const;

private:
    const TCatalog& catalog_;
    const TItemFields& fields_;
    TItemSearch search_;
};
