#pragma once
// Generated pictures (SVG): a coloured tile for every item picture and the
// twenty seller credit pictures (hearts, diamonds, crowns, golden crowns).

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

    static constexpr const char* kContentType = "image/svg+xml";

private:
    const TCatalog& catalog_;
};
