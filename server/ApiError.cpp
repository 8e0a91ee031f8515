#include "ApiError.h"

std::optional<TApiError> QueryError(TQueryString::TStatus status)
{
    switch (status) {
    case TQueryString::TStatus::Ok: return std::nullopt;
    case TQueryString::TStatus::TooLong: return TApiError::Invalid("query too long");
    case TQueryString::TStatus::TooMany: return TApiError::Invalid("too many parameters");
    case TQueryString::TStatus::BadEncoding: return TApiError::Invalid("malformed percent-encoding");
    case TQueryString::TStatus::Duplicate: return TApiError::Invalid("repeated parameter");
    case TQueryString::TStatus::EmptyKey: return TApiError::Invalid("empty parameter name");
    }
    return TApiError::Invalid("query");
}
