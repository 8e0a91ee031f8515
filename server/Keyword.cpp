#include "Keyword.h"

#include <algorithm>
#include <utility>

#include "Utf8.h"

namespace {

// Length of the blank at `p`, 0 when there is none.
std::size_t BlankAt(std::string_view s, std::size_t p)
{
    if (s[p] == ' ' || s[p] == '\t' || s[p] == '\r' || s[p] == '\n')
        return 1;
    if (s.compare(p, 3, "\xe3\x80\x80") == 0) // U+3000 ideographic space
        return 3;
    return 0;
}

} // namespace

std::optional<TKeyword> TKeyword::Parse(std::string_view utf8)
{
    if (utf8.size() > kMaxBytes || !IsUtf8(utf8))
        return std::nullopt;
    TKeyword k;
    const std::string folded = FoldAscii(utf8);
    std::size_t p = 0;
    while (p < folded.size()) {
        while (p < folded.size()) {
            const std::size_t b = BlankAt(folded, p);
            if (b == 0)
                break;
            p += b;
        }
        const std::size_t start = p;
        while (p < folded.size() && BlankAt(folded, p) == 0)
            ++p;
        if (p > start) {
            std::string term = folded.substr(start, p - start);
            if (std::find(k.terms_.begin(), k.terms_.end(), term) == k.terms_.end())
                k.terms_.push_back(std::move(term));
        }
    }
    if (k.terms_.size() > kMaxTerms)
        return std::nullopt;
    return k;
}

bool TKeyword::Matches(std::string_view foldedTitle) const
{
    for (const auto& t : terms_)
        if (foldedTitle.find(t) == std::string_view::npos)
            return false;
    return true;
}

std::string TKeyword::Highlight(std::string_view title) const
{
    static constexpr std::string_view kOpen = "<span class=H>";
    static constexpr std::string_view kClose = "</span>";
    const std::string folded = FoldAscii(title);
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    for (const auto& t : terms_) {
        for (std::size_t at = folded.find(t); at != std::string::npos;
             at = folded.find(t, at + t.size()))
            spans.emplace_back(at, at + t.size());
    }
    if (spans.empty())
        return std::string(title);
    std::sort(spans.begin(), spans.end());
    std::string out;
    out.reserve(title.size() + spans.size() * (kOpen.size() + kClose.size()));
    std::size_t done = 0;
    for (std::size_t i = 0; i < spans.size();) {
        std::size_t begin = spans[i].first;
        std::size_t end = spans[i].second;
        for (++i; i < spans.size() && spans[i].first <= end; ++i)
            end = std::max(end, spans[i].second);
        out.append(title.substr(done, begin - done));
        out.append(kOpen);
        out.append(title.substr(begin, end - begin));
        out.append(kClose);
        done = end;
    }
    out.append(title.substr(done));
    return out;
}
