#pragma once
// taobao/tbk_items_convert.php: item ids (comma-separated, a trailing comma
// allowed) to affiliate items with their click URLs. At most kMaxIds ids are
// converted; unknown ids are left out.

#include <string>

#include "Catalog.h"
#include "ItemFields.h"
#include "QueryString.h"

class TConvertScript {
public:
    static constexpr std::size_t kMaxIds = 40;

    TConvertScript(const TCatalog& catalog, const TItemFields& fields)
        : catalog_(catalog), fields_(fields)
    {
    }
    std::string Reply(const TQueryString& query) const;

private:
    const TCatalog& catalog_;
    const TItemFields& fields_;
};
