#pragma once
// One item the shopper kept: what it was when kept, and what was last seen
// of it when the favourites were priced again.

#include <cstdint>
#include <optional>
#include <string>

struct TFavourite {
    std::string num_iid;       // the item's id, as the platform writes it
    std::string title;         // UTF-8, as shown
    std::string pic_url;
    std::string nick;          // the seller
    std::string click_url;     // the affiliate link it opens through
    std::int64_t keptPrice = 0; // fen
    std::int64_t keptAt = 0;    // Unix seconds
    std::int64_t lastPrice = 0; // fen; the kept price until priced again
    std::optional<std::int64_t> targetPrice; // fen: tell when the price reaches it
    bool gone = false;          // the server no longer knows the item

    bool operator==(const TFavourite&) const = default;
};
