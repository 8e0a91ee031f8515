// Where a search's outcome lands when the user moves on while it runs: the
// tab strip and the tree stay usable during a search, so a result must go by
// what the search was started for, never by what is shown when it arrives.
// Also an impatient user's rapid clicks, which the thread checker runs too.

#include <QAbstractButton>
#include <QComboBox>
#include <QPushButton>
#include <QCoreApplication>
#include <QTabBar>
#include <QTreeWidget>

#include <chrono>
#include <cstdint>

#include "DemoReplies.h"
#include "FormFixture.h"
#include "PictureButton.h"
#include "codepage.h"

namespace {

// Titles carry the page and the keyword searched ("第2页 k1 ..."), and the
// replies to `slowKeyword` take `slowMs`.
class TOutcomeTest : public TFormTest {
protected:
    void SetUp() override
    {
        TFormTest::SetUp();
        server.SetHandler(kItems, [this](const TRecordedRequest& r) {
            const int page = r.params.count("page_no") ? std::atoi(r.params.at("page_no").c_str()) : 1;
            const std::string keyword = r.params.count("keyword") ? r.params.at("keyword") : "";
            TCannedReply reply;
            reply.body = demo::Items(base, page, 40, "400", keyword + " ");
            if (keyword == slowKeyword || slowKeyword == "*")
                reply.delayBeforeHeaders = std::chrono::milliseconds(slowMs);
            return reply;
        });
    }

    void SearchFor(const char* keyword)
    {
        form->bsSkinComboBox1->setEditText(QString::fromUtf8(keyword));
        Search();
    }

    // Tab `index`: its TAB, after showing it.
    const TAB& TabAt(int index)
    {
        form->bsSkinTabControl1->setCurrentIndex(index);
        return *form->SelectedTab();
    }

    // Whether the tab holds the rows of that page of that keyword's search.
    static testing::AssertionResult HoldsPage(const TAB& tab, int page, const std::string& keyword)
    {
        const std::string title = AnsiToUtf8(tab.items[0].title);
        if (title.rfind("第" + std::to_string(page) + "页 " + keyword + " ", 0) == 0)
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << title;
    }

    std::string slowKeyword;
    int slowMs = 600;
};

} // namespace

TEST_F(TOutcomeTest, APageLandsInTheTabThatAskedForItEvenWhenAnotherIsShown)
{
    StartForm();
    SearchFor("k1");
    SearchFor("k2");
    ASSERT_EQ(form->bsSkinTabControl1->count(), 3);

    TabAt(1);
    slowKeyword = "k1";
    form->NextBut->click();
    ASSERT_TRUE(form->SearchRunning());
    form->bsSkinTabControl1->setCurrentIndex(2); // away from k1 while its page 2 loads
    ASSERT_TRUE(WaitIdle());

    // The shown tab is still k2 on its first page, with its pager back.
    EXPECT_EQ(form->bsSkinTabControl1->currentIndex(), 2);
    const TAB& k2 = *form->SelectedTab();
    EXPECT_EQ(k2.page_no, 1);
    EXPECT_TRUE(HoldsPage(k2, 1, "k2"));
    EXPECT_TRUE(form->NextBut->isEnabled());
    EXPECT_EQ(form->RequestedPage, 1);
    // k1 has its page 2.
    const TAB& k1 = TabAt(1);
    EXPECT_EQ(k1.page_no, 2);
    EXPECT_TRUE(HoldsPage(k1, 2, "k1"));
}

TEST_F(TOutcomeTest, APageForATabClosedMeanwhileIsDropped)
{
    StartForm();
    SearchFor("k1");
    SearchFor("k2");
    slowKeyword = "k2";
    form->NextBut->click();
    ASSERT_TRUE(form->SearchRunning());
    form->bsSkinTabControl1Close(2);
    ASSERT_TRUE(WaitIdle());

    ASSERT_EQ(form->bsSkinTabControl1->count(), 2);
    const TAB& k1 = TabAt(1);
    EXPECT_EQ(k1.page_no, 1);
    EXPECT_TRUE(HoldsPage(k1, 1, "k1"));
    const TAB& first = TabAt(0);
    EXPECT_EQ(first.page_no, 1);
    EXPECT_TRUE(HoldsPage(first, 1, ""));
}

