#include "ItemSearch.h"

#include <algorithm>
#include <span>

bool TItemSearch::Accepts(const TItemQuery& q, std::uint32_t index) const
{
    const auto& it = catalog_.Items()[index];
    if (q.category && (it.dfsPos < q.category->dfsBegin || it.dfsPos >= q.category->dfsEnd))
        return false;
    if (it.row.price < q.priceLo || it.row.price > q.priceHi)
        return false;
    const int credit = catalog_.Sellers()[it.seller].row.credit_score;
    if (credit < q.creditLo || credit > q.creditHi)
        return false;
    if (it.row.commission_num < q.commissionNumLo || it.row.commission_num > q.commissionNumHi)
        return false;
    if (it.row.commission_rate < q.commissionRateLo || it.row.commission_rate > q.commissionRateHi)
        return false;
    if (q.guarantee && *q.guarantee && !it.row.guarantee)
        return false;
    if (q.autoSend && *q.autoSend != it.row.auto_send)
        return false;
    if (q.sellers && (q.byPlace && it.ownPlace
                          ? !std::binary_search(q.placed.begin(), q.placed.end(), index)
                          : !(*q.sellers)[it.seller]))
        return false;
    if (!q.keyword.Empty() && !q.keyword.Matches(it.folded))
        return false;
    return true;
}

TItemPage TItemSearch::Run(const TItemQuery& q) const
{
    TItemPage page;
    if (q.nothing || q.pageSize == 0)
        return page;

    // Start from the smallest set that surely holds every match.
    std::span<const std::uint32_t> candidates;
    std::vector<std::uint32_t> bySeller;
    if (q.sellers) {
        const auto& marks = *q.sellers;
        for (std::uint32_t s = 0; s < marks.size(); ++s)
            if (marks[s])
                bySeller.insert(bySeller.end(), catalog_.Sellers()[s].items.begin(),
                                catalog_.Sellers()[s].items.end());
        // Items placed elsewhere than their seller, each once.
        for (const std::uint32_t i : q.placed)
            if (!marks[catalog_.Items()[i].seller])
                bySeller.push_back(i);
        candidates = bySeller;
    }
    if (!q.keyword.Empty()) {
        const auto byTitle = catalog_.Titles().Candidates(q.keyword);
        if (!q.sellers || byTitle.size() < candidates.size())
            candidates = byTitle;
    }
    if (q.category && !q.sellers && q.keyword.Empty()) {
        const auto& all = catalog_.ItemsByCategory();
        candidates = std::span<const std::uint32_t>(all).subspan(
            q.category->itemBegin, q.category->itemEnd - q.category->itemBegin);
    }
    if (!q.sellers && q.keyword.Empty() && !q.category)
        candidates = catalog_.Ordered(q.order);

    std::vector<std::uint32_t> matches;
    matches.reserve(std::min<std::size_t>(candidates.size(), 4096));
    for (std::uint32_t i : candidates)
        if (Accepts(q, i))
            matches.push_back(i);
    page.total = matches.size();

    const std::size_t pages = (page.total + q.pageSize - 1) / q.pageSize;
    if (q.pageNo < 1 || static_cast<std::uint64_t>(q.pageNo) > pages)
        return page;
    const std::size_t begin = static_cast<std::size_t>(q.pageNo - 1) * q.pageSize;
    const std::size_t end = std::min(page.total, begin + q.pageSize);
    const auto byRank = [this, order = q.order](std::uint32_t a, std::uint32_t b) {
        return catalog_.Rank(order, a) < catalog_.Rank(order, b);
    };
    const bool presorted = candidates.data() == catalog_.Ordered(q.order).data();
    if (!presorted) {
        if (begin > 0)
            std::nth_element(matches.begin(), matches.begin() + static_cast<std::ptrdiff_t>(begin),
                             matches.end(), byRank);
        std::partial_sort(matches.begin() + static_cast<std::ptrdiff_t>(begin),
                          matches.begin() + static_cast<std::ptrdiff_t>(end), matches.end(), byRank);
    }
    page.items.assign(matches.begin() + static_cast<std::ptrdiff_t>(begin),
                      matches.begin() + static_cast<std::ptrdiff_t>(end));
    return page;
}
