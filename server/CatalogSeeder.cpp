#include "CatalogSeeder.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "SeedData.h"
#include "codepage.h"
#include "data.h"

namespace {

std::vector<std::string> Split(std::string_view text, char sep)
{
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find(sep, pos);
        if (end == std::string_view::npos)
            end = text.size();
        if (end > pos)
            out.emplace_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return out;
}

// Heart levels are common, crowns rare.
const std::vector<unsigned> kCreditWeights = {6, 7, 8, 8, 8, 9, 9, 8, 7, 6,
                                              5, 4, 3, 3, 2, 2, 1, 1, 1, 1};

// 2010-07-01 00:00 Beijing time.
constexpr std::int64_t kFirstListing = 1277913600;

} // namespace

TCatalogRows TCatalogSeeder::Generate()
{
    TCatalogRows rows;
    MakeCategories(rows);
    MakeSellers(rows);
    MakeItems(rows);
    return rows;
}

void TCatalogSeeder::MakeCategories(TCatalogRows& rows)
{
    leavesOfRoot_.assign(seed::kRoots.size(), {});
    for (std::size_t r = 0; r < seed::kRoots.size(); ++r) {
        const std::int64_t rootCid = static_cast<std::int64_t>(r) + 1;
        rows.categories.push_back(
            {rootCid, 0, AnsiToUtf8(RootCategoryNames[r]), static_cast<int>(r) + 1});
        const std::string_view tree = seed::kRoots[r].tree;
        if (!tree.empty() && tree[0] == '=') {
            leavesOfRoot_[r].push_back(leaves_.size());
            leaves_.push_back({rootCid, r, Split(tree.substr(1), ',')});
            continue;
        }
        int j = 0;
        for (const auto& child : Split(tree, ';')) {
            const auto colon = child.find(':');
            const std::string name = child.substr(0, colon);
            const std::int64_t cid = rootCid * 100 + (++j);
            rows.categories.push_back({cid, rootCid, name, j});
            if (colon == std::string::npos) {
                leavesOfRoot_[r].push_back(leaves_.size());
                leaves_.push_back({cid, r, {name}});
                continue;
            }
            int m = 0;
            for (const auto& leaf : Split(std::string_view(child).substr(colon + 1), ',')) {
                const std::int64_t leafCid = cid * 100 + (++m);
                rows.categories.push_back({leafCid, cid, leaf, m});
                leavesOfRoot_[r].push_back(leaves_.size());
                leaves_.push_back({leafCid, r, {leaf}});
            }
        }
    }
}

std::string TCatalogSeeder::MakeNick(std::size_t index, std::unordered_set<std::string>& used)
{
    // Two nicks that differ only in letter case: distinct sellers.
    if (index == 7)
        return "Coco小铺";
    if (index == 8)
        return "coco小铺";
    for (int attempt = 0;; ++attempt) {
        std::string nick = std::string(rnd_.Pick(seed::kNickHeads)) + rnd_.Pick(seed::kNickTails);
        if (attempt > 0 || rnd_.Chance(40))
            nick += std::to_string(rnd_.Between(1, attempt > 3 ? 99999 : 999));
        if (!used.count(nick) && nick != "Coco小铺" &&
            nick != "coco小铺")
            return nick;
    }
}

void TCatalogSeeder::MakeSellers(TCatalogRows& rows)
{
    std::vector<unsigned> rootWeights;
    for (const auto& l : leavesOfRoot_)
        rootWeights.push_back(static_cast<unsigned>(l.size()));
    std::vector<unsigned> placeWeights;
    for (const auto& p : seed::kPlaces)
        placeWeights.push_back(p.weight);

    std::unordered_set<std::string> used;
    std::size_t bigTotal = 0;
    for (std::size_t i = 0; i < kSellers; ++i) {
        const bool big = i % 67 == 5;
        TSellerRow s;
        s.id = static_cast<std::int64_t>(i) + 1;
        s.nick = MakeNick(i, used);
        used.insert(s.nick);
        s.credit_score = big ? static_cast<int>(rnd_.Between(10, 20))
                             : static_cast<int>(rnd_.Weighted(kCreditWeights)) + 1;
        // The first sellers take every place once, so each place has sellers.
        const auto& place = seed::kPlaces[i < seed::kPlaces.size() ? i : rnd_.Weighted(placeWeights)];
        s.state = place.state;
        s.city = place.city;
        rows.sellers.push_back(s);
        homeRoot_.push_back(i < seed::kRoots.size() ? i : rnd_.Weighted(rootWeights));
        const std::size_t count = big ? static_cast<std::size_t>(rnd_.Between(90, 300)) : 1;
        itemCount_.push_back(count);
        bigTotal += big ? count : 0;
    }
    // The remaining items go to the smaller sellers, a few of them getting many.
    std::vector<std::size_t> small;
    for (std::size_t i = 0; i < kSellers; ++i)
        if (i % 67 != 5)
            small.push_back(i);
    for (std::size_t k = small.size(); k > 1; --k)
        std::swap(small[k - 1], small[rnd_.Below(k)]);
    for (std::size_t n = bigTotal + small.size(); n < kItems; ++n) {
        const double u = rnd_.Unit();
        itemCount_[small[static_cast<std::size_t>(u * u * static_cast<double>(small.size()))]]++;
    }
}

