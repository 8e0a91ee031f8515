// Condition keys, request conditions and page counts, without a window.

#include <gtest/gtest.h>

#include "Conditions.h"
#include "MD5.h"
#include "codepage.h"
#include "data.h"

namespace {

TPanelValues Panel()
{
    TPanelValues v;
    v.keyword = Ansi("手机");
    v.category = Ansi("其他");
    v.cid = 5001;
    v.hasCategory = true;
    v.startPrice = "0";
    v.endPrice = "999999999";
    v.sort = 1;
    v.startCredit = 0;
    v.endCredit = 19;
    v.area = 5;
    v.guarantee = true;
    return v;
}

} // namespace

TEST(ConditionKey, IsTheMd5OfTheConditionTextWithTheCategoryIdAfterItsCaption)
{
    const TPanelValues v = Panel();
    EXPECT_EQ(ConditionText(v), Ansi("手机其他") + "5001" + "0999999999" + "1" + "0" + "19" + "5" + "1");
    EXPECT_EQ(ConditionKey(v), Md5Hex(ConditionText(v)));
    EXPECT_EQ(ConditionKey(v).size(), 32u);

    // Same caption, other parent: another key. The page is no part of it.
    TPanelValues other = v;
    other.cid = 6001;
    EXPECT_NE(ConditionKey(other), ConditionKey(v));
    // Every condition counts.
    for (auto change : std::initializer_list<void (*)(TPanelValues&)>{
             [](TPanelValues& p) { p.keyword += "x"; }, [](TPanelValues& p) { p.startPrice = "1"; },
             [](TPanelValues& p) { p.endPrice = "9"; }, [](TPanelValues& p) { p.sort = 2; },
             [](TPanelValues& p) { p.startCredit = 1; }, [](TPanelValues& p) { p.endCredit = 18; },
             [](TPanelValues& p) { p.area = 0; }, [](TPanelValues& p) { p.guarantee = false; }}) {
        TPanelValues p = v;
        change(p);
        EXPECT_NE(ConditionKey(p), ConditionKey(v));
    }
    // The placeholder of an unloaded level: empty caption, id -1.
    TPanelValues placeholder = v;
    placeholder.category.clear();
    placeholder.cid = -1;
    EXPECT_EQ(ConditionText(placeholder).substr(0, 6), Ansi("手机") + "-1");
}

TEST(SearchConditions, MapTheListsThroughTheirTables)
{
    const Tbk_Items_Cond c = SearchConditions(Panel(), 3, "http://127.0.0.1:9/");
    EXPECT_EQ(c.pid, "mm_10000001_0_0");
    EXPECT_EQ(c.url, "http://127.0.0.1:9/taobao/tbk_items.php");
    EXPECT_EQ(c.keyword, Ansi("手机"));
    EXPECT_EQ(c.cid, "5001");
    EXPECT_EQ(c.sort, "price_asc");
    EXPECT_EQ(c.start_credit, "1heart");
    EXPECT_EQ(c.end_credit, "5goldencrown");
    EXPECT_EQ(c.area, Ansi("北京"));
    EXPECT_EQ(c.guarantee, "true");
    EXPECT_EQ(c.page_no, "3");
    EXPECT_TRUE(c.auto_send.empty());
    EXPECT_TRUE(c.start_commissionRate.empty());

    TPanelValues v = Panel();
    v.guarantee = false;
    v.area = 0;
    v.sort = 5; // the sixth key is never offered
    v.startCredit = -1;
    v.hasCategory = false;
    const Tbk_Items_Cond d = SearchConditions(v, 1, "http://h/");
    EXPECT_TRUE(d.guarantee.empty());
    EXPECT_TRUE(d.area.empty());
    EXPECT_TRUE(d.sort.empty());
    EXPECT_TRUE(d.start_credit.empty());
    EXPECT_TRUE(d.cid.empty());
    v.area = 63; // the table's unused last entry has no list position
    EXPECT_TRUE(SearchConditions(v, 1, "http://h/").area.empty());
}

TEST(PageCount, RoundsUpCapsAndRejectsNonNumbers)
{
    EXPECT_EQ(PageCount("0"), 0);
    EXPECT_EQ(PageCount("1"), 1);
    EXPECT_EQ(PageCount("39"), 1);
    EXPECT_EQ(PageCount("40"), 1);
    EXPECT_EQ(PageCount("41"), 2);
    EXPECT_EQ(PageCount("79"), 2);
    EXPECT_EQ(PageCount("85"), 3);
    EXPECT_EQ(PageCount("3920"), 98);
    EXPECT_EQ(PageCount("3921"), 99);
    EXPECT_EQ(PageCount("3960"), 99);
    EXPECT_EQ(PageCount("99999999999999999999999"), 99);
    for (const char* bad : {"", "-5", "12a", " 12", "1e3", "４０"})
        EXPECT_EQ(PageCount(bad), 0) << bad;
}
