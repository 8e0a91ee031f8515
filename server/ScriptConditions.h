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

// `cid`: a decimal category id; 0 or empty for every category.
std::optional<TApiError> Category(const TCatalog& c, const TQueryString& q, TItemQuery& out);
// `start_price`, `end_price`: amounts in yuan; a reversed range is put right.
std::optional<TApiError> PriceRange(const TQueryString& q, TItemQuery& out);
// `page_no`: 1 when empty.
std::optional<TApiError> Page(const TQueryString& q, TItemQuery& out);
// A keyword parameter (`keyword` or `q`).
std::optional<TApiError> Keyword(const TQueryString& q, const char* key, TItemQuery& out);

} // namespace conditions
