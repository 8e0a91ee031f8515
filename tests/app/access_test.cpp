// The window for keyboard and assistive technology users: what each control
// is called, what the picture lists say, the notebook's page tabs, the tab
// order, and the keys of the tab strip and the pagers.

#include <QAccessible>
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "BrowserPane.h"
#include "FormFixture.h"
#include "MyScrollBar.h"
#include "Notebook.h"
#include "PaneTestKit.h"
#include "PictureButton.h"
#include "QtPrivateObjects.h"

namespace {

bool Interactive(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::PageTab:
    case QAccessible::PageTabList:
    case QAccessible::Tree:
    case QAccessible::ScrollBar:
    case QAccessible::ButtonMenu:
        return true;
    default:
        return false;
    }
}

// Shown interactive controls under `node` that would be read without a name.
PALLIDO_QT_OBJECTS void CollectUnnamed(QAccessibleInterface* node, QStringList& unnamed, int& seen, int depth = 0)
{
    if (!node || depth > 30 || node->state().invisible)
        return;
    // A combo box's drop-down list is read through the box.
    if (node->role() == QAccessible::ComboBox) {
        ++seen;
        if (node->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << node->object()->objectName();
        return;
    }
    if (Interactive(node->role())) {
        ++seen;
        if (node->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << QStringLiteral("%1 (%2)").arg(node->object() ? node->object()->objectName() : QString())
                           .arg(int(node->role()));
    }
    for (int i = 0; i < node->childCount(); ++i)
        CollectUnnamed(node->child(i), unnamed, seen, depth + 1);
}

QStringList SpokenItems(QComboBox* box)
{
    QStringList out;
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(box)->child(0);
    for (int i = 0; list && i < list->childCount(); ++i)
        out << list->child(i)->text(QAccessible::Name);
    return out;
}

QString Name(QObject* o) { return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name); }

// The control that has the focus, counting an editable box's text field as the box.
QWidget* Focused()
{
    QWidget* w = QApplication::focusWidget();
    if (w && qobject_cast<QComboBox*>(w->parentWidget()))
        return w->parentWidget();
    return w;
}

} // namespace

