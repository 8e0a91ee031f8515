#include "ScriptConditions.h"

#include <utility>

#include "Values.h"

namespace conditions {

std::optional<TApiError> Category(const TCatalog& c, const TQueryString& q, TItemQuery& out)
{
    const std::string& text = q.Get("cid");
    if (text.empty())
        return std::nullopt;
    const auto cid = ParseId(text);
    if (!cid)
        return TApiError::Invalid("cid");
    if (*cid == 0)
        return std::nullopt;
    out.category = c.FindCategory(*cid);
    if (!out.category)
        out.nothing = true;
    return std::nullopt;
}

std::optional<TApiError> PriceRange(const TQueryString& q, TItemQuery& out)
{
    if (auto error = Bounds(q, "start_price", "end_price", ParseHundredths, out.priceLo, out.priceHi))
        return error;
    if (out.priceLo > out.priceHi)
        std::swap(out.priceLo, out.priceHi);
    return std::nullopt;
}

std::optional<TApiError> Page(const TQueryString& q, TItemQuery& out)
{
    const std::string& text = q.Get("page_no");
    if (text.empty())
        return std::nullopt;
    const auto v = ParsePageNo(text);
    if (!v)
        return TApiError::Invalid("page_no");
    out.pageNo = *v;
    return std::nullopt;
}

std::optional<TApiError> Keyword(const TQueryString& q, const char* key, TItemQuery& out)
{
    auto k = TKeyword::Parse(q.Get(key));
    if (!k)
        return TApiError::Invalid(key);
    out.keyword = std::move(*k);
    return std::nullopt;
}

} // namespace conditions
