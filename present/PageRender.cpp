#include "PageRender.h"

#include "HtmlEscape.h"
#include "PageHeads.h"
#include "codepage.h"
#include "data.h"

namespace {

// The fragments that hold Chinese text, in the 8-bit code page.
struct TAnsiFragments {
    std::string yuan = Ansi("￥");
    std::string soldPrefix = Ansi("30天售出 ");
    std::string soldAllPrefix = Ansi("30天已售出 ");
    std::string pieces = Ansi(" 件</div>");
};

const TAnsiFragments& Fragments()
{
    static const TAnsiFragments fragments;
    return fragments;
}

// A few hundred bytes of fixed text per item plus its values.
constexpr std::size_t kItemReserve = 900;

void AppendIndex(std::string& out, int i)
{
    out.append(std::to_string(i));
}

// The seller pages' link target: the index padded to two digits.
void AppendLinkIndex(std::string& out, int i)
{
    if (i < 10)
        out.push_back('0');
    out.append(std::to_string(i));
}

// "<div class="div_30">30天售出 %s 件</div>"
void AppendSold(std::string& out, const std::string& prefix, const std::string& volume)
{
    out.append("<div class=\"div_30\">");
    out.append(prefix);
    AppendHtmlText(out, volume);
    out.append(Fragments().pieces);
}

// The list views' credit cell; a row without a credit picture keeps the
// cell and leaves out the picture.
void AppendListCredit(std::string& out, const std::string& creditUrl)
{
    if (creditUrl.empty()) {
        out.append("<div class=\"div_credit\"></div>");
        return;
    }
    out.append("<div class=\"div_credit\"><img src=\"");
    AppendHtmlAttr(out, creditUrl);
    out.append("\"/></div>");
}

void AppendResultListItem(std::string& out, int i, const Tbk_Items_Info& r)
{
    out.append("<div class=\"item\" onMouseOver=\"over(this);\" onMouseOut=\"out(this)\"><div class=\"li\">");
    out.append("<div class=\"div_pic\" onClick=\"OnPic(");
    AppendIndex(out, i);
    out.append(")\"><p><img src=\"");
    AppendHtmlAttr(out, r.pic_url);
    out.append("_sum.jpg\" /></p></div>");
    out.append("<div class=\"div_title\"><a id=\"click_url\" href=\"");
    AppendHtmlAttr(out, r.click_url);
    out.append("\" target=\"_blank\"><span class=\"div_title1\">");
    AppendSafeTitle(out, r.title);
    out.append("</span></a>");
    out.append("<div class=\"div_nick\"><a href=\"");
    AppendHtmlAttr(out, r.shop_click_url);
    out.append("\" target=\"_blank\">");
    AppendHtmlText(out, r.nick);
    out.append("</a></div></div>");
    out.append("<div class=\"div_price\"><span class=\"a\">");
    out.append(Fragments().yuan);
    out.append("</span><span class=\"b\">");
    AppendHtmlText(out, r.price);
    out.append("</span><br><span class=\"c\"></span></div>");
    out.append("<div class=\"div_local\">");
    AppendHtmlText(out, r.item_location);
    out.append("</div>");
    AppendSold(out, Fragments().soldPrefix, r.volume);
    AppendListCredit(out, CreditPictureUrl(r.seller_credit_score));
    out.append("</div></div>");
}

void AppendResultGridItem(std::string& out, int i, const Tbk_Items_Info& r)
{
    out.append("<div class=\"li\">");
    out.append("<div class=\"div_pic\" onclick=\"OnPic(");
    AppendIndex(out, i);
    out.append(")\"><p><img src=\"");
    AppendHtmlAttr(out, r.pic_url);
    out.append("_160x160.jpg\" /></p></div>");
    out.append("<div class=\"div_title\"><a id=\"click_url\" href=\"");
    AppendHtmlAttr(out, r.click_url);
    out.append("\" target=\"_blank\">");
    AppendSafeTitle(out, r.title);
    out.append("</a></div>");
    out.append("<div class=\"div_price\">");
    out.append(Fragments().yuan);
    out.append("<span class=\"b\">");
    AppendHtmlText(out, r.price);
    out.append("</span></div><div class=\"c\">&nbsp;&nbsp;&nbsp;&nbsp;<font color=\"#FF290\">"
               "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;</font></div>");
    out.append("<div class=\"div_nick\"><a href=\"");
    AppendHtmlAttr(out, r.shop_click_url);
    out.append("\" target=\"_blank\">");
    AppendHtmlText(out, r.nick);
    out.append("</a></div>");
    AppendSold(out, Fragments().soldPrefix, r.volume);
    const std::string credit = CreditPictureUrl(r.seller_credit_score);
    if (credit.empty()) {
        out.append("<div style=\"float:left;\"></div>");
    } else {
        out.append("<div style=\"float:left;\"><img src=\"");
        AppendHtmlAttr(out, credit);
        out.append("\" /></div>");
    }
    out.append("<div class=\"div_local\">");
    AppendHtmlText(out, r.item_location);
    out.append("</div>");
    out.append("</div>");
}

void AppendShopListItem(std::string& out, int i, const SHOP_ITEM& s, const ITEM& item)
{
    out.append("<div class=\"item\" onMouseOver=\"over(this);\" onMouseOut=\"out(this)\"><div class=\"li\">");
    out.append("<div class=\"div_pic\"><p><a href=\"");
    AppendLinkIndex(out, i);
    out.append("\"><img src=\"");
    AppendHtmlAttr(out, item.pic_url);
    out.append("_sum.jpg\" /></a></p></div>");
    out.append("<div class=\"div_title\"><a href=\"");
    AppendLinkIndex(out, i);
    out.append("\"><span class=\"div_title1\">");
    AppendSafeTitle(out, item.title);
    out.append("</span></a>");
    out.append("<div class=\"div_nick\"><a href=\"");
    AppendHtmlAttr(out, s.shop_url);
    out.append("\" target=\"_blank\">");
    AppendHtmlText(out, s.nick);
    out.append("</a></div></div>");
    out.append("<div class=\"div_price\"><span class=\"a\">");
    out.append(Fragments().yuan);
    out.append("</span><span class=\"b\">");
    AppendHtmlText(out, item.price);
    out.append("</span></div>");
    out.append("<div class=\"div_local\">");
    AppendHtmlText(out, s.location);
    out.append("</div>");
    AppendSold(out, Fragments().soldPrefix, item.volume);
    AppendListCredit(out, s.credit_pic);
    out.append("</div></div>");
}

void AppendShopGridItem(std::string& out, int i, const SHOP_ITEM& s, const ITEM& item)
{
    out.append("<div class=\"li\">");
    out.append("<a href=\"");
    AppendLinkIndex(out, i);
    out.append("\"><div class=\"div_pic\"><p><img src=\"");
    AppendHtmlAttr(out, item.pic_url);
    out.append("_160x160.jpg\" /></p></div></a>");
    out.append("<div class=\"div_title\"><a href=\"");
    AppendLinkIndex(out, i);
    out.append("\">");
    AppendSafeTitle(out, item.title);
    out.append("</a></div>");
    out.append("<div class=\"div_price\">");
    out.append(Fragments().yuan);
    out.append("<span class=\"b\">");
    AppendHtmlText(out, item.price);
    out.append("</span></div>");
    AppendSold(out, Fragments().soldAllPrefix, item.volume);
    out.append("<div class=\"div_nick\"><a href=\"");
    AppendHtmlAttr(out, s.shop_url);
    out.append("\" target=\"_blank\">");
    AppendHtmlText(out, s.nick);
    out.append("</a><br/>");
    if (!s.credit_pic.empty()) {
        out.append("<img src=\"");
        AppendHtmlAttr(out, s.credit_pic);
        out.append("\" />");
    }
    out.append("</div>");
    out.append("<div class=\"div_local\">");
    AppendHtmlText(out, s.location);
    out.append("</div>");
    out.append("</div>");
}

// Rows up to the first one with an empty title, at most 40.
template <typename Rows>
int CountRows(const Rows& rows)
{
    int n = 0;
    while (n < kMaxPageItems && static_cast<std::size_t>(n) < rows.size() && !rows[n].title.empty())
        ++n;
    return n;
}

template <typename Rows, typename AppendItem>
std::string BuildPage(std::string_view head, const Rows& rows, AppendItem appendItem)
{
    const int count = CountRows(rows);
    std::string page;
    page.reserve(head.size() + kItemReserve * static_cast<std::size_t>(count) + 8);
    page.append(head);
    for (int i = 0; i < count; ++i)
        appendItem(page, i, rows[i]);
    page.append("</body>");
    return page;
}

} // namespace

std::string BuildResultGridPage(const TResultRows& rows)
{
    return BuildPage(ResultGridHead(), rows, AppendResultGridItem);
}

std::string BuildResultListPage(const TResultRows& rows)
{
    return BuildPage(ResultListHead(), rows, AppendResultListItem);
}

std::string BuildShopGridPage(const SHOP_ITEM& shop)
{
    return BuildPage(ShopGridHead(), shop.items, [&shop](std::string& out, int i, const ITEM& item) {
        AppendShopGridItem(out, i, shop, item);
    });
}

std::string BuildShopListPage(const SHOP_ITEM& shop)
{
    return BuildPage(ShopListHead(), shop.items, [&shop](std::string& out, int i, const ITEM& item) {
        AppendShopListItem(out, i, shop, item);
    });
}

std::string BuildResultPage(const TResultRows& rows, int view)
{
    return view == kGridView ? BuildResultGridPage(rows) : BuildResultListPage(rows);
}

std::string BuildShopPage(const SHOP_ITEM& shop, int view)
{
    return view == kGridView ? BuildShopGridPage(shop) : BuildShopListPage(shop);
}
