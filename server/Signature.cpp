#include "Signature.h"

#include <cstdint>

#include "Request.h"
#include "data.h"

namespace {

// Decimal text of a signed 32-bit number, as the client writes its stamp.
bool IsStamp(const std::string& text)
{
    const bool negative = !text.empty() && text[0] == '-';
    std::size_t i = negative ? 1 : 0;
    if (i == text.size() || text.size() - i > 10)
        return false;
    std::int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        v = v * 10 + (text[i] - '0');
    }
    return v <= (negative ? 2147483648LL : 2147483647LL);
}

} // namespace

std::optional<TApiError> CheckSigned(const TQueryString& query, const std::string& signInput)
{
    const std::string* pid = query.Find("pid");
    if (!pid || pid->empty())
        return TApiError::Missing("pid");
    if (*pid != kPid)
        return TApiError::Invalid("pid");
    const std::string* stamp = query.Find("stamp");
    if (!stamp || stamp->empty())
        return TApiError::MissingTimestamp();
    if (!IsStamp(*stamp))
        return TApiError::InvalidTimestamp();
    const std::string* sign = query.Find("sign");
    if (!sign || sign->empty())
        return TApiError::MissingSignature();
    if (sign->size() != 32)
        return TApiError::InvalidSignature();
    if (MakeSign(*pid, *stamp, signInput) != *sign)
        return TApiError::InvalidSignature();
    return std::nullopt;
}
