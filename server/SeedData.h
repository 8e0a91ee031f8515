#pragma once
// Word lists from which the demo catalog is generated: per root category a
// price band, a few brand or style words and the category tree below it;
// places with their weights; parts of seller nicks and of item titles.
// All texts are UTF-8.

#include <array>
#include <vector>

namespace seed {

// One root category, by its position in the root category table.
//   tree: "child;child:leaf,leaf;..." (level 2 and level 3), or
//         "=noun,noun" for a root without children, whose items are then
//         named after these nouns.
struct TRootSpec {
    int priceLo; // yuan
    int priceHi;
    const char* attrs; // brand or style words, comma-separated
    const char* tree;
    bool autoSend; // virtual goods, delivered automatically
};

extern const std::array<TRootSpec, 65> kRoots;

struct TPlace {
    const char* state;
    const char* city; // "" abroad
    unsigned weight;
};

extern const std::vector<TPlace> kPlaces;

extern const std::vector<const char*> kNickHeads;
extern const std::vector<const char*> kNickTails;
extern const std::vector<const char*> kTitleHeads;
extern const std::vector<const char*> kTitleTails;

} // namespace seed
