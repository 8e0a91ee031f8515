// Result tabs: captions, switching, closing, paging and page counts.

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTreeWidget>

#include "DemoReplies.h"
#include "FormFixture.h"
#include "PictureButton.h"
#include "codepage.h"
#include "data.h"

namespace {

struct TButtons {
    bool index, back, next, tail;
    bool operator==(const TButtons&) const = default;
};

TButtons ButtonsOf(const TForm1& f)
{
    return {f.IndexBut->isEnabled(), f.BackBut->isEnabled(), f.NextBut->isEnabled(), f.TailBut->isEnabled()};
}

QStringList Pages(const QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

} // namespace

TEST_F(TFormTest, TabsAreCaptionedByKeywordOrCategoryAndSwitchingRestoresAllTenControls)
{
    StartForm();
    QTreeWidget* tree = form->bsSkinTreeView1;
    QTreeWidgetItem* men = tree->topLevelItem(3);
    tree->setCurrentItem(men); // empty keyword: the category's caption
    ASSERT_TRUE(WaitUntil([this] { return form->bsSkinTabControl1->count() == 2 && !form->SearchRunning(); }));
    EXPECT_EQ(form->bsSkinTabControl1->tabText(1), QStringLiteral("男装"));

    form->bsSkinComboBox1->setEditText(QStringLiteral("衬衫"));
    form->bsSkinSpinEdit1->setValue(20);
    form->bsSkinSpinEdit2->setValue(300);
    form->bsSkinComboBoxEx3->setCurrentIndex(3);
    form->bsSkinComboBoxEx1->setCurrentIndex(2);
    form->bsSkinComboBoxEx2->setCurrentIndex(12);
    form->bsSkinComboBox4->setCurrentIndex(1);
    form->bsSkinComboBox3->setCurrentIndex(9);
    form->bsSkinCheckRadioBox1->setChecked(true);
    Search();
    ASSERT_EQ(form->bsSkinTabControl1->count(), 3);
    EXPECT_EQ(form->bsSkinTabControl1->tabText(2), QStringLiteral("衬衫"));
    form->NextBut->click();
    ASSERT_TRUE(WaitIdle());
    const std::size_t requests = Count(kItems);

    // Back to the start-up tab: its conditions return, nothing is asked.
    form->bsSkinTabControl1->setCurrentIndex(0);
    EXPECT_EQ(tree->currentItem(), tree->topLevelItem(0));
    EXPECT_EQ(form->bsSkinComboBox1->currentText(), QString());
    EXPECT_EQ(form->bsSkinSpinEdit1->value(), 0);
    EXPECT_EQ(form->bsSkinSpinEdit2->value(), 999999999);
    EXPECT_EQ(form->bsSkinComboBoxEx3->currentIndex(), 0);
    EXPECT_EQ(form->bsSkinComboBoxEx1->currentIndex(), 0);
    EXPECT_EQ(form->bsSkinComboBoxEx2->currentIndex(), 19);
    EXPECT_EQ(form->bsSkinComboBox4->currentIndex(), 0);
    EXPECT_EQ(form->bsSkinComboBox3->currentIndex(), 0);
    EXPECT_FALSE(form->bsSkinCheckRadioBox1->isChecked());
    EXPECT_EQ(form->RequestedPage, 1);

    form->bsSkinTabControl1->setCurrentIndex(2);
    EXPECT_EQ(tree->currentItem(), men);
    EXPECT_EQ(form->bsSkinComboBox1->currentText(), QStringLiteral("衬衫"));
    EXPECT_EQ(form->bsSkinSpinEdit1->value(), 20);
    EXPECT_EQ(form->bsSkinSpinEdit2->value(), 300);
    EXPECT_EQ(form->bsSkinComboBoxEx3->currentIndex(), 3);
    EXPECT_EQ(form->bsSkinComboBoxEx1->currentIndex(), 2);
    EXPECT_EQ(form->bsSkinComboBoxEx2->currentIndex(), 12);
    EXPECT_EQ(form->bsSkinComboBox4->currentIndex(), 1);
    EXPECT_EQ(form->bsSkinComboBox3->currentIndex(), 9);
    EXPECT_TRUE(form->bsSkinCheckRadioBox1->isChecked());
    EXPECT_EQ(form->RequestedPage, 2);
    EXPECT_EQ(form->ComboBoxPage->currentIndex(), 1);
    EXPECT_TRUE(Title(0).startsWith(QStringLiteral("第2页")));
    Settle(100);
    EXPECT_EQ(Count(kItems), requests);

    // The view list stores its choice in the shown tab only.
    form->bsSkinComboBox4->setCurrentIndex(0);
    Q_EMIT form->bsSkinComboBox4->activated(0);
    EXPECT_EQ(form->TabList[2]->view, 0);
    EXPECT_EQ(form->TabList[1]->view, 0);
    form->bsSkinComboBox4->setCurrentIndex(1);
    Q_EMIT form->bsSkinComboBox4->activated(1);
    EXPECT_EQ(form->TabList[2]->view, 1);
    EXPECT_EQ(form->TabList[0]->view, 0);
    EXPECT_EQ(Count(kItems), requests);
}

TEST_F(TFormTest, ClosingATabShowsItsLeftNeighbourAndNeverClosesTheLast)
{
    StartForm();
    for (const QString& k : {QStringLiteral("一"), QStringLiteral("二")}) {
        form->bsSkinComboBox1->setEditText(k);
        Search();
    }
    QTabBar* bar = form->bsSkinTabControl1;
    ASSERT_EQ(bar->count(), 3);

    // Closing tab 0 of three shows the former tab 1, now tab 0.
    form->bsSkinTabControl1Close(0);
    ASSERT_EQ(bar->count(), 2);
    EXPECT_EQ(form->TabList.size(), 2u);
    EXPECT_EQ(bar->currentIndex(), 0);
    EXPECT_EQ(bar->tabText(0), QStringLiteral("一"));
    EXPECT_EQ(form->bsSkinComboBox1->currentText(), QStringLiteral("一"));

    form->bsSkinComboBox1->setEditText(QStringLiteral("三"));
    Search();
    ASSERT_EQ(bar->count(), 3);
    // Closing tab 2 of three shows tab 1; so does closing tab 2 while tab 0 is shown.
    form->bsSkinTabControl1Close(2);
    EXPECT_EQ(bar->currentIndex(), 1);
    EXPECT_EQ(bar->tabText(1), QStringLiteral("二"));
    EXPECT_EQ(form->bsSkinComboBox1->currentText(), QStringLiteral("二"));
    for (int i = 0; i < bar->count(); ++i)
        EXPECT_EQ(QString::fromStdString(AnsiToUtf8(form->TabList[static_cast<std::size_t>(i)]->keyword)), bar->tabText(i));

    form->bsSkinTabControl1Close(1);
    ASSERT_EQ(bar->count(), 1);
    form->bsSkinTabControl1Close(0);
    EXPECT_EQ(bar->count(), 1);
    EXPECT_EQ(form->TabList.size(), 1u);
    // Out-of-range requests (e.g. a stale menu index) change nothing.
    EXPECT_FALSE(form->CloseTab(5));
    form->ActivateTab(7);
    EXPECT_EQ(bar->currentIndex(), 0);
}

TEST_F(TFormTest, PagingMovesTheShownTabThroughItsPagesWithTheRightButtonStates)
{
    StartForm(); // 120 results: 3 pages
    EXPECT_EQ(Pages(form->ComboBoxPage), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(form->ComboBoxPage->currentIndex(), 0);
    EXPECT_EQ(ButtonsOf(*form), (TButtons{false, false, true, true}));

    form->NextBut->click();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Last(kItems).at("page_no"), "2");
    EXPECT_EQ(form->bsSkinTabControl1->count(), 1);
    EXPECT_EQ(form->SelectedTab()->page_no, 2);
    EXPECT_TRUE(Title(0).startsWith(QStringLiteral("第2页")));
    EXPECT_EQ(ButtonsOf(*form), (TButtons{true, true, true, true}));
    EXPECT_EQ(form->ComboBoxPage->currentIndex(), 1);

    form->TailBut->click();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Last(kItems).at("page_no"), "3");
    EXPECT_EQ(ButtonsOf(*form), (TButtons{true, true, false, false}));

