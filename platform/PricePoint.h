#pragma once
// One price of an item's history: from this day on, until the next point.

#include <cstdint>
#include <vector>

struct TPricePoint {
    std::int64_t day = 0; // Unix seconds of the day's start (UTC)
    std::int64_t fen = 0;
};
using TPriceHistory = std::vector<TPricePoint>; // by day, oldest first
