// Search conditions, the worker, the keyword list, the repeated search and
// the failure message.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>

#include <chrono>
#include <thread>

#include "DemoReplies.h"
#include "FormFixture.h"
#include "PictureButton.h"
#include "Replies.h"
#include "Taobaoke_Items.h"
#include "codepage.h"
#include "data.h"

namespace {

QStringList Keywords(const QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

// The request the client would sign for these decoded parameters at their
// own stamp; equal to what was sent only when the signature is right.
std::string Resigned(const std::string& base, const std::map<std::string, std::string>& p)
{
    auto get = [&p](const char* k) { return p.count(k) ? p.at(k) : std::string(); };
    TTaobaoke_Items client;
    client.Cond.pid = get("pid");
    client.Cond.url = base + "taobao/tbk_items.php";
    client.Cond.cid = get("cid");
    client.Cond.area = Utf8ToAnsi(get("area"));
    client.Cond.sort = get("sort");
    client.Cond.keyword = Utf8ToAnsi(get("keyword"));
    client.Cond.start_price = get("start_price");
    client.Cond.end_price = get("end_price");
    client.Cond.page_no = get("page_no");
    client.Cond.start_credit = get("start_credit");
    client.Cond.end_credit = get("end_credit");
    client.Cond.guarantee = get("guarantee");
    client.ApplyDefaults();
    return client.BuildUrlAt(std::stoi(get("stamp")));
}

} // namespace

TEST_F(TFormTest, EveryConditionReachesTheServerNormalisedAndSigned)
{
    StartForm();
    form->bsSkinComboBox1->setEditText(QStringLiteral("  \t手机 壳 "));
    form->bsSkinSpinEdit1->setValue(500);
    form->bsSkinSpinEdit2->setValue(100);
    form->bsSkinComboBoxEx3->setCurrentIndex(2);
    form->bsSkinComboBoxEx1->setCurrentIndex(15);
    form->bsSkinComboBoxEx2->setCurrentIndex(3);
    form->bsSkinComboBox3->setCurrentIndex(1);
    form->bsSkinCheckRadioBox1->setChecked(true);
    Search();

    const auto p = Last(kItems);
    EXPECT_EQ(p.at("keyword"), "手机 壳");
    EXPECT_EQ(p.at("cid"), "0");
    EXPECT_EQ(p.at("start_price"), "100");
    EXPECT_EQ(p.at("end_price"), "500");
    EXPECT_EQ(p.at("sort"), "price_desc");
    EXPECT_EQ(p.at("start_credit"), "4heart");
    EXPECT_EQ(p.at("end_credit"), "1goldencrown");
    EXPECT_EQ(p.at("area"), AnsiToUtf8(Areas[1]));
    EXPECT_NE(p.at("area").find(','), std::string::npos); // a group of places
    EXPECT_EQ(p.at("guarantee"), "true");
    EXPECT_EQ(p.at("page_no"), "1");
    EXPECT_EQ(p.at("pid"), "mm_10000001_0_0");
    const auto sent = LastRequest(kItems);
    EXPECT_EQ(base + sent.target.substr(1), Resigned(base, p));

    // The controls show what was searched.
    EXPECT_EQ(form->bsSkinComboBox1->currentText(), QStringLiteral("手机 壳"));
    EXPECT_EQ(form->bsSkinSpinEdit1->value(), 100);
    EXPECT_EQ(form->bsSkinSpinEdit2->value(), 500);
    EXPECT_EQ(form->bsSkinComboBoxEx1->currentIndex(), 3);
    EXPECT_EQ(form->bsSkinComboBoxEx2->currentIndex(), 15);
    EXPECT_EQ(form->bsSkinTabControl1->tabText(1), QStringLiteral("手机 壳"));

    // Single places send their own name; no area and no guarantee send nothing.
    form->bsSkinComboBox3->setCurrentIndex(5);
    form->bsSkinCheckRadioBox1->setChecked(false);
    Search();
    EXPECT_EQ(Last(kItems).at("area"), "北京");
    EXPECT_EQ(Last(kItems).count("guarantee"), 0u);
    form->bsSkinComboBox3->setCurrentIndex(62);
    Search();
    EXPECT_EQ(Last(kItems).at("area"), "浙江");
    form->bsSkinComboBox3->setCurrentIndex(0);
    Search();
    EXPECT_EQ(Last(kItems).count("area"), 0u);
    EXPECT_EQ(server.RequestCount(kItems), 5u);
}

TEST_F(TFormTest, ASearchAlreadyInATabShowsThatTabWithoutARequest)
{
    StartForm();
    form->bsSkinComboBox1->setEditText(QStringLiteral("围巾"));
    Search();
    form->NextBut->click(); // page 2 of the "围巾" tab
    ASSERT_TRUE(WaitIdle());
    form->bsSkinComboBox1->setEditText(QString());
    Search(); // all categories again: tab 0
    EXPECT_EQ(form->bsSkinTabControl1->currentIndex(), 0);
    const std::size_t requests = Count(kItems);

    // Same conditions with blanks around the keyword: the "围巾" tab, still on page 2.
    form->bsSkinComboBox1->setEditText(QStringLiteral(" 围巾  "));
    form->bsSkinLinkImage1->click();
    EXPECT_FALSE(form->SearchRunning());
    EXPECT_EQ(Count(kItems), requests);
    EXPECT_EQ(form->bsSkinTabControl1->count(), 2);
    EXPECT_EQ(form->bsSkinTabControl1->currentIndex(), 1);
    EXPECT_EQ(form->SelectedTab()->page_no, 2);
    EXPECT_EQ(form->RequestedPage, 2);
    EXPECT_TRUE(Title(0).startsWith(QStringLiteral("第2页")));
}

TEST_F(TFormTest, KeywordListKeepsEachSearchedKeywordOnce)
{
    StartForm();
    QComboBox* box = form->bsSkinComboBox1;
    EXPECT_EQ(box->count(), 0); // the start-up search has no keyword
    for (const QString& k : {QStringLiteral("Apple"), QStringLiteral(" apple "), QStringLiteral("Apple"),
                             QStringLiteral("茶叶")}) {
        box->setEditText(k);
        Search();
    }
    EXPECT_EQ(Keywords(box), (QStringList{QStringLiteral("Apple"), QStringLiteral("apple"), QStringLiteral("茶叶")}));
    // Searching the same keyword in another category adds nothing either.
    box->setEditText(QStringLiteral("茶叶"));
    form->bsSkinTreeView1->setCurrentItem(form->bsSkinTreeView1->topLevelItem(3));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(box->count(), 3);
}

TEST_F(TFormTest, PanelIsDisabledWhileASearchRunsAndTheTreeAndTabsStayUsable)
{
    StartForm();
    TCannedReply slow;
    slow.body = demo::Items(base, 1, 40, "120");
    slow.delayBeforeHeaders = std::chrono::milliseconds(1500);
    server.Set(kItems, slow);
    form->bsSkinComboBox1->setEditText(QStringLiteral("键盘"));
    QTreeWidgetItem* searched = form->bsSkinTreeView1->currentItem();
    ASSERT_NE(searched, form->bsSkinTreeView1->topLevelItem(2));
    form->bsSkinLinkImage1->click();
    ASSERT_TRUE(form->SearchRunning());
    ASSERT_TRUE(WaitUntil([this] { return form->windowTitle() == QStringLiteral("正在搜索商品，请稍后......"); }));
    QWidget* panel[] = {form->bsSkinComboBox1,   form->bsSkinComboBox3,   form->bsSkinSpinEdit1,
                        form->bsSkinSpinEdit2,   form->bsSkinLinkImage1,  form->bsSkinComboBoxEx1,
                        form->bsSkinComboBoxEx2, form->bsSkinComboBoxEx3, form->bsSkinCheckRadioBox1,
                        form->ComboBoxPage,      form->bsSkinComboBox4};
    for (QWidget* w : panel)
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    for (QPushButton* b : {form->IndexBut, form->BackBut, form->NextBut, form->TailBut})
        EXPECT_FALSE(b->isEnabled());
    EXPECT_TRUE(form->bsSkinTreeView1->isEnabled());
    EXPECT_TRUE(form->bsSkinTabControl1->isEnabled());

    // A tree selection meanwhile starts nothing; a second click neither.
    form->bsSkinTreeView1->setCurrentItem(form->bsSkinTreeView1->topLevelItem(2));
    form->bsSkinLinkImage1->click();
    // Switching tabs refills the pager but keeps the page buttons off.
    form->bsSkinTabControl1->setCurrentIndex(0);
    EXPECT_FALSE(form->NextBut->isEnabled());
    form->NextButClick();

    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Count(kItems), 2u);
    for (QWidget* w : panel)
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Pallido"));
    // The new tab takes the conditions and the category that were searched,
    // not the category selected (or the tab shown) when the result came.
    ASSERT_EQ(form->bsSkinTabControl1->count(), 2);
    EXPECT_EQ(form->bsSkinTabControl1->tabText(1), QStringLiteral("键盘"));
    EXPECT_EQ(form->bsSkinTabControl1->currentIndex(), 1);
    EXPECT_EQ(AnsiToUtf8(form->SelectedTab()->keyword), "键盘");
    EXPECT_EQ(form->SelectedTab()->node, searched);
    EXPECT_EQ(form->bsSkinTreeView1->currentItem(), searched);
}