    form->BackBut->click();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Last(kItems).at("page_no"), "2");
    form->IndexBut->click();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Last(kItems).at("page_no"), "1");
    EXPECT_EQ(form->bsSkinTabControl1->tabText(0), QStringLiteral("所有类目"));

    // Choosing the shown page starts nothing; another page is asked for.
    const std::size_t before = Count(kItems);
    Q_EMIT form->ComboBoxPage->activated(0);
    Settle(100);
    EXPECT_FALSE(form->SearchRunning());
    EXPECT_EQ(Count(kItems), before);
    form->ComboBoxPage->setCurrentIndex(2);
    Q_EMIT form->ComboBoxPage->activated(2);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Last(kItems).at("page_no"), "3");
    EXPECT_EQ(form->SelectedTab()->page_no, 3);
    // The page is part of no key: the same search finds this tab on page 3.
    form->bsSkinLinkImage1->click();
    EXPECT_FALSE(form->SearchRunning());
    EXPECT_EQ(form->SelectedTab()->page_no, 3);
}

TEST_F(TFormTest, PagingAsksForTheTabsOwnSearchWhateverThePanelHolds)
{
    StartForm();
    form->bsSkinComboBox1->setEditText(QStringLiteral("手机"));
    form->bsSkinSpinEdit1->setValue(100);
    form->bsSkinSpinEdit2->setValue(500);
    form->bsSkinComboBoxEx3->setCurrentIndex(2);
    form->bsSkinComboBox3->setCurrentIndex(5);
    Search();
    ASSERT_EQ(form->bsSkinTabControl1->count(), 2);
    const std::string key = form->SelectedTab()->key;

    // Conditions changed in the panel without searching, then "下页".
    form->bsSkinComboBox1->setEditText(QStringLiteral("未搜索的词"));
    form->bsSkinSpinEdit1->setValue(7);
    form->bsSkinComboBoxEx3->setCurrentIndex(4);
    form->bsSkinComboBoxEx1->setCurrentIndex(6);
    form->bsSkinComboBox3->setCurrentIndex(0);
    form->bsSkinCheckRadioBox1->setChecked(true);
    form->NextBut->click();
    ASSERT_TRUE(WaitIdle());
    const auto p = Last(kItems);
    EXPECT_EQ(p.at("page_no"), "2");
    EXPECT_EQ(p.at("keyword"), "手机");
    EXPECT_EQ(p.at("cid"), "0");
    EXPECT_EQ(p.at("start_price"), "100");
    EXPECT_EQ(p.at("end_price"), "500");
    EXPECT_EQ(p.at("sort"), "price_desc");
    EXPECT_EQ(p.at("start_credit"), "1heart");
    EXPECT_EQ(p.at("area"), "北京");
    EXPECT_EQ(p.count("guarantee"), 0u);
    // The page is the tab's: same caption, same key, and the panel shows the
    // tab's conditions again.
    EXPECT_EQ(form->bsSkinTabControl1->tabText(1), QStringLiteral("手机"));
    EXPECT_EQ(form->SelectedTab()->key, key);
    EXPECT_EQ(form->SelectedTab()->page_no, 2);
    EXPECT_EQ(form->bsSkinComboBox1->currentText(), QStringLiteral("手机"));
    EXPECT_FALSE(form->bsSkinCheckRadioBox1->isChecked());
    // Searching the same again shows this tab without a request.
    const std::size_t asked = Count(kItems);
    form->bsSkinLinkImage1->click();
    EXPECT_FALSE(form->SearchRunning());
    EXPECT_EQ(Count(kItems), asked);
}

