#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Fmt.h"
#include "HtmlEscape.h"
#include "MD5.h"
#include "PageRender.h"
#include "codepage.h"
#include "data.h"

// Pages are checked byte for byte against the quoted fragments of each layout,
// formatted the way the layouts define them (%s, %d, %.2d), in UTF-8 here and
// converted to the 8-bit code page for the comparison.

namespace {

// One result row, all values in UTF-8.
struct TRow {
    std::string nick, title, price, pic_url, click_url, shop_click_url, score, location, volume;
};

TRow SampleRow(int i, const std::string& score = "11")
{
    const std::string n = std::to_string(i);
    return {"卖家" + n,
            "商品标题 " + n,
            n + ".50",
            "http://img.example/bao/uploaded/i" + n + ".jpg",
            "http://s.click.example/t_" + n,
            "http://shop.click.example/s_" + n,
            score,
            "浙江 杭州",
            std::to_string(100 + i)};
}

TResultRows ToRows(const std::vector<TRow>& in)
{
    TResultRows rows;
    for (std::size_t i = 0; i < in.size() && i < rows.size(); ++i) {
        auto& r = rows[i];
        r.nick = Ansi(in[i].nick);
        r.title = Ansi(in[i].title);
        r.price = Ansi(in[i].price);
        r.pic_url = in[i].pic_url;
        r.click_url = in[i].click_url;
        r.shop_click_url = in[i].shop_click_url;
        r.seller_credit_score = in[i].score;
        r.item_location = Ansi(in[i].location);
        r.volume = in[i].volume;
    }
    return rows;
}

std::string Credit(const std::string& score)
{
    return CreditPictureUrl(score);
}

std::string ListItem(int i, const TRow& r)
{
    return std::string("<div class=\"item\" onMouseOver=\"over(this);\" onMouseOut=\"out(this)\"><div class=\"li\">") +
           Fmt("<div class=\"div_pic\" onClick=\"OnPic(%d)\"><p><img src=\"%s_sum.jpg\" /></p></div>", i, r.pic_url.c_str()) +
           Fmt("<div class=\"div_title\"><a id=\"click_url\" href=\"%s\" target=\"_blank\"><span class=\"div_title1\">%s</span></a>",
               r.click_url.c_str(), r.title.c_str()) +
           Fmt("<div class=\"div_nick\"><a href=\"%s\" target=\"_blank\">%s</a></div></div>", r.shop_click_url.c_str(), r.nick.c_str()) +
           Fmt("<div class=\"div_price\"><span class=\"a\">￥</span><span class=\"b\">%s</span><br><span class=\"c\"></span></div>", r.price.c_str()) +
           Fmt("<div class=\"div_local\">%s</div>", r.location.c_str()) +
           Fmt("<div class=\"div_30\">30天售出 %s 件</div>", r.volume.c_str()) +
           Fmt("<div class=\"div_credit\"><img src=\"%s\"/></div>", Credit(r.score).c_str()) +
           "</div></div>";
}

std::string GridItem(int i, const TRow& r)
{
    return std::string("<div class=\"li\">") +
           Fmt("<div class=\"div_pic\" onclick=\"OnPic(%d)\"><p><img src=\"%s_160x160.jpg\" /></p></div>", i, r.pic_url.c_str()) +
           Fmt("<div class=\"div_title\"><a id=\"click_url\" href=\"%s\" target=\"_blank\">%s</a></div>", r.click_url.c_str(), r.title.c_str()) +
           Fmt("<div class=\"div_price\">￥<span class=\"b\">%s</span></div><div class=\"c\">&nbsp;&nbsp;&nbsp;&nbsp;<font color=\"#FF290\">&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;</font></div>",
               r.price.c_str()) +
           Fmt("<div class=\"div_nick\"><a href=\"%s\" target=\"_blank\">%s</a></div>", r.shop_click_url.c_str(), r.nick.c_str()) +
           Fmt("<div class=\"div_30\">30天售出 %s 件</div>", r.volume.c_str()) +
           Fmt("<div style=\"float:left;\"><img src=\"%s\" /></div>", Credit(r.score).c_str()) +
           Fmt("<div class=\"div_local\">%s</div>", r.location.c_str()) +
           "</div>";
}

// A seller with its items, all values in UTF-8.
struct TShop {
    std::string nick = "好店铺";
    std::string shop_url = "http://shop.example/1";
    std::string credit_pic = CreditPictureUrl("6");
    std::string location = "广东 深圳";
    std::vector<ITEM> items;
};

ITEM SampleItem(int i)
{
    const std::string n = std::to_string(i);
    return {"", "宝贝 " + n, n + ".00", std::to_string(5000 + i), "http://img.example/p" + n + ".jpg", std::to_string(i)};
}

SHOP_ITEM ToShop(const TShop& in)
{
    SHOP_ITEM s;
    s.nick = Ansi(in.nick);
    s.shop_url = in.shop_url;
    s.credit_pic = in.credit_pic;
    s.location = Ansi(in.location);
    for (std::size_t i = 0; i < in.items.size() && i < s.items.size(); ++i) {
        s.items[i] = in.items[i];
        s.items[i].title = Ansi(in.items[i].title);
        s.items[i].price = Ansi(in.items[i].price);
        s.items[i].volume = Ansi(in.items[i].volume);
    }
    return s;
}

std::string ShopListItem(int i, const TShop& s, const ITEM& it)
{
    return std::string("<div class=\"item\" onMouseOver=\"over(this);\" onMouseOut=\"out(this)\"><div class=\"li\">") +
           Fmt("<div class=\"div_pic\"><p><a href=\"%.2d\"><img src=\"%s_sum.jpg\" /></a></p></div>", i, it.pic_url.c_str()) +
           Fmt("<div class=\"div_title\"><a href=\"%.2d\"><span class=\"div_title1\">%s</span></a>", i, it.title.c_str()) +
           Fmt("<div class=\"div_nick\"><a href=\"%s\" target=\"_blank\">%s</a></div></div>", s.shop_url.c_str(), s.nick.c_str()) +
           Fmt("<div class=\"div_price\"><span class=\"a\">￥</span><span class=\"b\">%s</span></div>", it.price.c_str()) +
           Fmt("<div class=\"div_local\">%s</div>", s.location.c_str()) +
           Fmt("<div class=\"div_30\">30天售出 %s 件</div>", it.volume.c_str()) +
           Fmt("<div class=\"div_credit\"><img src=\"%s\"/></div>", s.credit_pic.c_str()) +
           "</div></div>";
}

std::string ShopGridItem(int i, const TShop& s, const ITEM& it)
{
    return std::string("<div class=\"li\">") +
           Fmt("<a href=\"%.2d\"><div class=\"div_pic\"><p><img src=\"%s_160x160.jpg\" /></p></div></a>", i, it.pic_url.c_str()) +
           Fmt("<div class=\"div_title\"><a href=\"%.2d\">%s</a></div>", i, it.title.c_str()) +
           Fmt("<div class=\"div_price\">￥<span class=\"b\">%s</span></div>", it.price.c_str()) +
           Fmt("<div class=\"div_30\">30天已售出 %s 件</div>", it.volume.c_str()) +
           Fmt("<div class=\"div_nick\"><a href=\"%s\" target=\"_blank\">%s</a><br/><img src=\"%s\" /></div>", s.shop_url.c_str(),
               s.nick.c_str(), s.credit_pic.c_str()) +
           Fmt("<div class=\"div_local\">%s</div>", s.location.c_str()) +
           "</div>";
}

std::string Head(std::string_view h)
{
    return std::string(h);
}

void ReplaceOnce(std::string& text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

} // namespace

TEST(PageHeads, AreTheFixedTextsOfTheFourLayouts)
{
    EXPECT_EQ(ResultListHead().size(), 1779u);
    EXPECT_EQ(Md5Hex(Head(ResultListHead())), "4283759968693ea85c8a1c6b46f9c1e0");
    EXPECT_EQ(ResultGridHead().size(), 1239u);
    EXPECT_EQ(Md5Hex(Head(ResultGridHead())), "0cf3aa5cbd44642404f16ed9be5de5ca");
    EXPECT_EQ(ShopGridHead().size(), 1191u);
    EXPECT_EQ(Md5Hex(Head(ShopGridHead())), "bea079844c9468403edb653e0a77f9df");
    // The seller list head is the result list head without one rule.
    std::string expected = Head(ResultListHead());
    expected.erase(expected.find(".c{font-weight: lighter;}"), 25);
    EXPECT_EQ(Head(ShopListHead()), expected);
    EXPECT_NE(ShopListHead().find(".b{font-size:14px;color:#FF2900;}.div_local{"), std::string_view::npos);

    for (auto h : {ResultListHead(), ResultGridHead(), ShopListHead(), ShopGridHead()}) {
        EXPECT_EQ(h.substr(0, 47), "<head> <meta http-equiv=\"Content-Type\" content=");
        EXPECT_NE(h.find("charset=gb2312"), std::string_view::npos);
        EXPECT_NE(h.find("scroll=\"no\""), std::string_view::npos);
        EXPECT_EQ(h.back(), '>');
    }
}

TEST(PageRender, BlankStartDocument)
{
    EXPECT_EQ(std::string(kBlankDocument),
              "<body leftMargin=0  topMargin=0 scroll=\"no\" style=\";width:100%; border-width=0;\"></body>");
}

TEST(PageRender, EmptyResultIsHeadAndBodyEnd)
{
    const TResultRows none;
    EXPECT_EQ(BuildResultListPage(none), Head(ResultListHead()) + "</body>");
    EXPECT_EQ(BuildResultGridPage(none), Head(ResultGridHead()) + "</body>");
    const SHOP_ITEM shop;
    EXPECT_EQ(BuildShopListPage(shop), Head(ShopListHead()) + "</body>");
    EXPECT_EQ(BuildShopGridPage(shop), Head(ShopGridHead()) + "</body>");
}

TEST(PageRender, ResultViewsOfTwelveRowsStopAtTheFirstEmptyTitle)
{
    std::vector<TRow> in;
    for (int i = 0; i < 20; ++i)
        in.push_back(SampleRow(i, std::to_string(1 + i % 20)));
    in[12].title.clear(); // rows after an empty title are never shown
    const TResultRows rows = ToRows(in);

    std::string list, grid;
    for (int i = 0; i < 12; ++i) {
        list += ListItem(i, in[i]);
        grid += GridItem(i, in[i]);
    }
    EXPECT_EQ(BuildResultListPage(rows), Head(ResultListHead()) + Ansi(list) + "</body>");
    EXPECT_EQ(BuildResultGridPage(rows), Head(ResultGridHead()) + Ansi(grid) + "</body>");
    EXPECT_EQ(Count(BuildResultListPage(rows), "class=\"item\""), 12u);
    EXPECT_EQ(Count(BuildResultGridPage(rows), "<div class=\"li\">"), 12u);
}

TEST(PageRender, ResultViewsOfFortyRows)
{
    std::vector<TRow> in;
    for (int i = 0; i < 40; ++i)
        in.push_back(SampleRow(i, std::to_string(1 + i % 20)));
    const TResultRows rows = ToRows(in);
    std::string list, grid;
    for (int i = 0; i < 40; ++i) {
        list += ListItem(i, in[i]);
        grid += GridItem(i, in[i]);
    }
    const std::string listPage = BuildResultListPage(rows);
    EXPECT_EQ(listPage, Head(ResultListHead()) + Ansi(list) + "</body>");
    EXPECT_EQ(BuildResultGridPage(rows), Head(ResultGridHead()) + Ansi(grid) + "</body>");
    EXPECT_EQ(Count(listPage, "id=\"click_url\""), 40u);
    EXPECT_NE(listPage.find("OnPic(39)"), std::string::npos);
    EXPECT_EQ(listPage.find("OnPic(40)"), std::string::npos);
}

TEST(PageRender, ViewIndexChoosesTheLayout)
{
    const TResultRows rows = ToRows({SampleRow(0)});
    EXPECT_EQ(BuildResultPage(rows, 0), BuildResultGridPage(rows));
    EXPECT_EQ(BuildResultPage(rows, 1), BuildResultListPage(rows));
    TShop s;
    s.items = {SampleItem(0)};
    const SHOP_ITEM shop = ToShop(s);
    EXPECT_EQ(BuildShopPage(shop, 0), BuildShopGridPage(shop));
    EXPECT_EQ(BuildShopPage(shop, 1), BuildShopListPage(shop));
    EXPECT_EQ(BuildShopPage(shop, 2), BuildShopListPage(shop)); // the empty third entry
}

TEST(PageRender, CreditPicturesForScoresOneAndTwenty)
{
    const TResultRows rows = ToRows({SampleRow(0, "1"), SampleRow(1, "20")});
    for (const auto& page : {BuildResultListPage(rows), BuildResultGridPage(rows)}) {
        EXPECT_NE(page.find("<img src=\"" + ImageUrl + "newrank/b_red_1.gif\""), std::string::npos);
        EXPECT_NE(page.find("<img src=\"" + ImageUrl + "newrank/s_crown_5.gif\""), std::string::npos);
    }
}

TEST(PageRender, ScoresWithoutAPictureLeaveAnEmptyCreditCell)
{
    for (const std::string score : {"0", "x", "", "21", "-1", " 5", "5 "}) {
        SCOPED_TRACE("score '" + score + "'");
        const TRow row = SampleRow(0, score);
        const TResultRows rows = ToRows({row});
        std::string list = ListItem(0, row);
        ReplaceOnce(list, "<div class=\"div_credit\"><img src=\"\"/></div>", "<div class=\"div_credit\"></div>");
        std::string grid = GridItem(0, row);
        ReplaceOnce(grid, "<div style=\"float:left;\"><img src=\"\" /></div>", "<div style=\"float:left;\"></div>");
        EXPECT_EQ(BuildResultListPage(rows), Head(ResultListHead()) + Ansi(list) + "</body>");
        EXPECT_EQ(BuildResultGridPage(rows), Head(ResultGridHead()) + Ansi(grid) + "</body>");
    }
}

TEST(PageRender, EmptyValuesGiveEmptySpansAndBarePictureSuffixes)
{
    TResultRows rows;
    rows[0].title = "t";
    const std::string list = BuildResultListPage(rows);
    EXPECT_NE(list.find("<img src=\"_sum.jpg\" />"), std::string::npos);
    EXPECT_NE(list.find("<span class=\"b\"></span>"), std::string::npos);
    EXPECT_NE(list.find("<div class=\"div_local\"></div>"), std::string::npos);
    EXPECT_NE(BuildResultGridPage(rows).find("<img src=\"_160x160.jpg\" />"), std::string::npos);
}

TEST(PageRender, SellerViewsNumberTheirLinksAndStopAtForty)
{
    TShop s;
    for (int i = 0; i < 41; ++i)
        s.items.push_back(SampleItem(i)); // a 41st entry with a title is never shown
    const SHOP_ITEM shop = ToShop(s);
    std::string list, grid;
    for (int i = 0; i < 40; ++i) {
        list += ShopListItem(i, s, s.items[i]);
        grid += ShopGridItem(i, s, s.items[i]);
    }
    const std::string listPage = BuildShopListPage(shop);
    EXPECT_EQ(listPage, Head(ShopListHead()) + Ansi(list) + "</body>");
    EXPECT_EQ(BuildShopGridPage(shop), Head(ShopGridHead()) + Ansi(grid) + "</body>");
    EXPECT_NE(listPage.find("<a href=\"00\">"), std::string::npos);
    EXPECT_NE(listPage.find("<a href=\"09\">"), std::string::npos);
    EXPECT_NE(listPage.find("<a href=\"39\">"), std::string::npos);
    EXPECT_EQ(listPage.find("<a href=\"40\">"), std::string::npos);
}

TEST(PageRender, SellerViewsOfFiveItems)
{
    TShop s;
    for (int i = 0; i < 5; ++i)
        s.items.push_back(SampleItem(i));
    std::string list, grid;
    for (int i = 0; i < 5; ++i) {
        list += ShopListItem(i, s, s.items[i]);
        grid += ShopGridItem(i, s, s.items[i]);
    }
    EXPECT_EQ(BuildShopListPage(ToShop(s)), Head(ShopListHead()) + Ansi(list) + "</body>");
    EXPECT_EQ(BuildShopGridPage(ToShop(s)), Head(ShopGridHead()) + Ansi(grid) + "</body>");
}

TEST(PageRender, SellerWithoutCreditPictureHasNoPicture)
{
    TShop s;
    s.credit_pic.clear();
    s.items = {SampleItem(0)};
    std::string list = ShopListItem(0, s, s.items[0]);
    ReplaceOnce(list, "<div class=\"div_credit\"><img src=\"\"/></div>", "<div class=\"div_credit\"></div>");
    std::string grid = ShopGridItem(0, s, s.items[0]);
    ReplaceOnce(grid, "<br/><img src=\"\" /></div>", "<br/></div>");
    EXPECT_EQ(BuildShopListPage(ToShop(s)), Head(ShopListHead()) + Ansi(list) + "</body>");
    EXPECT_EQ(BuildShopGridPage(ToShop(s)), Head(ShopGridHead()) + Ansi(grid) + "</body>");
}

TEST(PageRender, MarkupInValuesIsEscapedForItsPlace)
{
    TRow row = SampleRow(0);
    row.title = "<script>alert('x')</script> & \"q\"";
    row.nick = "<b>nick</b>";
    row.price = "1<2";
    row.location = "a&b";
    row.volume = "'9'";
    row.click_url = "http://a.example/?q=\"><script>x()</script>&r=1";
    row.shop_click_url = "javascript:alert('x')";
    row.pic_url = "http://p.example/\" onerror=\"x()";
    const TResultRows rows = ToRows({row});

    TRow escaped = row;
    escaped.title = "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &amp; &quot;q&quot;";
    escaped.nick = "&lt;b&gt;nick&lt;/b&gt;";
    escaped.price = "1&lt;2";
    escaped.location = "a&amp;b";
    escaped.volume = "&#39;9&#39;";
    escaped.click_url = "http://a.example/?q=&quot;&gt;&lt;script&gt;x()&lt;/script&gt;&amp;r=1";
    escaped.shop_click_url = "javascript:alert(&#39;x&#39;)";
    escaped.pic_url = "http://p.example/&quot; onerror=&quot;x()";
    EXPECT_EQ(BuildResultListPage(rows), Head(ResultListHead()) + Ansi(ListItem(0, escaped)) + "</body>");
    EXPECT_EQ(BuildResultGridPage(rows), Head(ResultGridHead()) + Ansi(GridItem(0, escaped)) + "</body>");

    TShop s;
    s.nick = "<i>";
    s.shop_url = "http://s.example/\"";
    s.location = "<u>";
    s.credit_pic = "http://c.example/a\"b.gif";
    ITEM item = SampleItem(0);
    item.title = "<img src=x onerror=alert(1)>";
    item.price = "&";
    item.pic_url = "\"";
    s.items = {item};
    TShop se = s;
    se.nick = "&lt;i&gt;";
    se.shop_url = "http://s.example/&quot;";
    se.location = "&lt;u&gt;";
    se.credit_pic = "http://c.example/a&quot;b.gif";
    ITEM ie = item;
    ie.title = "&lt;img src=x onerror=alert(1)&gt;";
    ie.price = "&amp;";
    ie.pic_url = "&quot;";
    EXPECT_EQ(BuildShopListPage(ToShop(s)), Head(ShopListHead()) + Ansi(ShopListItem(0, se, ie)) + "</body>");
    EXPECT_EQ(BuildShopGridPage(ToShop(s)), Head(ShopGridHead()) + Ansi(ShopGridItem(0, se, ie)) + "</body>");
}

TEST(PageRender, HighlightedTitleKeepsItsMarkup)
{
    TRow row = SampleRow(0);
    row.title = "新款<span class=H>手机</span>壳";
    const TResultRows rows = ToRows({row});
    EXPECT_EQ(BuildResultListPage(rows), Head(ResultListHead()) + Ansi(ListItem(0, row)) + "</body>");
    EXPECT_EQ(BuildResultGridPage(rows), Head(ResultGridHead()) + Ansi(GridItem(0, row)) + "</body>");
}

TEST(SafeTitle, KeepsOnlyTheHighlightSpans)
{
    // The kept forms: any letter case, H bare or quoted.
    EXPECT_EQ(SafeTitle("a<span class=H>b</span>c"), "a<span class=H>b</span>c");
    EXPECT_EQ(SafeTitle("<SPAN CLASS=h>b</SPAN>"), "<SPAN CLASS=h>b</SPAN>");
    EXPECT_EQ(SafeTitle("<span class=\"H\">b</span>"), "<span class=\"H\">b</span>");
    EXPECT_EQ(SafeTitle("<Span Class='h'>b</sPan>"), "<Span Class='h'>b</sPan>");
    EXPECT_EQ(SafeTitle("<span class=H>a</span> & <span class=H>b</span>"),
              "<span class=H>a</span> &amp; <span class=H>b</span>");
    // Anything else is text.
    EXPECT_EQ(SafeTitle("<span class=H onclick=x()>b</span>"), "&lt;span class=H onclick=x()&gt;b&lt;/span&gt;");
    EXPECT_EQ(SafeTitle("<span class=Hx>b</span>"), "&lt;span class=Hx&gt;b&lt;/span&gt;");
    EXPECT_EQ(SafeTitle("<span class=\"H'>b"), "&lt;span class=&quot;H&#39;&gt;b");
    EXPECT_EQ(SafeTitle("<b>x</b>"), "&lt;b&gt;x&lt;/b&gt;");
    // Balance: a stray close is text, an open highlight is closed at the end.
    EXPECT_EQ(SafeTitle("x</span></a>"), "x&lt;/span&gt;&lt;/a&gt;");
    EXPECT_EQ(SafeTitle("<span class=H>x"), "<span class=H>x</span>");
    EXPECT_EQ(SafeTitle("<span class=H>a</span></span>"), "<span class=H>a</span>&lt;/span&gt;");
    EXPECT_EQ(SafeTitle("<span class=H"), "&lt;span class=H");
    EXPECT_EQ(SafeTitle(""), "");
}

TEST(HtmlEscape, GbMultiByteTextPassesUnchanged)
{
    const std::string text = Ansi("手机壳 ￥ 😀 𠀀");
    EXPECT_EQ(HtmlText(text), text);
    EXPECT_EQ(HtmlAttr(text), text);
    EXPECT_EQ(SafeTitle(text), text);
    EXPECT_EQ(HtmlText("a&b<c>d\"e'f"), "a&amp;b&lt;c&gt;d&quot;e&#39;f");
    EXPECT_EQ(HtmlAttr("a&b<c>d\"e'f"), "a&amp;b&lt;c&gt;d&quot;e&#39;f");
}
