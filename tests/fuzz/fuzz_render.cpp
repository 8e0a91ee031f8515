// The page renderers with hostile row fields: whatever a server sends, the
// page keeps its own structure. Every '<' opens one of the pages' own tags
// (or the title highlight span), every tag has balanced double quotes, and
// every '&' starts an entity.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "PageRender.h"

namespace {

// Input: fields separated by 0x01; rows take nine fields each, then the
// seller page takes the rest.
std::vector<std::string> Fields(std::string_view in)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= in.size()) {
        std::size_t end = in.find('\x01', start);
        if (end == std::string_view::npos)
            end = in.size();
        out.emplace_back(in.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    if (s.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

const char* const kTags[] = {"<head>", "</head>", "<meta ", "<style", "</style>", "<script ", "</script>",
                             "<body ", "</body>", "<div ", "<div>", "</div>", "<p>", "</p>", "<img ",
                             "<a ", "</a>", "<span class=\"", "</span>", "<br>", "<br/>", "<font ",
                             "</font>"};

bool AllowedTag(std::string_view at)
{
    for (const char* t : kTags)
        if (at.substr(0, std::strlen(t)) == t)
            return true;
    // The title highlight, in any letter case, H quoted or not.
    return StartsWithNoCase(at, "<span class=h>") || StartsWithNoCase(at, "<span class=\"h\">") ||
           StartsWithNoCase(at, "<span class='h'>") || StartsWithNoCase(at, "</span>");
}

void Check(const std::string& page)
{
    for (std::size_t i = 0; i < page.size(); ++i) {
        const char c = page[i];
        if (c == '<') {
            const std::string_view at(page.data() + i, page.size() - i);
            if (!AllowedTag(at))
                __builtin_trap();
            const std::size_t close = page.find('>', i);
            if (close == std::string::npos)
                __builtin_trap();
            std::size_t quotes = 0;
            for (std::size_t k = i; k < close; ++k)
                quotes += page[k] == '"';
            if (quotes % 2 != 0)
                __builtin_trap();
        } else if (c == '&') {
            const std::string_view at(page.data() + i, page.size() - i);
            if (!(at.starts_with("&amp;") || at.starts_with("&lt;") || at.starts_with("&gt;") ||
                  at.starts_with("&quot;") || at.starts_with("&#39;") || at.starts_with("&nbsp;")))
                __builtin_trap();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string> f = Fields({reinterpret_cast<const char*>(data), size});
    std::size_t next = 0;
    auto take = [&]() -> std::string { return next < f.size() ? f[next++] : std::string("t"); };

    TResultRows rows{};
    const std::size_t count = f.size() / 9 > 40 ? 40 : f.size() / 9;
    for (std::size_t i = 0; i < count; ++i) {
        auto& r = rows[i];
        r.nick = take();
        r.title = take();
        r.price = take();
        r.pic_url = take();
        r.click_url = take();
        r.shop_click_url = take();
        r.seller_credit_score = take();
        r.item_location = take();
        r.volume = take();
    }
    Check(BuildResultGridPage(rows));
    Check(BuildResultListPage(rows));

    SHOP_ITEM shop{};
    shop.nick = take();
    shop.shop_url = take();
    shop.credit_pic = take();
    shop.location = take();
    for (std::size_t i = 0; i < 40 && next < f.size(); ++i) {
        shop.items[i].title = take();
        shop.items[i].price = take();
        shop.items[i].pic_url = take();
        shop.items[i].volume = take();
    }
    Check(BuildShopGridPage(shop));
    Check(BuildShopListPage(shop));
    return 0;
}