TEST_F(TFormTest, PageCountsRoundUpAndCapAt99)
{
    const std::pair<std::string, int> cases[] = {{"39", 1},  {"40", 1},  {"41", 2},   {"85", 3},
                                                  {"3960", 99}, {"100000", 99}, {"abc", 0}, {"0", 0}};
    StartForm();
    int n = 0;
    for (const auto& [text, pages] : cases) {
        total = text;
        rowsPerPage = text == "0" ? 0 : 40;
        form->bsSkinComboBox1->setEditText(QString::number(++n));
        Search();
        EXPECT_EQ(form->SelectedTab()->page_count, pages) << text;
        EXPECT_EQ(form->ComboBoxPage->count(), pages) << text;
        EXPECT_EQ(form->ComboBoxPage->currentIndex(), pages ? 0 : -1) << text;
        EXPECT_EQ(ButtonsOf(*form), (TButtons{false, false, pages > 1, pages > 1})) << text;
    }
    // A reply without items makes a tab with an empty page.
    EXPECT_TRUE(Title(0).isEmpty());
    EXPECT_EQ(form->bsSkinTabControl1->count(), static_cast<int>(std::size(cases)) + 1);
}

TEST_F(TFormTest, RowsStopAtTheFirstEmptyTitleAndAreReplacedByEachPage)
{
    rowsPerPage = 12;
    total = "52";
    StartForm();
    EXPECT_TRUE(Title(11).endsWith(QStringLiteral("#12")));
    EXPECT_TRUE(Title(12).isEmpty());
    const TAB& tab = *form->SelectedTab();
    EXPECT_EQ(tab.items[0].num_iid, ""); // only the nine shown fields are kept
    EXPECT_FALSE(tab.items[0].click_url.empty());
    EXPECT_FALSE(tab.items[0].seller_credit_score.empty());
    rowsPerPage = 3;
    form->NextBut->click();
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(Title(2).startsWith(QStringLiteral("第2页")));
    EXPECT_TRUE(Title(3).isEmpty());
}

