#pragma once
// Byte ranges of a request, read in one linear pass (no regular
// expression, no recursion: a long header costs no stack).
// A request for more than one range reads as a request for the whole body:
// no reply is ever built from many slices of one body. So does a header
// that cannot be read (another unit, a last byte before the first).

#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

// One range: (first, last), -1 for a side not given.
using TByteRange = std::pair<long, long>;

// Parses "bytes=first-last[, ...]". False for a malformed header; `ranges`
// stays empty when the header names more than one range.
bool ParseRangeHeader(std::string_view header, std::vector<TByteRange>& ranges);

// The absolute (first, last) of a range within a body of `length` bytes;
// nothing when the range lies outside it.
std::optional<TByteRange> ResolveRange(TByteRange range, std::size_t length);
