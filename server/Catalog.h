#pragma once
// The catalog in memory: categories as a tree, sellers, items, and the
// indexes the searches need (category ranges, title n-grams, places, and one
// precomputed rank per sort order). Built once from the stored rows and never
// changed afterwards, so every request thread reads it without locks.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "CatalogRows.h"
#include "TitleIndex.h"

enum class TOrder : int {
    VolumeDesc,
    VolumeAsc,
    PriceAsc,
    PriceDesc,
    CreditDesc,
    CreditAsc,
    CommissionVolumeDesc,
    CommissionNumDesc,
    CommissionRateDesc,
    DelistDesc,
    DelistAsc,
};
inline constexpr std::size_t kOrderCount = 11;

class TCatalog {
public:
    struct TCategory {
        TCategoryRow row;
        std::vector<std::uint32_t> children; // by sort order
        // Items of this category and of everything below it are
        // ItemsByCategory()[itemBegin, itemEnd).
        std::uint32_t itemBegin = 0, itemEnd = 0;
        // Depth-first positions of this category and everything below it.
        std::uint32_t dfsBegin = 0, dfsEnd = 0;
        bool IsParent() const { return !children.empty(); }
    };

    struct TSeller {
        TSellerRow row;
        std::string location;              // "浙江 杭州", "上海", "美国"
        std::vector<std::uint32_t> items;  // best-selling first
    };

    struct TItem {
        TItemRow row;
        std::string folded;            // title with ASCII letters in lower case
        std::uint32_t category = 0;    // index into Categories()
        std::uint32_t seller = 0;      // index into Sellers()
        std::uint32_t dfsPos = 0;      // depth-first position of its category
        std::int64_t commission = 0;   // fen per sale
        std::int64_t commissionVolume = 0; // fen paid in the last 30 days
        std::int64_t delistTime = 0;
        bool ownPlace = false;         // placed by its own item_location, not its seller's
    };

    // Rows that do not fit (unknown parent, category, seller; a repeated id;
    // a negative price) are left out and counted in Skipped().
    explicit TCatalog(const TCatalogRows& rows);

    const std::vector<TCategory>& Categories() const { return categories_; }
    const std::vector<std::uint32_t>& Roots() const { return roots_; }
    const TCategory* FindCategory(std::int64_t cid) const;

    const std::vector<TSeller>& Sellers() const { return sellers_; }
    const TSeller* FindSeller(std::string_view nick) const;
    const TSeller* FindSellerById(std::int64_t id) const;
    // Sellers whose province/country or city is `place`; nullptr when none.
    const std::vector<std::uint32_t>* SellersAt(std::string_view place) const;
    // Items with a place of their own there; nullptr when none.
    const std::vector<std::uint32_t>* ItemsAt(std::string_view place) const;

    const std::vector<TItem>& Items() const { return items_; }
    const TItem* FindItem(std::int64_t num_iid) const;
    const std::vector<std::uint32_t>& ItemsByCategory() const { return byCategory_; }
    // Position of an item in the given order (0 first).
    std::uint32_t Rank(TOrder order, std::uint32_t item) const
    {
        return ranks_[static_cast<std::size_t>(order)][item];
    }
    // Every item in the given order.
    const std::vector<std::uint32_t>& Ordered(TOrder order) const
    {
        return ordered_[static_cast<std::size_t>(order)];
    }
    const TTitleIndex& Titles() const { return titles_; }

    std::size_t Skipped() const { return skipped_; }

private:
    void BuildCategories(const std::vector<TCategoryRow>& rows);
    void BuildSellers(const std::vector<TSellerRow>& rows);
    void BuildItems(const std::vector<TItemRow>& rows);
    void BuildOrders();

    std::vector<TCategory> categories_;
    std::vector<std::uint32_t> roots_;
    std::unordered_map<std::int64_t, std::uint32_t> categoryByCid_;
    std::vector<TSeller> sellers_;
    std::unordered_map<std::string, std::uint32_t> sellerByNick_;
    std::unordered_map<std::int64_t, std::uint32_t> sellerById_;
    std::unordered_map<std::string, std::vector<std::uint32_t>> sellersByPlace_;
    std::unordered_map<std::string, std::vector<std::uint32_t>> itemsByPlace_;
    std::vector<TItem> items_;
    std::unordered_map<std::int64_t, std::uint32_t> itemById_;
    std::vector<std::uint32_t> byCategory_;
    std::array<std::vector<std::uint32_t>, kOrderCount> ranks_;
    std::array<std::vector<std::uint32_t>, kOrderCount> ordered_;
    TTitleIndex titles_;
    std::size_t skipped_ = 0;
};
