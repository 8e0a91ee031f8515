#pragma once
// taobao/tb_itemcats.php: one level of the category tree (the children of
// `parent_cid`, 0 for the top level) or the categories listed in `cids`.

#include <string>

#include "Catalog.h"
#include "QueryString.h"

class TItemcatsScript {
public:
    static constexpr std::size_t kMaxCids = 100;

    explicit TItemcatsScript(const TCatalog& catalog) : catalog_(catalog) {}
    std::string Reply(const TQueryString& query) const;

private:
    const TCatalog& catalog_;
};
