#include <gtest/gtest.h>

#include <string>

#include "Fmt.h"
#include "HtmlColor.h"
#include "LinkTarget.h"
#include "PageCount.h"
#include "ShopSlots.h"
#include "codepage.h"
#include "data.h"

// The seller list is checked byte for byte against its quoted head and
// block fragments, formatted as they define (%s, %.2d) in UTF-8 and converted
// to the 8-bit code page for the comparison.

namespace {

const char* const kHead =
    "<head> <meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\" /> <style> "
    ".item{MARGIN: 0px;cursor:pointer;border:1px solid #dddddd;width:242px;padding-top: 7px;padding-right: "
    "4px;padding-bottom: 2px;padding-left: 5px;}a{text-decoration: none;} .mytitle{COLOR:%s;DISPLAY: "
    "block;TEXT-ALIGN: left;padding-bottom: 2px;float: left;padding-right: 4px;}.mylocal{COLOR:%s;DISPLAY: "
    "block;TEXT-ALIGN:right;padding-bottom: 2px;}.mycredit{COLOR:%s;DISPLAY: block;float: left;padding-top: "
    "2px;}img {border-top-width: 0px;border-right-width: 0px;border-bottom-width: 0px;border-left-width: "
    "0px;}</style> <script language=JavaScript>function over(mydiv) {mydiv.style.border=\"1px solid "
    "#99bbe8\";mydiv.style.background= \"#dfe8f6\";}function out(mydiv) {mydiv.style.border=\"1px solid "
    "#dddddd\";mydiv.style.background= \"\";}</script> </head><body leftMargin=0  topMargin=0 scroll=\"no\" "
    "style=\"color:%s;font-size:12px;width:100%%; border-width=0;\">";

std::string Head(const char* color) { return Ansi(Fmt(kHead, color, color, color, color)); }

std::string Block(int k, const std::string& nick, const std::string& location, const std::string& credit)
{
    std::string b = Fmt("<a href=\"#%.2d\"><DIV class=\"item\" onMouseOver=\"over(this)\" onMouseOut=\"out(this)\">", k);
    b += Fmt("<DIV class=\"mytitle\">卖家：%s</DIV>", nick.c_str());
    b += Fmt("<div class=\"mylocal\">地区：%s</div>", location.c_str());
    b += Fmt("<div class=\"mycredit\">信用：</div><img src=\"%s\"/></DIV></a>", credit.c_str());
    return Ansi(b);
}

void Row(Tbk_Items_Info& r, const std::string& nick, const std::string& location, const std::string& score)
{
    r.nick = Ansi(nick);
    r.title = Ansi("标题 " + nick);
    r.item_location = Ansi(location);
    r.seller_credit_score = score;
    r.shop_click_url = "http://shop.example/" + std::to_string(r.nick.size()) + nick.substr(0, 1);
}

} // namespace

TEST(SellerList, ColourTextIsUpperCaseHexWithTrailingBlank)
{
    EXPECT_EQ(ColorToHtml(30, 144, 255), "#1E90FF ");
    EXPECT_EQ(ColorToHtml(0, 0, 0), "#000000 ");
    EXPECT_EQ(ColorToHtml(-4, 300, 10), "#00FF0A ");
}

TEST(SellerList, FortyRowsFromThreeSellersListThreeWithTheirFirstRows)
{
    TResultRows rows;
    const char* nicks[] = {"甲店", "乙店", "丙店"};
    for (int i = 0; i < 40; ++i)
        Row(rows[static_cast<std::size_t>(i)], nicks[i % 3], "地区" + std::to_string(i), std::to_string(i + 1));
    TShopSlots shops;
    const std::string page = BuildSellerList(rows, shops, "#24456E ");
    const std::string expected = Head("#24456E ") + Block(0, "甲店", "地区0", CreditPictureUrl("1")) +
                                 Block(1, "乙店", "地区1", CreditPictureUrl("2")) +
                                 Block(2, "丙店", "地区2", CreditPictureUrl("3")) + "</body>";
    EXPECT_EQ(page, expected);
    EXPECT_EQ(shops[0].nick, Ansi("甲店"));
    EXPECT_EQ(shops[1].shop_url, rows[1].shop_click_url);
    EXPECT_EQ(shops[2].location, Ansi("地区2"));
    EXPECT_TRUE(shops[3].nick.empty());
}

TEST(SellerList, NicksDifferingInCaseAreTwoSellersAndAnEmptyNickEndsTheList)
{
    TResultRows rows;
    Row(rows[0], "Shop", "A", "20");
    Row(rows[1], "shop", "B", "1");
    Row(rows[2], "Shop", "C", "5");
    Row(rows[4], "later", "D", "5"); // after the empty nick of row 3
    TShopSlots shops;
    const std::string page = BuildSellerList(rows, shops, "#000000 ");
    EXPECT_EQ(page, Head("#000000 ") + Block(0, "Shop", "A", CreditPictureUrl("20")) +
                        Block(1, "shop", "B", CreditPictureUrl("1")) + "</body>");

    TResultRows empty;
    EXPECT_EQ(BuildSellerList(empty, shops, "#000000 "), Head("#000000 ") + "</body>");
    EXPECT_TRUE(shops[0].nick.empty());
}