TEST_F(TFormTest, EveryShownControlHasANameAndThePictureListsSayWhatTheyShow)
{
    StartForm();
    QStringList unnamed;
    int seen = 0;
    CollectUnnamed(QAccessible::queryAccessibleInterface(form.get()), unnamed, seen);
    EXPECT_GE(seen, 27);
    EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join(QStringLiteral(", ")).toStdString();

    EXPECT_EQ(Name(form->bsSkinComboBox1), QStringLiteral("关键字"));
    EXPECT_EQ(Name(form->bsSkinComboBoxEx3), QStringLiteral("排序方式"));
    EXPECT_EQ(Name(form->bsSkinLinkImage1), QStringLiteral("搜索"));
    EXPECT_EQ(Name(form->Image1), QStringLiteral("计算器"));
    EXPECT_EQ(Name(form->Image2), QStringLiteral("打开浏览器"));
    EXPECT_EQ(Name(form->findChild<QWidget*>(QStringLiteral("bsSkinMenuButton"))), QStringLiteral("窗口菜单"));
    EXPECT_EQ(Name(form->web), QStringLiteral("搜索结果"));
    EXPECT_EQ(Name(form->ScrollBar), QStringLiteral("搜索结果"));
    EXPECT_EQ(Name(form->web2), QStringLiteral("卖家列表"));
    EXPECT_EQ(Name(form->web3), QStringLiteral("淘宝频道"));
    EXPECT_EQ(Name(form->web4), form->bsSkinNotebook1->PageCaption(3));
    EXPECT_FALSE(Name(form->web4).isEmpty());
    EXPECT_EQ(Name(form->webShop), QStringLiteral("卖家商品"));
    EXPECT_EQ(Name(form->MyScrollBar1), QStringLiteral("卖家商品"));

    // The lists keep their blank texts on screen and speak their pictures.
    EXPECT_EQ(form->bsSkinComboBoxEx3->itemText(0), QStringLiteral(" "));
    EXPECT_EQ(SpokenItems(form->bsSkinComboBoxEx3),
              (QStringList{QStringLiteral("默认排序"), QStringLiteral("价格从低到高"), QStringLiteral("价格从高到低"),
                           QStringLiteral("信用从高到低"), QStringLiteral("销量从高到低")}));
    const QStringList credits = SpokenItems(form->bsSkinComboBoxEx1);
    ASSERT_EQ(credits.size(), 20);
    EXPECT_EQ(credits[0], QStringLiteral("1心"));
    EXPECT_EQ(credits[7], QStringLiteral("3钻"));
    EXPECT_EQ(credits[14], QStringLiteral("5冠"));
    EXPECT_EQ(credits[19], QStringLiteral("5金冠"));
    EXPECT_EQ(SpokenItems(form->bsSkinComboBoxEx2), credits);
    // The seller view list's blank third item says the view it selects.
    EXPECT_EQ(form->ComboBox2->itemText(2), QString());
    EXPECT_EQ(SpokenItems(form->ComboBox2),
              (QStringList{QStringLiteral("大图显示"), QStringLiteral("列表显示"), QStringLiteral("列表显示")}));
    // The box's value is what its current picture shows.
    auto* sort = QAccessible::queryAccessibleInterface(form->bsSkinComboBoxEx3);
    EXPECT_EQ(sort->text(QAccessible::Value), QStringLiteral("默认排序"));
    form->bsSkinComboBoxEx2->setCurrentIndex(16);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form->bsSkinComboBoxEx2)->text(QAccessible::Value),
              QStringLiteral("2金冠"));

    // The notebook's page buttons are page tabs, the shown one checked.
    for (int i = 0; i < 4; ++i) {
        QAccessibleInterface* tab = QAccessible::queryAccessibleInterface(form->bsSkinNotebook1->PageButton(i));
        EXPECT_EQ(tab->role(), QAccessible::PageTab) << i;
        EXPECT_EQ(tab->state().checked, i == 0) << i;
    }
    form->bsSkinNotebook1->SetPageIndex(2);
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(form->bsSkinNotebook1->PageButton(2))->state().checked);
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(form->bsSkinNotebook1->PageButton(0))->state().checked);

    // Each tab's close button says which tab it closes.
    form->bsSkinComboBox1->setEditText(QStringLiteral("手机"));
    Search();
    ASSERT_EQ(form->bsSkinTabControl1->count(), 2);
    EXPECT_EQ(Name(form->bsSkinTabControl1->tabButton(1, QTabBar::RightSide)), QStringLiteral("关闭 手机"));
    EXPECT_EQ(Name(form->bsSkinTabControl1->tabButton(0, QTabBar::RightSide)),
              QStringLiteral("关闭 ") + form->bsSkinTabControl1->tabText(0));
}

