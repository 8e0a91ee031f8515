#pragma once
// A marketplace-shaped catalog of any size, written as the three CSV files
// that "pallido-server import" reads. Titles are Chinese: a brand, a product
// and attribute words, each drawn with a skewed (Zipf) frequency, as real
// listings repeat a few words very often and most words rarely; one
// product word ("包邮") is in half the titles and one ("珍藏版") in about one
// in 100,000. There is one seller for every 100 items. The same size always
// gives the same files.

#include <cstdint>
#include <string>

class TScaleCatalog {
public:
    // Words and values the searches of the benchmark ask for.
    static constexpr const char* kHotWord = "鸿星";       // the most frequent brand
    static constexpr const char* kSecondHotWord = "连衣裙"; // the most frequent product
    static constexpr const char* kHalfWord = "包邮";      // in half the titles
    static constexpr const char* kOneCharacter = "韩";    // in many words
    static constexpr const char* kRareWord = "珍藏版";    // about 1 in 100,000
    static constexpr int kRoots = 20;                    // root categories, cid 1..20

    explicit TScaleCatalog(std::uint64_t items) : items_(items) {}

    // Writes categories.csv, sellers.csv and items.csv into `folder` (which
    // must exist); false with the reason in `error`.
    bool Write(const std::string& folder, std::string& error) const;

    // A leaf category of root `root` (1-based), for category searches.
    static std::int64_t LeafOf(int root) { return (root * 100 + 1) * 100 + 1; }

private:
    std::uint64_t items_;
};