std::string TCatalogSeeder::MakeTitle(const TLeaf& leaf)
{
    const auto attrs = Split(seed::kRoots[leaf.root].attrs, ',');
    std::string title;
    auto add = [&title](std::string_view part) {
        if (!title.empty())
            title += ' ';
        title += part;
    };
    if (rnd_.Chance(55))
        add(rnd_.Pick(seed::kTitleHeads));
    const std::string& first = rnd_.Pick(attrs);
    add(first);
    if (attrs.size() > 1 && rnd_.Chance(35)) {
        const std::string& second = rnd_.Pick(attrs);
        if (second != first)
            add(second);
    }
    add(rnd_.Pick(leaf.nouns));
    if (rnd_.Chance(60))
        add(rnd_.Pick(seed::kTitleTails));
    return title;
}

std::int64_t TCatalogSeeder::MakePrice(std::size_t root)
{
    // Log-uniform in the root's band, ending in .00, .80 or .90 as shops price.
    const double lo = std::log(static_cast<double>(seed::kRoots[root].priceLo));
    const double hi = std::log(static_cast<double>(seed::kRoots[root].priceHi));
    const auto yuan = static_cast<std::int64_t>(std::exp(lo + rnd_.Unit() * (hi - lo)));
    static const std::int64_t kEndings[] = {0, 80, 90, 0};
    return std::max<std::int64_t>(yuan, 1) * 100 + kEndings[rnd_.Below(4)];
}

void TCatalogSeeder::MakeItems(TCatalogRows& rows)
{
    rows.items.reserve(kItems);
    for (std::size_t s = 0; s < kSellers; ++s) {
        const bool big = s % 67 == 5;
        for (std::size_t n = 0; n < itemCount_[s]; ++n) {
            const auto& own = leavesOfRoot_[homeRoot_[s]];
            const TLeaf& leaf =
                rnd_.Chance(85) ? leaves_[own[rnd_.Below(own.size())]] : rnd_.Pick(leaves_);
            TItemRow it;
            it.cid = leaf.cid;
            it.seller_id = rows.sellers[s].id;
            it.title = MakeTitle(leaf);
            it.price = MakePrice(leaf.root);
            const double u = rnd_.Unit();
            it.volume = static_cast<std::int64_t>(u * u * u * (big ? 6000.0 : 3000.0));
            it.commission_rate = rnd_.Between(10, 300) * 10;
            it.commission_num = it.volume * rnd_.Between(5, 60) / 100;
            it.stock = rnd_.Between(1, 999);
            it.guarantee = rnd_.Chance(big ? 95 : 65);
            it.auto_send = seed::kRoots[leaf.root].autoSend;
            it.list_time = kFirstListing + static_cast<std::int64_t>(rnd_.Below(50 * 24 * 3600));
            rows.items.push_back(std::move(it));
        }
    }
    // Ids in shuffled order, so that one seller's items are not neighbours.
    for (std::size_t k = rows.items.size(); k > 1; --k)
        std::swap(rows.items[k - 1], rows.items[rnd_.Below(k)]);
    for (std::size_t k = 0; k < rows.items.size(); ++k)
        rows.items[k].num_iid = 3100000000LL + static_cast<std::int64_t>(k) * 8 +
                                static_cast<std::int64_t>(rnd_.Below(8));
}
