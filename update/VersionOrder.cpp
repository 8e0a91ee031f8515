#include "VersionOrder.h"

namespace {

std::string_view WithoutLeadingZeros(std::string_view digits)
{
    const auto first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? std::string_view() : digits.substr(first);
}

} // namespace

bool IsWholeNumber(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

bool IsNewerVersion(std::string_view announced, std::string_view current)
{
    if (!IsWholeNumber(announced) || !IsWholeNumber(current))
        return false;
    const std::string_view a = WithoutLeadingZeros(announced);
    const std::string_view c = WithoutLeadingZeros(current);
    if (a.size() != c.size())
        return a.size() > c.size();
    return a > c;
}
