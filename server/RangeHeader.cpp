#include "RangeHeader.h"

#include <string>

namespace {

constexpr long kHuge = 1'000'000'000'000'000'000L; // beyond any body

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Digits at `pos`; -1 when there are none. A number too long to hold reads
// as kHuge: still a range, but one no body can satisfy.
void ReadNumber(std::string_view s, std::size_t& pos, long& value)
{
    value = -1;
    const std::size_t start = pos;
    long v = 0;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
        v = v >= kHuge / 10 ? kHuge : v * 10 + (s[pos] - '0');
        ++pos;
    }
    if (pos > start)
        value = v;
}

} // namespace

bool ParseRangeHeader(std::string_view header, std::vector<TByteRange>& ranges)
{
    ranges.clear();
    constexpr std::string_view kUnit = "bytes=";
    if (header.substr(0, kUnit.size()) != kUnit)
        return false;
    std::size_t pos = kUnit.size();
    std::size_t count = 0;
    TByteRange first{-1, -1};
    while (true) {
        while (pos < header.size() && IsBlank(header[pos]))
            ++pos;
        TByteRange r;
        ReadNumber(header, pos, r.first);
        if (pos >= header.size() || header[pos] != '-')
            return false;
        ++pos;
        ReadNumber(header, pos, r.second);
        if ((r.first < 0 && r.second < 0) || (r.first >= 0 && r.second >= 0 && r.first > r.second))
            return false;
        if (count++ == 0)
            first = r;
        while (pos < header.size() && IsBlank(header[pos]))
            ++pos;
        if (pos == header.size())
            break;
        if (header[pos] != ',')
            return false;
        ++pos;
    }
    if (count == 1)
        ranges.push_back(first);
    return true;
}

std::optional<TByteRange> ResolveRange(TByteRange r, std::size_t length)
{
    const auto len = static_cast<long>(length);
    if (r.first < 0) { // the last r.second bytes
        if (r.second <= 0 || len == 0)
            return std::nullopt;
        return TByteRange{r.second >= len ? 0 : len - r.second, len - 1};
    }
    if (r.first >= len)
        return std::nullopt;
    return TByteRange{r.first, r.second < 0 || r.second >= len ? len - 1 : r.second};
}
