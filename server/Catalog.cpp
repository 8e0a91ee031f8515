#include "Catalog.h"

#include <algorithm>
#include <functional>
#include <numeric>

#include "Utf8.h"

namespace {

constexpr std::int64_t kListingSeconds = 7 * 24 * 3600;
// Bounds that keep the commission arithmetic far from overflow whatever a
// hand-edited catalog holds.
constexpr std::int64_t kMaxPrice = 1'000'000'000'000;   // fen
constexpr std::int64_t kMaxCount = 1'000'000'000;
constexpr std::int64_t kMaxCommissionNum = 1'000'000; // times kMaxPrice stays below 2^63
constexpr std::int64_t kMaxTime = 4'000'000'000;

std::string LocationText(const TSellerRow& s)
{
    if (s.city.empty() || s.city == s.state)
        return s.state.empty() ? s.city : s.state;
    return s.state + " " + s.city;
}

} // namespace

TCatalog::TCatalog(const TCatalogRows& rows)
{
    BuildCategories(rows.categories);
    BuildSellers(rows.sellers);
    BuildItems(rows.items);
    BuildOrders();
}

void TCatalog::BuildCategories(const std::vector<TCategoryRow>& rows)
{
    // Children lists by parent id; a category is kept only when it can be
    // reached from the top level, which also keeps cycles out.
    std::unordered_map<std::int64_t, std::vector<const TCategoryRow*>> byParent;
    std::unordered_map<std::int64_t, int> seen;
    for (const auto& r : rows) {
        if (r.cid <= 0 || seen[r.cid]++ > 0) {
            ++skipped_;
            continue;
        }
        byParent[r.parent_cid].push_back(&r);
    }
    for (auto& [parent, list] : byParent)
        std::sort(list.begin(), list.end(), [](const TCategoryRow* a, const TCategoryRow* b) {
            return a->sort_order != b->sort_order ? a->sort_order < b->sort_order
                                                  : a->cid < b->cid;
        });

    // Deeper levels than this are left out, which bounds the recursion.
    constexpr int kMaxDepth = 8;
    std::uint32_t position = 0;
    std::function<std::uint32_t(const TCategoryRow&, int)> add = [&](const TCategoryRow& r,
                                                                      int depth) {
        const auto index = static_cast<std::uint32_t>(categories_.size());
        categories_.push_back(TCategory{});
        categories_[index].row = r;
        categories_[index].row.name = XmlText(r.name);
        categories_[index].dfsBegin = position++;
        categoryByCid_[r.cid] = index;
        const auto it = byParent.find(r.cid);
        if (it != byParent.end() && depth < kMaxDepth) {
            for (const TCategoryRow* child : it->second) {
                const std::uint32_t c = add(*child, depth + 1);
                categories_[index].children.push_back(c);
            }
        }
        categories_[index].dfsEnd = position;
        return index;
    };
    const auto top = byParent.find(0);
    if (top != byParent.end())
        for (const TCategoryRow* r : top->second)
            roots_.push_back(add(*r, 1));
    std::size_t reached = categories_.size();
    std::size_t valid = 0;
    for (const auto& [parent, list] : byParent)
        valid += list.size();
    skipped_ += valid - reached;
}

void TCatalog::BuildSellers(const std::vector<TSellerRow>& rows)
{
    for (const auto& r : rows) {
        TSeller s;
        s.row = r;
        s.row.nick = XmlText(r.nick);
        s.row.state = XmlText(r.state);
        s.row.city = XmlText(r.city);
        s.row.shop_url = XmlText(r.shop_url);
        s.row.credit_score = std::clamp(r.credit_score, 1, 20);
        if (s.row.nick.empty() || sellerByNick_.count(s.row.nick) || sellerById_.count(r.id)) {
            ++skipped_;
            continue;
        }
        s.location = LocationText(s.row);
        const auto index = static_cast<std::uint32_t>(sellers_.size());
        sellerByNick_[s.row.nick] = index;
        sellerById_[r.id] = index;
        if (!s.row.state.empty())
            sellersByPlace_[s.row.state].push_back(index);
        if (!s.row.city.empty() && s.row.city != s.row.state)
            sellersByPlace_[s.row.city].push_back(index);
        sellers_.push_back(std::move(s));
    }
}