TEST_F(TFormTest, NoNewSearchStartsBeforeTheLastOutcomeHasBeenHandled)
{
    StartForm();
    form->bsSkinComboBox1->setEditText(QStringLiteral("甲"));
    form->bsSkinLinkImage1->click();
    // The worker is done and idle, its outcome still queued: a tree
    // selection now must not start a second search over the unread rows.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!(SearchIdle.load() && Count(kItems) == 2) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(form->SearchRunning());
    form->bsSkinTreeView1->setCurrentItem(form->bsSkinTreeView1->topLevelItem(4));
    ASSERT_TRUE(WaitIdle());
    Settle(100);
    EXPECT_EQ(Count(kItems), 2u);
    ASSERT_EQ(form->bsSkinTabControl1->count(), 2);
    EXPECT_EQ(form->bsSkinTabControl1->tabText(1), QStringLiteral("甲"));
    EXPECT_TRUE(Title(0).startsWith(QStringLiteral("第1页")));
}

TEST_F(TFormTest, AFailedSearchShowsTheMessageAndChangesNoTab)
{
    StartForm();
    // The platform's error document: an answer, but no result.
    server.Set(kItems, replies::Doc("error_response", "<code>7</code><msg>App Call Limited</msg>"));
    bool disabledWhileOpen = false;
    TMessageBoxWatcher boxes([&] { disabledWhileOpen = !form->bsSkinLinkImage1->isEnabled(); });
    form->bsSkinComboBox1->setEditText(QStringLiteral("相机"));
    Search();
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, QStringLiteral("很抱歉，没有搜索到相关数据  ╮(╯▽╰)╭"));
    EXPECT_EQ(boxes.seen[0].title, QStringLiteral("惜哉..."));
    EXPECT_TRUE(boxes.seen[0].okOnly);
    EXPECT_TRUE(disabledWhileOpen);
    EXPECT_TRUE(form->bsSkinLinkImage1->isEnabled());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Pallido"));
    EXPECT_EQ(form->bsSkinTabControl1->count(), 1);
    EXPECT_EQ(form->bsSkinTabControl1->currentIndex(), 0);
    // The keyword was still remembered, and the same search can be retried.
    EXPECT_EQ(form->bsSkinComboBox1->count(), 1);
    // A busy front answers too; a server that refuses does not.
    server.Set(kItems, "<html>busy</html>", 502);
    Search();
    BaseUrl = FallbackUrl;
    Search();
    ASSERT_EQ(boxes.seen.size(), 3u);
    EXPECT_EQ(boxes.seen[1].text, boxes.seen[0].text);
    EXPECT_EQ(boxes.seen[2].text, QStringLiteral("无法连接服务器，请检查网络后重试"));
    EXPECT_EQ(boxes.seen[2].title, QStringLiteral("惜哉..."));
    EXPECT_TRUE(boxes.seen[2].okOnly);
    EXPECT_EQ(form->bsSkinTabControl1->count(), 1);
    BaseUrl = base;
    server.Set(kItems, demo::Items(base, 1, 40, "120"));
    Search();
    EXPECT_EQ(form->bsSkinTabControl1->count(), 2);
}

