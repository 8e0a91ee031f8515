#pragma once
// A search keyword: split into terms at blanks (ASCII and the ideographic
// space), matched as substrings of titles with ASCII letters folded to lower
// case. An item matches when its title holds every term.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TKeyword {
public:
    static constexpr std::size_t kMaxBytes = 256;
    static constexpr std::size_t kMaxTerms = 8;

    // Nothing when the text is not UTF-8, is longer than kMaxBytes or has more
    // than kMaxTerms terms.
    static std::optional<TKeyword> Parse(std::string_view utf8);

    bool Empty() const { return terms_.empty(); }
    // Distinct terms, folded.
    const std::vector<std::string>& Terms() const { return terms_; }

    // Does a folded title hold every term?
    bool Matches(std::string_view foldedTitle) const;

    // The title with every occurrence of a term wrapped in
    // "<span class=H>" ... "</span>" (overlapping occurrences merged).
    std::string Highlight(std::string_view title) const;

private:
    std::vector<std::string> terms_;
};
