#pragma once
// Strict readers for the values of request parameters. Each gives nothing
// for a malformed value; none of them throws or overflows.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Decimal digits only (at most 18), 0 allowed.
std::optional<std::int64_t> ParseId(std::string_view text);

// Digits only, at least 1; values too large to hold saturate at INT64_MAX
// (a page that far away is simply empty).
std::optional<std::int64_t> ParsePageNo(std::string_view text);

// A non-negative decimal amount with at most two decimals, in hundredths
// ("12" -> 1200, "0.5" -> 50); at most 12 integer digits.
std::optional<std::int64_t> ParseHundredths(std::string_view text);

// "true" or "false".
std::optional<bool> ParseBool(std::string_view text);

// Credit level key ("1heart" ... "5goldencrown") -> seller credit score 1..20.
std::optional<int> ParseCreditLevel(std::string_view text);

// Splits at commas, trimming ASCII blanks around each part and dropping
// empty parts.
std::vector<std::string_view> SplitList(std::string_view text);

// "12.30" for 1230.
std::string FormatHundredths(std::int64_t value);

// An http:// or https:// address with a host, in printable ASCII without
// blanks, quotes, "<", ">" or backslashes.
bool IsWebAddress(std::string_view text);