TEST_F(TFormTest, SortChangeSearchesOnlyOnceATabExists)
{
    server.Set(kItems, "", 500);
    TMessageBoxWatcher boxes;
    StartForm(false);
    ASSERT_TRUE(WaitUntil([&] { return boxes.seen.size() == 1 && !form->SearchRunning(); }));
    ASSERT_EQ(form->bsSkinTabControl1->count(), 0);
    form->bsSkinComboBoxEx3->setCurrentIndex(1);
    Q_EMIT form->bsSkinComboBoxEx3->activated(1);
    Settle(100);
    EXPECT_EQ(Count(kItems), 1u);

    server.Set(kItems, demo::Items(base, 1, 40, "120"));
    Search();
    ASSERT_EQ(form->bsSkinTabControl1->count(), 1);
    form->bsSkinComboBoxEx3->setCurrentIndex(4);
    Q_EMIT form->bsSkinComboBoxEx3->activated(4);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Count(kItems), 3u);
    EXPECT_EQ(Last(kItems).at("sort"), "commissionNum_desc");
    // Changing any other condition starts nothing.
    form->bsSkinComboBox3->setCurrentIndex(7);
    Q_EMIT form->bsSkinComboBox3->activated(7);
    Settle(100);
    EXPECT_EQ(Count(kItems), 3u);
}