TEST(SellerList, ValuesAreEscapedAndABadScoreLeavesOutThePicture)
{
    TResultRows rows;
    Row(rows[0], "<b>x</b>", "\"loc\"&", "x");
    Row(rows[1], "n2", "l2", "0");
    TShopSlots shops;
    const std::string page = BuildSellerList(rows, shops, "#000000 ");
    const std::string noPicture0 =
        "<a href=\"#00\"><DIV class=\"item\" onMouseOver=\"over(this)\" onMouseOut=\"out(this)\">" +
        Ansi("<DIV class=\"mytitle\">卖家：&lt;b&gt;x&lt;/b&gt;</DIV><div class=\"mylocal\">地区：&quot;loc&quot;&amp;</div>"
             "<div class=\"mycredit\">信用：</div>") +
        "</DIV></a>";
    EXPECT_NE(page.find(noPicture0), std::string::npos) << AnsiToUtf8(page);
    EXPECT_EQ(page.find("<b>"), std::string::npos);
    EXPECT_TRUE(shops[1].credit_pic.empty());
}

TEST(ShopSlots, PageCountRoundsUpAndToleratesBadTotals)
{
    EXPECT_EQ(ShopPageCount("0"), 0);
    EXPECT_EQ(ShopPageCount("40"), 1);
    EXPECT_EQ(ShopPageCount("41"), 2);
    EXPECT_EQ(ShopPageCount("80"), 2);
    EXPECT_EQ(ShopPageCount("81"), 3);
    EXPECT_EQ(ShopPageCount(""), 0);
    EXPECT_EQ(ShopPageCount("12a"), 0);
    EXPECT_EQ(ShopPageCount("-5"), 0);
    EXPECT_EQ(ShopPageCount("99999999999999999999"), kMaxShopPages);
}

TEST(ShopSlots, StoredPageDropsOldLinksAndConversionMatchesByExactId)
{
    SHOP_ITEM shop;
    shop.items[0].click_url = "http://old.example/";
    ATb_Items_Info rows;
    for (int i = 0; i < 25; ++i) {
        rows[static_cast<std::size_t>(i)].title = "t" + std::to_string(i);
        rows[static_cast<std::size_t>(i)].num_iid = "id" + std::to_string(i);
    }
    rows[0].total_results = "25";
    StoreShopItems(shop, rows);
    EXPECT_EQ(shop.page_count, 1);
    EXPECT_TRUE(shop.items[0].click_url.empty());
    EXPECT_FALSE(ShopPageConverted(shop));
    std::string ids;
    for (int i = 0; i < 25; ++i)
        ids += "id" + std::to_string(i) + ",";
    EXPECT_EQ(ConvertIdList(shop), ids);

    // Links for 20 of the 25, in another order; "ID3" differs in case only.
    ATbk_Items_Convert_Info converted;
    for (int i = 0; i < 20; ++i) {
        auto& r = converted[static_cast<std::size_t>(i)];
        r.num_iid = "id" + std::to_string(19 - i);
        r.click_url = "http://c.example/" + std::to_string(19 - i);
    }
    converted[3].num_iid = "ID16";
    StoreConvertedLinks(shop, converted);
    EXPECT_TRUE(ShopPageConverted(shop));
    EXPECT_EQ(shop.items[7].click_url, "http://c.example/7");
    EXPECT_TRUE(shop.items[16].click_url.empty());
    for (int i = 20; i < 25; ++i)
        EXPECT_TRUE(shop.items[static_cast<std::size_t>(i)].click_url.empty());
}

TEST(ShopSlots, LinkAddressesAreReadFromTheirLastTwoCharacters)
{
    EXPECT_TRUE(ClassifyLink("about:blank").proceed);
    EXPECT_TRUE(ClassifyLink("http://x/bank").proceed);
    EXPECT_EQ(ClassifyLink("pallido://page/7/00").index, 0);
    EXPECT_EQ(ClassifyLink("about:blank#03").index, 3);
    EXPECT_EQ(ClassifyLink("http://x/39").index, 39);
    for (const char* ignored : {"http://x/40", "http://x/99", "http://x/ab", "http://x/7", "", "x", "http://x/-1"}) {
        const TLinkDecision d = ClassifyLink(ignored);
        EXPECT_FALSE(d.proceed) << ignored;
        EXPECT_EQ(d.index, -1) << ignored;
    }
}
