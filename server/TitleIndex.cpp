#include "TitleIndex.h"

#include "Utf8.h"

namespace {
// Stands for "no second code point" in the key of a single-code-point gram.
constexpr std::uint32_t kNone = 0xffffffffu;
} // namespace

void TTitleIndex::Add(std::uint32_t item, std::string_view foldedTitle)
{
    const auto cps = CodePoints(foldedTitle);
    auto post = [&](std::uint64_t key) {
        auto& list = grams_[key];
        if (list.empty() || list.back() != item)
            list.push_back(item);
    };
    for (std::size_t i = 0; i < cps.size(); ++i) {
        post(Key(cps[i], kNone));
        if (i + 1 < cps.size())
            post(Key(cps[i], cps[i + 1]));
    }
}

std::span<const std::uint32_t> TTitleIndex::Postings(std::uint64_t key) const
{
    const auto it = grams_.find(key);
    if (it == grams_.end())
        return {};
    return it->second;
}

std::span<const std::uint32_t> TTitleIndex::Candidates(const TKeyword& keyword) const
{
    std::span<const std::uint32_t> best;
    bool first = true;
    for (const auto& term : keyword.Terms()) {
        const auto cps = CodePoints(term);
        if (cps.size() == 1) {
            const auto list = Postings(Key(cps[0], kNone));
            if (first || list.size() < best.size())
                best = list;
            first = false;
        }
        for (std::size_t i = 0; i + 1 < cps.size(); ++i) {
            const auto list = Postings(Key(cps[i], cps[i + 1]));
            if (first || list.size() < best.size())
                best = list;
            first = false;
        }
        if (!first && best.empty())
            return {};
    }
    return best;
}
