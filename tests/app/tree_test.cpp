// The category tree: root level, lazy levels, icons, colours, and keys of
// categories that share a caption.

#include <QComboBox>
#include <QImage>
#include <QTabBar>
#include <QTreeWidget>

#include "DemoReplies.h"
#include "FormFixture.h"
#include "codepage.h"
#include "data.h"

namespace {

QTreeWidgetItem* TopByText(QTreeWidget* tree, const QString& text)
{
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        if (tree->topLevelItem(i)->text(0) == text)
            return tree->topLevelItem(i);
    return nullptr;
}

std::string Row(int cid, const std::string& name, bool parent)
{
    return (cid == 0 ? std::string() : std::to_string(cid)) + "|" + name + "|" + (parent ? "true" : "false");
}

int IconOf(const QTreeWidgetItem* item) { return item->data(0, TForm1::kIconRole).toInt(); }

// The root level, and below it a level of three that fails (503) while
// `failLevel` holds.
void ServeLevelsFailingWhile(TTestServer& server, const bool& failLevel)
{
    server.SetHandler(kCats, [&failLevel](const TRecordedRequest& r) {
        TCannedReply reply;
        if (r.params.at("parent_cid") == "0")
            reply.body = demo::RootCategories();
        else if (failLevel)
            reply.status = 503;
        else
            reply.body = demo::ChildCategories(1001, 3);
        return reply;
    });
}

} // namespace

TEST_F(TFormTest, RootLevelTakesTheFirst71RowsSkipsBlankAndErrorRowsAndPicksIcons)
{
    std::string rows = Row(50, "男装", true) + ";" + Row(51, "乐器/吉他/钢琴/配件", false) + ";" +
                       Row(52, "不在表里的类目", true) + ";" + Row(53, "手机", false) + ";" +
                       Row(0, "空编号", true) + ";" + Row(55, "error", true);
    for (int i = 6; i < 80; ++i)
        rows += ";" + Row(100 + i, "类目" + std::to_string(i), false);
    server.Set(kCats, demo::Categories(rows));
    StartForm();

    QTreeWidget* tree = form->bsSkinTreeView1;
    // "所有类目" + rows 0..70 without the two skipped ones.
    ASSERT_EQ(tree->topLevelItemCount(), 1 + 71 - 2);
    QTreeWidgetItem* all = tree->topLevelItem(0);
    EXPECT_EQ(all->text(0), QStringLiteral("所有类目"));
    EXPECT_EQ(all->data(0, TForm1::kCategoryIdRole).toInt(), 0);
    EXPECT_EQ(all->childCount(), 0);
    EXPECT_EQ(tree->topLevelItem(1)->text(0), QStringLiteral("男装"));
    EXPECT_EQ(tree->topLevelItem(5)->text(0), QStringLiteral("类目6"));
    EXPECT_EQ(tree->topLevelItem(tree->topLevelItemCount() - 1)->text(0), QStringLiteral("类目70"));
    EXPECT_EQ(TopByText(tree, QStringLiteral("类目71")), nullptr);
    EXPECT_EQ(TopByText(tree, QStringLiteral("error")), nullptr);

    // Icons: 男装 3, 乐器/... 65, unknown 0 like "所有类目"; drawn from their image list.
    EXPECT_EQ(IconOf(tree->topLevelItem(1)), 3);
    EXPECT_EQ(IconOf(tree->topLevelItem(2)), 65);
    EXPECT_EQ(IconOf(tree->topLevelItem(3)), 0);
    EXPECT_EQ(IconOf(tree->topLevelItem(4)), 35);
    EXPECT_EQ(IconOf(all), 0);
    EXPECT_EQ(tree->topLevelItem(1)->icon(0).pixmap(16, 16).toImage(), form->ImageList3[3].toImage());
    EXPECT_EQ(tree->topLevelItem(2)->icon(0).pixmap(16, 16).toImage(), form->ImageList3[65].toImage());
    EXPECT_EQ(tree->topLevelItem(3)->icon(0).pixmap(16, 16).toImage(), form->ImageList3[0].toImage());
    EXPECT_EQ(tree->topLevelItem(3)->data(0, TForm1::kCategoryIdRole).toInt(), 52);

    // Parents carry one empty placeholder child (id -1); leaves none.
    ASSERT_EQ(tree->topLevelItem(1)->childCount(), 1);
    EXPECT_TRUE(tree->topLevelItem(1)->child(0)->text(0).isEmpty());
    EXPECT_EQ(tree->topLevelItem(1)->child(0)->data(0, TForm1::kCategoryIdRole).toInt(), -1);
    EXPECT_EQ(tree->topLevelItem(2)->childCount(), 0);
    EXPECT_EQ(tree->currentItem(), all);
}