void TCatalog::BuildItems(const std::vector<TItemRow>& rows)
{
    items_.reserve(rows.size());
    for (const auto& r : rows) {
        const auto cat = categoryByCid_.find(r.cid);
        const auto seller = sellerById_.find(r.seller_id);
        if (cat == categoryByCid_.end() || seller == sellerById_.end() || r.num_iid <= 0 ||
            r.price < 0 || r.price > kMaxPrice || itemById_.count(r.num_iid)) {
            ++skipped_;
            continue;
        }
        TItem it;
        it.row = r;
        it.row.title = XmlText(r.title);
        it.row.pic_url = XmlText(r.pic_url);
        it.row.click_url = XmlText(r.click_url);
        it.row.item_location = XmlText(r.item_location);
        it.row.volume = std::clamp<std::int64_t>(r.volume, 0, kMaxCount);
        it.row.commission_rate = std::clamp<std::int64_t>(r.commission_rate, 0, 10000);
        it.row.commission_num = std::clamp<std::int64_t>(r.commission_num, 0, kMaxCommissionNum);
        it.row.stock = std::clamp<std::int64_t>(r.stock, 0, kMaxCount);
        it.row.list_time = std::clamp<std::int64_t>(r.list_time, 0, kMaxTime);
        it.folded = FoldAscii(it.row.title);
        it.category = cat->second;
        it.seller = seller->second;
        it.dfsPos = categories_[cat->second].dfsBegin;
        it.commission = r.commission >= 0 ? std::min(r.commission, kMaxPrice)
                                          : (it.row.price * it.row.commission_rate + 5000) / 10000;
        it.commissionVolume = r.commission_volume >= 0
                                  ? std::min(r.commission_volume, kMaxPrice * kMaxCommissionNum)
                                  : it.commission * it.row.commission_num;
        it.delistTime = it.row.list_time + kListingSeconds;
        const auto index = static_cast<std::uint32_t>(items_.size());
        itemById_[r.num_iid] = index;
        items_.push_back(std::move(it));
    }
    for (std::uint32_t i = 0; i < items_.size(); ++i) {
        titles_.Add(i, items_[i].folded);
        // "广东 深圳": the item is found under both places, like a seller.
        const std::string& place = items_[i].row.item_location;
        if (!place.empty() && place != sellers_[items_[i].seller].location) {
            items_[i].ownPlace = true;
            const auto blank = place.find(' ');
            itemsByPlace_[place.substr(0, blank)].push_back(i);
            if (blank != std::string::npos && place.substr(blank + 1) != place.substr(0, blank))
                itemsByPlace_[place.substr(blank + 1)].push_back(i);
        }
        sellers_[items_[i].seller].items.push_back(i);
    }
    for (auto& s : sellers_)
        std::stable_sort(s.items.begin(), s.items.end(), [this](std::uint32_t a, std::uint32_t b) {
            return items_[a].row.volume > items_[b].row.volume;
        });

    byCategory_.resize(items_.size());
    std::iota(byCategory_.begin(), byCategory_.end(), 0u);
    std::stable_sort(byCategory_.begin(), byCategory_.end(), [this](std::uint32_t a, std::uint32_t b) {
        return items_[a].dfsPos < items_[b].dfsPos;
    });
    for (auto& c : categories_) {
        auto lo = std::lower_bound(byCategory_.begin(), byCategory_.end(), c.dfsBegin,
                                   [this](std::uint32_t item, std::uint32_t pos) {
                                       return items_[item].dfsPos < pos;
                                   });
        auto hi = std::lower_bound(lo, byCategory_.end(), c.dfsEnd,
                                   [this](std::uint32_t item, std::uint32_t pos) {
                                       return items_[item].dfsPos < pos;
                                   });
        c.itemBegin = static_cast<std::uint32_t>(lo - byCategory_.begin());
        c.itemEnd = static_cast<std::uint32_t>(hi - byCategory_.begin());
    }
}

void TCatalog::BuildOrders()
{
    using Key = std::function<std::int64_t(const TItem&)>;
    const Key volume = [](const TItem& i) { return i.row.volume; };
    const Key price = [](const TItem& i) { return i.row.price; };
    const Key credit = [this](const TItem& i) {
        return static_cast<std::int64_t>(sellers_[i.seller].row.credit_score);
    };
    const Key commissionVolume = [](const TItem& i) { return i.commissionVolume; };
    const Key commissionNum = [](const TItem& i) { return i.row.commission_num; };
    const Key commissionRate = [](const TItem& i) { return i.row.commission_rate; };
    const Key delist = [](const TItem& i) { return i.delistTime; };
    const std::array<std::pair<Key, bool>, kOrderCount> orders = {{
        {volume, true},        {volume, false},        {price, false},
        {price, true},         {credit, true},         {credit, false},
        {commissionVolume, true}, {commissionNum, true}, {commissionRate, true},
        {delist, true},        {delist, false},
    }};
    for (std::size_t o = 0; o < kOrderCount; ++o) {
        const auto& [key, descending] = orders[o];
        std::vector<std::int64_t> keys(items_.size());
        for (std::size_t i = 0; i < items_.size(); ++i)
            keys[i] = key(items_[i]);
        auto& order = ordered_[o];
        order.resize(items_.size());
        std::iota(order.begin(), order.end(), 0u);
        // Ties go to the lower item id, so every order is total and stable.
        std::sort(order.begin(), order.end(), [&, desc = descending](std::uint32_t a, std::uint32_t b) {
            if (keys[a] != keys[b])
                return desc ? keys[a] > keys[b] : keys[a] < keys[b];
            return items_[a].row.num_iid < items_[b].row.num_iid;
        });
        auto& rank = ranks_[o];
        rank.resize(items_.size());
        for (std::uint32_t p = 0; p < order.size(); ++p)
            rank[order[p]] = p;
    }
}

const TCatalog::TCategory* TCatalog::FindCategory(std::int64_t cid) const
{
    const auto it = categoryByCid_.find(cid);
    return it == categoryByCid_.end() ? nullptr : &categories_[it->second];
}

const TCatalog::TSeller* TCatalog::FindSeller(std::string_view nick) const
{
    const auto it = sellerByNick_.find(std::string(nick));
    return it == sellerByNick_.end() ? nullptr : &sellers_[it->second];
}

const TCatalog::TSeller* TCatalog::FindSellerById(std::int64_t id) const
{
    const auto it = sellerById_.find(id);
    return it == sellerById_.end() ? nullptr : &sellers_[it->second];
}

const std::vector<std::uint32_t>* TCatalog::SellersAt(std::string_view place) const
{
    const auto it = sellersByPlace_.find(std::string(place));
    return it == sellersByPlace_.end() ? nullptr : &it->second;
}

const std::vector<std::uint32_t>* TCatalog::ItemsAt(std::string_view place) const
{
    const auto it = itemsByPlace_.find(std::string(place));
    return it == itemsByPlace_.end() ? nullptr : &it->second;
}

const TCatalog::TItem* TCatalog::FindItem(std::int64_t num_iid) const
{
    const auto it = itemById_.find(num_iid);
    return it == itemById_.end() ? nullptr : &items_[it->second];
}
