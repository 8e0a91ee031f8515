#pragma once
// taobao/tb_items.php: the marketplace item search by words, seller nicks or
// category, with a price range, 40 items a page, in the requested order.
// Only the requested fields are written.

#include <string>

#include "Catalog.h"
#include "ItemFields.h"
#include "ItemSearch.h"
#include "QueryString.h"

class TTbItemsScript {
public:
    static constexpr std::size_t kPageSize = 40;
    static constexpr std::size_t kMaxNicks = 40;

    TTbItemsScript(const TCatalog& catalog, const TItemFields& fields)
        : catalog_(catalog), fields_(fields), search_(catalog)
    {
    }
    std::string Reply(const TQueryString& query) const;

private:
    const TCatalog& catalog_;
    const TItemFields& fields_;
    TItemSearch search_;
};
