#pragma once
// Generates the demo catalog: categories under the 65 root names of the
// category table (two further levels below most of them), about 2,000 sellers
// and 20,000 items. The same rows come out on every run and every machine.

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "CatalogRows.h"
#include "Random.h"

class TCatalogSeeder {
public:
    static constexpr std::size_t kSellers = 2000;
    static constexpr std::size_t kItems = 20000;

    TCatalogRows Generate();

private:
    // A category whose items are named after `nouns`.
    struct TLeaf {
        std::int64_t cid;
        std::size_t root;
        std::vector<std::string> nouns;
    };

    void MakeCategories(TCatalogRows& rows);
    void MakeSellers(TCatalogRows& rows);
    void MakeItems(TCatalogRows& rows);
    std::string MakeNick(std::size_t index, std::unordered_set<std::string>& used);
    std::string MakeTitle(const TLeaf& leaf);
    std::int64_t MakePrice(std::size_t root);

    TRandom rnd_{20100823};
    std::vector<TLeaf> leaves_;
    std::vector<std::vector<std::size_t>> leavesOfRoot_;
    std::vector<std::size_t> homeRoot_;   // per seller
    std::vector<std::size_t> itemCount_;  // per seller
};
