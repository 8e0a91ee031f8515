#pragma once
// Generated pictures (SVG): a coloured tile for every item picture and the
// twenty seller credit pictures (hearts, diamonds, crowns, golden crowns).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Catalog.h"

class TPictureWriter {
public:
    explicit TPictureWriter(const TCatalog& catalog) : catalog_(catalog) {}

    // A square tile of `size` pixels showing the item's category, number
    // and price.
    std::string ItemPicture(const TCatalog::TItem& item, int size) const;

    // The credit picture of a name of the credit picture table
    // ("b_red_1.gif" ... "s_crown_5.gif"); nothing for any other name.
    static std::optional<std::string> CreditPicture(std::string_view name);

    struct TItemPicturePath {
        std::int64_t num_iid;
        int size; // pixels
    };
    // Reads what follows "/bao/uploaded/" in an item picture address:
    // "iN/ID.jpg" (310 pixels), then "_160x160.jpg" or "_sum.jpg" (80)
    // for the smaller sizes, N from 1 to 4.
    static std::optional<TItemPicturePath> ParsePath(std::string_view rest);

    static constexpr const char* kContentType = "image/svg+xml";

private:
    const TCatalog& catalog_;
};
