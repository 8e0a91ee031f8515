#pragma once
// Generated pictures: a coloured PNG tile for every item picture, and the
// twenty seller credit pictures (hearts, diamonds, crowns, golden crowns) as
// SVG.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Catalog.h"
#include "PngEncoder.h"

class TPictureWriter {
public:
    explicit TPictureWriter(const TCatalog& catalog);

    // A square PNG tile of `size` pixels in the colour of the item's root
    // category, showing the item's number and price.
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

    static constexpr const char* kItemContentType = "image/png";
    static constexpr const char* kCreditContentType = "image/svg+xml";

private:
    // The encoder of a size, whose base is the background every item's
    // picture of that size is drawn on (see MakeTile).
    static TPngEncoder MakeTile(int size);

    const TCatalog& catalog_;
    std::array<TPngEncoder, 3> tiles_; // the sizes an address can ask for
};