TEST_F(TFormTest, TabWalksTheDesignedOrderAndTheTabStripAndPagerWorkFromTheKeyboard)
{
    StartForm();
    // The result bar takes part once its page is complete and taller than the pane.
    ASSERT_TRUE(kit::WaitUntil([&] { return form->ScrollBar->isEnabled(); }));
    form->activateWindow();
    QApplication::setActiveWindow(form.get());
    form->bsSkinComboBox1->setFocus();
    ASSERT_EQ(Focused(), form->bsSkinComboBox1);
    const QWidget* expected[] = {form->bsSkinSpinEdit1,   form->bsSkinSpinEdit2,   form->bsSkinComboBoxEx3,
                                 form->bsSkinComboBoxEx1, form->bsSkinComboBoxEx2, form->bsSkinComboBox3,
                                 form->bsSkinCheckRadioBox1, form->bsSkinComboBox4, form->bsSkinLinkImage1,
                                 form->Image1,            form->Image2,            form->bsSkinTabControl1};
    for (const QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(Focused(), next) << (Focused() ? Focused()->objectName().toStdString() : "none") << " instead of "
                                   << next->objectName().toStdString();
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(Focused()->objectName(), QStringLiteral("bsSkinMenuButton"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(Focused(), form->ScrollBar);
    // The result pane drops keys, yet Tab and Shift+Tab still lead out of it
    // (the window puts the focus there after each search).
    form->web->setFocus();
    ASSERT_TRUE(form->web->isAncestorOf(QApplication::focusWidget()) || Focused() == form->web);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(Focused(), form->ScrollBar);
    form->web->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Focused()->objectName(), QStringLiteral("bsSkinMenuButton"));
    form->ScrollBar->setFocus();
    // The first page is shown, so the pager's first enabled control is the
    // page list.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(Focused(), form->ComboBoxPage);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(Focused(), form->NextBut);

    // Space on 下页 pages.
    QTest::keyClick(form->NextBut, Qt::Key_Space);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Last(kItems).at("page_no"), "2");
    EXPECT_EQ(form->SelectedTab()->page_no, 2);

    // A second tab, then the arrow keys on the strip switch tabs and Delete
    // closes the shown one.
    form->bsSkinComboBox1->setEditText(QStringLiteral("手机"));
    Search();
    ASSERT_EQ(form->bsSkinTabControl1->count(), 2);
    form->bsSkinTabControl1->setFocus();
    QTest::keyClick(form->bsSkinTabControl1, Qt::Key_Left);
    EXPECT_EQ(form->bsSkinTabControl1->currentIndex(), 0);
    EXPECT_EQ(form->SelectedTab()->page_no, 2);
    QTest::keyClick(form->bsSkinTabControl1, Qt::Key_Right);
    EXPECT_EQ(form->bsSkinTabControl1->currentIndex(), 1);
    EXPECT_EQ(form->bsSkinComboBox1->currentText(), QStringLiteral("手机"));
    QTest::keyClick(form->bsSkinTabControl1, Qt::Key_Delete);
    EXPECT_EQ(form->bsSkinTabControl1->count(), 1);
    // The last tab is never closed.
    QTest::keyClick(form->bsSkinTabControl1, Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(form->bsSkinTabControl1->count(), 1);

    // Enter on a focused control that has no use for it still searches.
    const std::size_t searches = Count(kItems);
    form->bsSkinComboBox1->setEditText(QStringLiteral("保温杯"));
    form->Image1->setFocus();
    QTest::keyClick(form->Image1, Qt::Key_Return);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Count(kItems), searches + 1);
    EXPECT_EQ(Last(kItems).at("keyword"), "保温杯");
}

TEST_F(TFormTest, TheNotebookAndTheTreeWorkFromTheKeyboard)
{
    StartForm();
    form->activateWindow();
    QApplication::setActiveWindow(form.get());
    QToolButton* sellers = form->bsSkinNotebook1->PageButton(1);
    sellers->setFocus();
    QTest::keyClick(sellers, Qt::Key_Space);
    EXPECT_EQ(form->bsSkinNotebook1->PageIndex(), 1);
    form->bsSkinNotebook1->PageButton(0)->setFocus();
    QTest::keyClick(form->bsSkinNotebook1->PageButton(0), Qt::Key_Space);
    EXPECT_EQ(form->bsSkinNotebook1->PageIndex(), 0);

    // Down in the tree selects the next category, which searches it.
    QTreeWidget* tree = form->bsSkinTreeView1;
    tree->setFocus();
    tree->setCurrentItem(tree->topLevelItem(0));
    ASSERT_TRUE(WaitIdle());
    const std::size_t searches = Count(kItems);
    QTest::keyClick(tree, Qt::Key_Down);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(tree->currentItem(), tree->topLevelItem(1));
    EXPECT_EQ(Count(kItems), searches + 1);
}

TEST_F(TFormTest, TheWindowIsPlacedByItsOuterFrame)
{
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        GTEST_SKIP() << "this platform draws no frame around windows (the suite runs this under a window manager)";
    StartForm();
    // A window manager frames the window a moment after it is shown.
    WaitUntil([this] { return form->frameGeometry().size() != form->size(); }, 3000);
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const auto expected = [&] {
        // Centred by the frame, 10 to the left and 15 up; with the client
        // size the frame would stand half its margins off.
        const QSize outer = form->frameGeometry().size();
        return QPoint((screen.width() - outer.width()) / 2 - 10, (screen.height() - outer.height()) / 2 - 15);
    };
    ASSERT_NE(form->frameGeometry().size(), form->size()) << "no frame came";
    const QRect outer = form->frameGeometry();
    if (outer.width() > screen.width() || outer.height() > screen.height())
        GTEST_SKIP() << "the screen is smaller than the window";
    WaitUntil([&] { return form->frameGeometry().topLeft() == expected(); }, 2000);
    EXPECT_EQ(form->frameGeometry().topLeft(), expected())
        << "frame " << outer.width() << "x" << outer.height() << " client " << form->width() << "x"
        << form->height();
    form->CenterOnScreen();
    QTest::qWait(100);
    EXPECT_EQ(form->frameGeometry().topLeft(), expected());
}
