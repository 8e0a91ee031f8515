#include "Conditions.h"

#include "MD5.h"
#include "PageCount.h"
#include "data.h"

std::string ConditionText(const TPanelValues& v)
{
    std::string text = v.keyword + v.category;
    if (v.hasCategory)
        text += std::to_string(v.cid);
    text += v.startPrice + v.endPrice;
    for (int n : {v.sort, v.startCredit, v.endCredit, v.area, v.guarantee ? 1 : 0})
        text += std::to_string(n);
    return text;
}

std::string ConditionKey(const TPanelValues& v) { return Md5Hex(ConditionText(v)); }

namespace {

template <std::size_t N>
std::string Entry(const std::array<std::string, N>& table, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= N)
        return {};
    return table[static_cast<std::size_t>(index)];
}

} // namespace

Tbk_Items_Cond SearchConditions(const TPanelValues& v, int page, const std::string& baseUrl)
{
    Tbk_Items_Cond c;
    c.pid = kPid;
    c.url = baseUrl + "taobao/tbk_items.php";
    c.keyword = v.keyword;
    if (v.hasCategory)
        c.cid = std::to_string(v.cid);
    c.start_price = v.startPrice;
    c.end_price = v.endPrice;
    // The sort list offers the first five keys only.
    c.sort = v.sort < 5 ? Entry(SortKeys, v.sort) : std::string();
    c.start_credit = Entry(CreditLevels, v.startCredit);
    c.end_credit = Entry(CreditLevels, v.endCredit);
    c.area = v.area < static_cast<int>(AreaLabels.size()) ? Entry(Areas, v.area) : std::string();
    if (v.guarantee)
        c.guarantee = "true";
    c.page_no = std::to_string(page);
    return c;
}

int PageCount(const std::string& totalResults)
{
    return CountPages(totalResults, 40, 99);
}