TEST_F(TFormTest, ChildLevelsLoadOnceOnFirstOpeningWithTheirCapAndStopRule)
{
    server.SetHandler(kCats, [](const TRecordedRequest& r) {
        TCannedReply reply;
        const std::string parent = r.params.at("parent_cid");
        if (parent == "0") {
            reply.body = demo::Categories(Row(16, "女装/女士精品", true) + ";" + Row(30, "男装", true) + ";" +
                                          Row(40, "手机", true) + ";" + Row(50, "收藏", true));
        } else if (parent == "16") { // 70 rows, the first 61 count
            reply.body = demo::ChildCategories(16, 70, true);
        } else if (parent == "30") { // row 5 has no cid: rows 5.. are dropped
            std::string rows;
            for (int i = 0; i < 9; ++i)
                rows += (i ? ";" : "") + Row(i == 5 ? 0 : 3000 + i, "子类" + std::to_string(i), false);
            reply.body = demo::Categories(rows);
        } else if (parent == "50") { // a parent with no children after all
            reply.body = demo::Categories("");
        } else {
            reply.status = 500;
        }
        return reply;
    });
    StartForm();
    QTreeWidget* tree = form->bsSkinTreeView1;
    QTreeWidgetItem* women = tree->topLevelItem(1);
    QTreeWidgetItem* men = tree->topLevelItem(2);
    QTreeWidgetItem* phones = tree->topLevelItem(3);
    QTreeWidgetItem* saved = tree->topLevelItem(4);
    const std::size_t before = Count(kCats);

    women->setExpanded(true);
    EXPECT_EQ(Last(kCats).at("parent_cid"), "16");
    ASSERT_EQ(women->childCount(), 61);
    EXPECT_EQ(women->child(0)->text(0), QStringLiteral("新品上市"));
    EXPECT_EQ(women->child(0)->data(0, TForm1::kCategoryIdRole).toInt(), 1601);
    EXPECT_EQ(IconOf(women->child(60)), 1);
    EXPECT_EQ(women->child(60)->childCount(), 1); // a parent again: placeholder

    men->setExpanded(true);
    ASSERT_EQ(men->childCount(), 5);
    EXPECT_EQ(men->child(4)->text(0), QStringLiteral("子类4"));
    EXPECT_EQ(IconOf(men->child(0)), 3);
    EXPECT_EQ(men->child(0)->childCount(), 0);

    // Loaded levels are never asked for again.
    women->setExpanded(false);
    women->setExpanded(true);
    men->setExpanded(false);
    men->setExpanded(true);
    EXPECT_EQ(Count(kCats), before + 2);

    // A failing level keeps its placeholder and is asked for again next time.
    phones->setExpanded(true);
    ASSERT_EQ(phones->childCount(), 1);
    EXPECT_TRUE(phones->child(0)->text(0).isEmpty());
    phones->setExpanded(false);
    phones->setExpanded(true);
    EXPECT_EQ(Count(kCats), before + 4);
    EXPECT_EQ(phones->childCount(), 1);

    // A level of no rows: the placeholder goes and the node stays loaded,
    // without children and without a second request.
    ASSERT_EQ(saved->childCount(), 1);
    saved->setExpanded(true);
    EXPECT_EQ(Count(kCats), before + 5);
    EXPECT_EQ(saved->childCount(), 0);
    saved->setExpanded(false);
    saved->setExpanded(true);
    EXPECT_EQ(Count(kCats), before + 5);

    // Opening a node never starts a search.
    EXPECT_FALSE(form->SearchRunning());
    ASSERT_TRUE(WaitIdle());
    Settle(100);
    EXPECT_EQ(Count(kItems), 1u);
}