TEST_F(TOutcomeTest, ANewTabKeepsTheConditionsAndCategoryThatWereSearched)
{
    StartForm();
    SearchFor("k1");
    QTreeWidget* tree = form->bsSkinTreeView1;
    tree->setCurrentItem(tree->topLevelItem(3)); // 男装
    ASSERT_TRUE(WaitIdle());
    ASSERT_EQ(form->bsSkinTabControl1->count(), 3);

    // A keyword search in 男装; meanwhile the user looks at tab k1 and then
    // picks another category (which starts nothing while a search runs).
    form->bsSkinComboBox1->setEditText(QStringLiteral("k3"));
    slowKeyword = "k3";
    form->bsSkinLinkImage1->click();
    ASSERT_TRUE(form->SearchRunning());
    form->bsSkinTabControl1->setCurrentIndex(1);
    tree->setCurrentItem(tree->topLevelItem(5));
    ASSERT_TRUE(WaitIdle());

    ASSERT_EQ(form->bsSkinTabControl1->count(), 4);
    EXPECT_EQ(form->bsSkinTabControl1->currentIndex(), 3);
    EXPECT_EQ(form->bsSkinTabControl1->tabText(3), QStringLiteral("k3"));
    const TAB& k3 = *form->SelectedTab();
    EXPECT_EQ(k3.keyword, "k3");
    EXPECT_EQ(k3.node, tree->topLevelItem(3));
    EXPECT_TRUE(HoldsPage(k3, 1, "k3"));
    EXPECT_EQ(tree->currentItem(), tree->topLevelItem(3));
    // Searching the same again finds this tab instead of asking.
    const std::size_t asked = Count(kItems);
    form->bsSkinTabControl1->setCurrentIndex(1);
    tree->setCurrentItem(tree->topLevelItem(3));
    form->bsSkinComboBox1->setEditText(QStringLiteral("k3"));
    form->bsSkinLinkImage1->click();
    EXPECT_EQ(form->bsSkinTabControl1->currentIndex(), 3);
    EXPECT_EQ(Count(kItems), asked);
    // k1 kept its own page.
    const TAB& k1 = TabAt(1);
    EXPECT_TRUE(HoldsPage(k1, 1, "k1"));
}

TEST_F(TOutcomeTest, RapidClicksWhileSearchesRunLeaveEveryTabWithItsOwnRows)
{
    StartForm();
    SearchFor("k1");
    SearchFor("k2");
    SearchFor("k3");
    slowKeyword = "*";
    slowMs = 15;
    // A fixed pseudo-random run of what an impatient user does, never
    // waiting for an outcome; clicks on disabled buttons do nothing.
    std::uint32_t seed = 20101208;
    for (int step = 0; step < 150; ++step) {
        seed = seed * 1103515245u + 12345u;
        const std::uint32_t r = seed >> 8;
        switch (r % 6) {
        case 0: form->NextBut->click(); break;
        case 1: form->BackBut->click(); break;
        case 2: form->TailBut->click(); break;
        case 3: form->IndexBut->click(); break;
        case 4: form->bsSkinTabControl1->setCurrentIndex(static_cast<int>((r >> 4) % 4)); break;
        default: Settle(static_cast<int>((r >> 4) % 25)); break;
        }
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(WaitIdle());
    const char* keywords[] = {"", "k1", "k2", "k3"};
    ASSERT_EQ(form->bsSkinTabControl1->count(), 4);
    for (int i = 0; i < 4; ++i) {
        const TAB& tab = TabAt(i);
        EXPECT_EQ(tab.keyword, keywords[i]);
        EXPECT_GE(tab.page_no, 1);
        EXPECT_LE(tab.page_no, tab.page_count);
        EXPECT_TRUE(HoldsPage(tab, tab.page_no, keywords[i])) << "tab " << i;
    }
    // And a search still running when the window closes.
    form->bsSkinComboBox1->setEditText(QStringLiteral("k9"));
    form->bsSkinLinkImage1->click();
    form.reset();
    EXPECT_TRUE(SearchIdle.load());
}