TEST_F(TFormTest, AFailedOrEmptyPageLeavesTheTabUntouched)
{
    StartForm();
    server.Set(kItems, "nope", 500);
    TMessageBoxWatcher boxes;
    form->NextBut->click();
    ASSERT_TRUE(WaitUntil([&] { return boxes.seen.size() == 1 && !form->SearchRunning(); }));
    ASSERT_TRUE(WaitUntil([this] { return form->ComboBoxPage->isEnabled(); }));
    EXPECT_EQ(form->SelectedTab()->page_no, 1);
    EXPECT_TRUE(Title(0).startsWith(QStringLiteral("第1页")));
    EXPECT_EQ(form->RequestedPage, 2);
    EXPECT_EQ(ButtonsOf(*form), (TButtons{false, false, false, false}));
    // The page list still asks for the page that failed, and it comes.
    server.Set(kItems, demo::Items(base, 2, 40, total));
    const std::size_t asked = Count(kItems);
    form->ComboBoxPage->setCurrentIndex(1);
    Q_EMIT form->ComboBoxPage->activated(1);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Count(kItems), asked + 1);
    EXPECT_EQ(Last(kItems).at("page_no"), "2");
    EXPECT_EQ(form->SelectedTab()->page_no, 2);
    EXPECT_TRUE(Title(0).startsWith(QStringLiteral("第2页")));
    // Back on page 1 after another failure, this time with no server to answer.
    BaseUrl = FallbackUrl;
    form->IndexBut->click();
    ASSERT_TRUE(WaitUntil([&] { return boxes.seen.size() == 2 && !form->SearchRunning(); }));
    ASSERT_TRUE(WaitUntil([this] { return form->ComboBoxPage->isEnabled(); }));
    BaseUrl = base;
    EXPECT_EQ(boxes.seen[0].text, QStringLiteral("很抱歉，没有搜索到相关数据  ╮(╯▽╰)╭"));
    EXPECT_EQ(boxes.seen[1].text, QStringLiteral("无法连接服务器，请检查网络后重试"));
    EXPECT_EQ(form->SelectedTab()->page_no, 2);
    // Activating the tab resets the requested page and the buttons.
    form->ActivateTab(0);
    EXPECT_EQ(form->RequestedPage, 2);
    EXPECT_EQ(ButtonsOf(*form), (TButtons{true, true, true, true}));

    // A page that comes back without items keeps the tab as well.
    server.Set(kItems, demo::NoItems());
    form->TailBut->click();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(form->SelectedTab()->page_no, 2);
    EXPECT_EQ(form->SelectedTab()->page_count, 3);
    EXPECT_TRUE(Title(0).startsWith(QStringLiteral("第2页")));
    EXPECT_EQ(ButtonsOf(*form), (TButtons{true, true, true, true}));
    EXPECT_EQ(boxes.seen.size(), 2u);
}