TEST_F(TFormTest, CategoriesSharingACaptionUnderDifferentParentsHaveTheirOwnTabs)
{
    StartForm();
    QTreeWidget* tree = form->bsSkinTreeView1;
    QTreeWidgetItem* a = tree->topLevelItem(1);
    QTreeWidgetItem* b = tree->topLevelItem(2);
    a->setExpanded(true);
    b->setExpanded(true);
    ASSERT_EQ(a->child(7)->text(0), b->child(7)->text(0)); // both "其他"

    tree->setCurrentItem(a->child(7));
    ASSERT_TRUE(WaitUntil([this] { return form->bsSkinTabControl1->count() == 2 && !form->SearchRunning(); }));
    EXPECT_EQ(Last(kItems).at("cid"), std::to_string(1001 * 100 + 8));
    tree->setCurrentItem(b->child(7));
    ASSERT_TRUE(WaitUntil([this] { return form->bsSkinTabControl1->count() == 3 && !form->SearchRunning(); }));
    EXPECT_EQ(Last(kItems).at("cid"), std::to_string(1002 * 100 + 8));
    EXPECT_EQ(form->bsSkinTabControl1->tabText(2), QStringLiteral("其他"));
    EXPECT_NE(form->TabList[1]->key, form->TabList[2]->key);
    EXPECT_EQ(Count(kItems), 3u);

    // Re-selecting the first one shows its tab without a request.
    tree->setCurrentItem(a->child(7));
    Settle(100);
    EXPECT_EQ(form->bsSkinTabControl1->currentIndex(), 1);
    EXPECT_EQ(Count(kItems), 3u);
}

TEST_F(TFormTest, ATabMadeOnAPlaceholderSurvivesTheLevelLoadingLater)
{
    bool failLevel = true;
    ServeLevelsFailingWhile(server, failLevel);
    StartForm();
    QTreeWidgetItem* node = form->bsSkinTreeView1->topLevelItem(1);
    node->setExpanded(true); // fails: the placeholder stays
    ASSERT_EQ(node->childCount(), 1);
    form->bsSkinTreeView1->setCurrentItem(node->child(0));
    ASSERT_TRUE(WaitUntil([this] { return form->bsSkinTabControl1->count() == 2 && !form->SearchRunning(); }));
    EXPECT_EQ(Last(kItems).at("cid"), "-1");
    EXPECT_EQ(form->bsSkinTabControl1->tabText(1), QString());

    // Loading the level takes the selected placeholder away: the selection
    // moves to its node and no search starts, now or a little later.
    const std::size_t searches = Count(kItems);
    failLevel = false;
    node->setExpanded(false);
    node->setExpanded(true);
    ASSERT_EQ(node->childCount(), 3);
    EXPECT_EQ(form->TabList[1]->node, node);
    EXPECT_FALSE(form->SearchRunning()) << "removing the placeholder started a search";
    ASSERT_TRUE(WaitIdle());
    Settle(100);
    EXPECT_EQ(Count(kItems), searches);
    form->bsSkinTabControl1->setCurrentIndex(0);
    form->bsSkinTabControl1->setCurrentIndex(1);
    EXPECT_EQ(form->bsSkinTreeView1->currentItem(), node);
    Settle(100);
    EXPECT_EQ(Count(kItems), searches);
}

