#pragma once
// Readers for the conditions the two item scripts share. Each fills its part
// of a TItemQuery from the request and returns the error to answer with when
// a value is malformed.

#include <optional>
#include <string>

#include "ApiError.h"
#include "Catalog.h"
#include "ItemSearch.h"
#include "QueryString.h"

namespace conditions {

// Reads an optional pair of bounds, `lowKey` and `highKey`, each with
// `parse` (text -> optional value); a bound that is not given keeps its
// value. The first malformed one is the error.
template <class T, class Parse>
std::optional<TApiError> Bounds(const TQueryString& q, const char* lowKey, const char* highKey, Parse parse,
                                T& low, T& high)
{
    for (const bool isLow : {true, false}) {
        const char* key = isLow ? lowKey : highKey;
        const std::string& text = q.Get(key);
        if (text.empty())
            continue;
        const auto v = parse(text);
        if (!v)
            return TApiError::Invalid(key);
        (isLow ? low : high) = static_cast<T>(*v);
    }
    return std::nullopt;
}

// `cid`: a decimal category id; 0 or empty for every category.
std::optional<TApiError> Category(const TCatalog& c, const TQueryString& q, TItemQuery& out);
// `start_price`, `end_price`: amounts in yuan; a reversed range is put right.
std::optional<TApiError> PriceRange(const TQueryString& q, TItemQuery& out);
// `page_no`: 1 when empty.
std::optional<TApiError> Page(const TQueryString& q, TItemQuery& out);
// A keyword parameter (`keyword` or `q`).
std::optional<TApiError> Keyword(const TQueryString& q, const char* key, TItemQuery& out);

} // namespace conditions
