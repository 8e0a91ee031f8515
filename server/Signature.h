#pragma once
// Checks the publisher ID, time stamp and signature of a signed request.
// The signature is recomputed exactly as the client builds it, from the
// decoded parameter values concatenated in the script's own order
// (MakeSign of the service layer).

#include <optional>
#include <string>

#include "ApiError.h"
#include "QueryString.h"

// Nothing when `pid` is the publisher's, `stamp` is a decimal 32-bit number
// and `sign` is the signature of `signInput`.
std::optional<TApiError> CheckSigned(const TQueryString& query, const std::string& signInput);
