#include "Values.h"

#include <limits>

#include "data.h"

namespace {

bool AllDigits(std::string_view s)
{
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

std::optional<std::int64_t> ParseId(std::string_view text)
{
    if (!AllDigits(text) || text.size() > 18)
        return std::nullopt;
    std::int64_t v = 0;
    for (char c : text)
        v = v * 10 + (c - '0');
    return v;
}

std::optional<std::int64_t> ParsePageNo(std::string_view text)
{
    if (!AllDigits(text))
        return std::nullopt;
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t v = 0;
    for (char c : text) {
        const int d = c - '0';
        if (v > (kMax - d) / 10)
            return kMax;
        v = v * 10 + d;
    }
    if (v < 1)
        return std::nullopt;
    return v;
}

std::optional<std::int64_t> ParseHundredths(std::string_view text)
{
    const auto dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view frac =
        dot == std::string_view::npos ? std::string_view{} : text.substr(dot + 1);
    if (!AllDigits(whole) || whole.size() > 12)
        return std::nullopt;
    if (dot != std::string_view::npos && (frac.empty() || frac.size() > 2 || !AllDigits(frac)))
        return std::nullopt;
    std::int64_t v = 0;
    for (char c : whole)
        v = v * 10 + (c - '0');
    v *= 100;
    if (frac.size() >= 1)
        v += (frac[0] - '0') * 10;
    if (frac.size() == 2)
        v += frac[1] - '0';
    return v;
}

std::optional<bool> ParseBool(std::string_view text)
{
    if (text == "true")
        return true;
    if (text == "false")
        return false;
    return std::nullopt;
}

std::optional<int> ParseCreditLevel(std::string_view text)
{
    for (std::size_t i = 0; i < CreditLevels.size(); ++i)
        if (CreditLevels[i] == text)
            return static_cast<int>(i) + 1;
    return std::nullopt;
}

std::vector<std::string_view> SplitList(std::string_view text)
{
    std::vector<std::string_view> out;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find(',', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view part = text.substr(pos, end - pos);
        while (!part.empty() && (part.front() == ' ' || part.front() == '\t'))
            part.remove_prefix(1);
        while (!part.empty() && (part.back() == ' ' || part.back() == '\t'))
            part.remove_suffix(1);
        if (!part.empty())
            out.push_back(part);
        pos = end + 1;
    }
    return out;
}

std::string FormatHundredths(std::int64_t value)
{
    const bool negative = value < 0;
    const std::uint64_t v = negative ? 0 - static_cast<std::uint64_t>(value)
                                     : static_cast<std::uint64_t>(value);
    std::string out = negative ? "-" : "";
    out += std::to_string(v / 100);
    out += '.';
    out += static_cast<char>('0' + (v % 100) / 10);
    out += static_cast<char>('0' + v % 10);
    return out;
}

bool IsWebAddress(std::string_view text)
{
    const std::size_t scheme = text.substr(0, 8) == "https://" ? 8 : text.substr(0, 7) == "http://" ? 7 : 0;
    if (scheme == 0 || text.size() == scheme || text[scheme] == '/')
        return false;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7f || c == '"' || c == '\'' || c == '<' || c == '>' || c == '\\')
            return false;
    }
    return true;
}
