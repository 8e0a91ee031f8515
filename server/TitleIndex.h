#pragma once
// An n-gram index over item titles so that a keyword search looks at the few
// titles that can hold the keyword instead of scanning every title. Every
// title is indexed by its code points (single ones and adjacent pairs, ASCII
// folded); a term's candidates are the posting list of its rarest gram.

#include <cstdint>
#include <span>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Keyword.h"

class TTitleIndex {
public:
    // Items must be added in increasing order of `item`.
    void Add(std::uint32_t item, std::string_view foldedTitle);

    // Items that may hold every term of a non-empty keyword, ascending; every
    // matching item is among them (callers still check each with Matches).
    std::span<const std::uint32_t> Candidates(const TKeyword& keyword) const;

private:
    static std::uint64_t Key(std::uint32_t a, std::uint32_t b)
    {
        return (static_cast<std::uint64_t>(a) << 32) | b;
    }
    std::span<const std::uint32_t> Postings(std::uint64_t key) const;

    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> grams_;
};