TEST_F(TFormTest, ALevelLoadedWhileATabIsRestoredStartsNoSearch)
{
    bool failLevel = true;
    ServeLevelsFailingWhile(server, failLevel);
    StartForm();
    QTreeWidget* tree = form->bsSkinTreeView1;
    QTreeWidgetItem* node = tree->topLevelItem(1);
    node->setExpanded(true); // fails: the placeholder stays
    tree->setCurrentItem(node->child(0));
    ASSERT_TRUE(WaitUntil([this] { return form->bsSkinTabControl1->count() == 2 && !form->SearchRunning(); }));
    // Another tab elsewhere in the tree, then the placeholder's parent is
    // collapsed.
    tree->setCurrentItem(tree->topLevelItem(0));
    ASSERT_TRUE(WaitIdle());
    ASSERT_EQ(form->bsSkinTabControl1->currentIndex(), 0);
    form->bsSkinComboBox1->setEditText(QStringLiteral("别的"));
    Search();
    ASSERT_EQ(form->bsSkinTabControl1->count(), 3);
    node->setExpanded(false);
    failLevel = false;
    const std::size_t searches = Count(kItems);

    // Showing the placeholder's tab again opens its parent, which loads the
    // level in the middle of restoring the tab. The placeholder is gone
    // before the tree would make it current (the tree used to go on with it
    // after the level had deleted it).
    const QTreeWidgetItem* placeholder = node->child(0);
    bool placeholderCurrent = false;
    QObject::connect(tree, &QTreeWidget::currentItemChanged, form.get(),
                     [&](QTreeWidgetItem* current) { placeholderCurrent |= current == placeholder; });
    form->bsSkinTabControl1->setCurrentIndex(1);
    EXPECT_FALSE(placeholderCurrent);
    EXPECT_EQ(node->childCount(), 3) << "the level was not loaded during the restore";
    EXPECT_FALSE(form->SearchRunning()) << "a search started during the restore";
    ASSERT_TRUE(WaitIdle());
    Settle(100);
    EXPECT_EQ(Count(kItems), searches);
    EXPECT_EQ(form->bsSkinTabControl1->currentIndex(), 1);
    EXPECT_EQ(form->bsSkinComboBox1->currentText(), QString());
    EXPECT_EQ(tree->currentItem(), node);
    EXPECT_TRUE(form->TreeSearchEnabled);
}

TEST_F(TFormTest, AFailingRootLevelLeavesOnlyAllCategoriesAndShowsNoMessage)
{
    for (int status : {503, 200}) {
        SCOPED_TRACE(status);
        // A server error, then a reply that is no category list at all.
        server.Set(kCats, status == 200 ? std::string("<html>maintenance</html>") : std::string("busy"), status);
        TMessageBoxWatcher boxes;
        StartForm();
        QTreeWidget* tree = form->bsSkinTreeView1;
        ASSERT_EQ(tree->topLevelItemCount(), 1);
        EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("所有类目"));
        EXPECT_EQ(tree->currentItem(), tree->topLevelItem(0));
        EXPECT_EQ(Count(kSoft), status == 503 ? 1u : 2u) << "the software information still answered";
        EXPECT_EQ(Last(kItems).at("cid"), "0") << "the first search still runs";
        Settle(200);
        EXPECT_TRUE(boxes.seen.empty()) << boxes.seen[0].text.toStdString();
        form.reset();
    }
}

TEST_F(TFormTest, SelectedNodeIsRedOnLightCyanOthersInTheInactiveTabColour)
{
    StartForm();
    QTreeWidget* tree = form->bsSkinTreeView1;
    tree->setFocus(Qt::TabFocusReason);
    const QImage shot = tree->viewport()->grab().toImage();
    const QRect selected = tree->visualItemRect(tree->topLevelItem(0));
    const QRect other = tree->visualItemRect(tree->topLevelItem(1));
    int red = 0, cyan = 0, otherText = 0, otherRed = 0;
    for (int y = selected.top(); y <= selected.bottom(); ++y)
        for (int x = selected.left(); x <= selected.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            red += c == QColor(255, 0, 0);
            cyan += c == QColor(128, 255, 255);
        }
    for (int y = other.top(); y <= other.bottom(); ++y)
        for (int x = other.left(); x <= other.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            otherText += c == QColor(0x24, 0x45, 0x6e);
            otherRed += c == QColor(255, 0, 0);
            EXPECT_NE(c, QColor(128, 255, 255));
        }
    EXPECT_GT(cyan, selected.width() * selected.height() / 2);
    EXPECT_GT(red, 5);
    EXPECT_GT(otherText, 5);
    EXPECT_EQ(otherRed, 0);
}