TEST_F(TFormTest, EnterSearchesAndWindowMenuShortcutsActOnlyWhileItIsOpen)
{
    StartForm();
    QSignalSpy close(form->N4, &QAction::triggered);
    QSignalSpy minimise(form->N3, &QAction::triggered);
    form->activateWindow();
    QLineEdit* edit = form->bsSkinComboBox1->lineEdit();
    edit->setFocus();
    edit->setText(QStringLiteral("保温杯"));
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(close.count(), 0);
    EXPECT_EQ(minimise.count(), 0);
    EXPECT_TRUE(form->isVisible());

    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([this] { return Count(kItems) == 2; }));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Last(kItems).at("keyword"), "保温杯");
    EXPECT_EQ(form->bsSkinTabControl1->count(), 2);
    QTest::keyClick(form->bsSkinSpinEdit1, Qt::Key_Enter);
    Settle(100);
    EXPECT_FALSE(form->SearchRunning()); // same conditions: the tab is shown again
    EXPECT_EQ(Count(kItems), 2u);

    // The window menu: captions, short-cuts shown, "还原" off while not minimised.
    EXPECT_EQ(form->N2->text(), QStringLiteral("还原"));
    EXPECT_EQ(form->N2->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
    EXPECT_FALSE(form->N2->isEnabled());
    EXPECT_EQ(form->N3->text(), QStringLiteral("最小化"));
    EXPECT_EQ(form->N3->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    EXPECT_TRUE(form->N5->isSeparator());
    EXPECT_EQ(form->N4->text(), QStringLiteral("关闭"));
    EXPECT_EQ(form->N4->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
    form->bsSkinPopupMenu2->popup(form->mapToGlobal(QPoint(20, 20)));
    ASSERT_TRUE(WaitUntil([this] { return form->bsSkinPopupMenu2->isVisible(); }));
    QTest::keyClick(form->bsSkinPopupMenu2, Qt::Key_R, Qt::ControlModifier); // disabled: nothing
    QTest::keyClick(form->bsSkinPopupMenu2, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(close.count(), 1);
    EXPECT_FALSE(form->bsSkinPopupMenu2->isVisible());
}
