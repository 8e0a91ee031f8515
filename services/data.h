#pragma once
// Process-wide server addresses and the vocabulary tables of the search panel.
// Every text here is in the system's 8-bit code page (GB18030).

#include <array>
#include <string>

// Base of every request address, "http://" host "/". Replaced by FallbackUrl
// at most once, during start-up, before any worker thread exists.
extern std::string BaseUrl;
// Built in at compile time; the program never changes it (tests point it at
// their own server before the main window is created).
extern std::string FallbackUrl;
// Marketplace image host: credit pictures live under "newrank/".
extern const std::string ImageUrl;

// Publisher ID sent with every request, and the running program's version.
inline constexpr const char* kPid = "mm_10000001_0_0";
inline constexpr const char* kCurrentVersion = "20100823";

// Sort list position -> sort key (the list offers positions 0..4).
extern const std::array<std::string, 6> SortKeys;
// Credit list position -> credit level key.
extern const std::array<std::string, 20> CreditLevels;
// Area list position -> area condition (comma-separated places); entry 0 and 63 empty.
extern const std::array<std::string, 64> Areas;
// Labels of the 63 area list items.
extern const std::array<std::string, 63> AreaLabels;
// Credit score n (1..20) -> entry n-1.
extern const std::array<std::string, 20> RankImages;
// The 65 root category names; a root named like entry k-1 gets icon k.
extern const std::array<std::string, 65> RootCategoryNames;

// Full credit picture URL for a score text; empty when the text is not a
// decimal integer in 1..20.
std::string CreditPictureUrl(const std::string& score);
// Icon index of a root category name: 1..65, or 0 when not in the table.
int RootCategoryIcon(const std::string& name);
