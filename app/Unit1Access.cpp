// What assistive technology reads for each control, and the keyboard's way
// through the window: the designed tab order, focus on every control, and
// keys for the tab strip.

#include <QComboBox>
#include <QCheckBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QTabBar>
#include <QToolButton>
#include <QTreeWidget>

#include "BrowserPane.h"
#include "MyScrollBar.h"
#include "Notebook.h"
#include "PictureButton.h"
#include "Pictures.h"
#include "Unit1.h"

namespace {

void Name(QWidget* widget, const QString& name)
{
    if (widget)
        widget->setAccessibleName(name);
}

// A pane and its scroll bar are both named after what the pane shows.
void NamePane(QWidget* pane, QWidget* bar, const QString& name)
{
    Name(pane, name);
    Name(bar, name);
}

void SpeakItems(QComboBox* box, QString (*caption)(int))
{
    for (int i = 0; i < box->count(); ++i)
        box->setItemData(i, caption(i), Qt::AccessibleTextRole);
}

} // namespace

void TForm1::NameControls()
{
    // The zero-size default button that Enter clicks.
    Name(Button1, QStringLiteral("搜索"));
    Name(bsSkinComboBox1, QStringLiteral("关键字"));
    Name(bsSkinComboBox1->lineEdit(), QStringLiteral("关键字"));
    Name(bsSkinComboBoxEx3, QStringLiteral("排序方式"));
    Name(bsSkinSpinEdit1, QStringLiteral("最低价格"));
    Name(bsSkinSpinEdit2, QStringLiteral("最高价格"));
    Name(bsSkinLinkImage1, QStringLiteral("搜索"));
    Name(bsSkinComboBoxEx1, QStringLiteral("最低信用"));
    Name(bsSkinComboBoxEx2, QStringLiteral("最高信用"));
    Name(bsSkinComboBox3, QStringLiteral("所在地区"));
    Name(bsSkinComboBox4, QStringLiteral("显示方式"));
    Name(Image1, QStringLiteral("计算器"));
    Name(Image2, QStringLiteral("打开浏览器"));
    SpeakItems(bsSkinComboBoxEx3, pictures::SortCaption);
    SpeakItems(bsSkinComboBoxEx1, pictures::CreditCaption);
    SpeakItems(bsSkinComboBoxEx2, pictures::CreditCaption);

    Name(bsSkinTreeView1, QStringLiteral("商品类目"));
    Name(bsSkinTreeView1->verticalScrollBar(), QStringLiteral("商品类目"));
    Name(bsSkinTreeView1->horizontalScrollBar(), QStringLiteral("商品类目"));
    Name(bsSkinTabControl1, QStringLiteral("搜索结果标签"));
    NamePane(web, ScrollBar, QStringLiteral("搜索结果"));
    NamePane(web2, ScrollBar2, QStringLiteral("卖家列表"));
    NamePane(web3, ScrollBar3, QStringLiteral("淘宝频道"));
    NameFourthPage();
    NamePane(webShop, MyScrollBar1, QStringLiteral("卖家商品"));
    Name(ComboBoxPage, QStringLiteral("页码"));
    Name(ComboBox1, QStringLiteral("卖家商品页码"));
    Name(ComboBox2, QStringLiteral("卖家商品显示方式"));
    // The third item is blank on screen and shows the list view, as the second.
    ComboBox2->setItemData(2, QStringLiteral("列表显示"), Qt::AccessibleTextRole);
    for (int i = 0; i < bsSkinTabControl1->count(); ++i)
        NameTabCloseButton(i);
}

void TForm1::NameFourthPage()
{
    NamePane(web4, ScrollBar4, bsSkinNotebook1->PageCaption(3));
}

void TForm1::NameTabCloseButton(int index)
{
    Name(bsSkinTabControl1->tabButton(index, QTabBar::RightSide),
         QStringLiteral("关闭 ") + bsSkinTabControl1->tabText(index));
}

void TForm1::ConnectKeyboard()
{
    // The left notebook, the search panel in its designed order, the result
    // tabs with their page and pager, then the seller view.
    std::vector<QWidget*> order;
    for (int i = 0; i < bsSkinNotebook1->PageCount(); ++i)
        order.push_back(bsSkinNotebook1->PageButton(i));
    for (QWidget* w : std::initializer_list<QWidget*>{
             bsSkinTreeView1, ScrollBar2, ScrollBar3, ScrollBar4, bsSkinComboBox1, bsSkinSpinEdit1,
             bsSkinSpinEdit2, bsSkinComboBoxEx3, bsSkinComboBoxEx1, bsSkinComboBoxEx2, bsSkinComboBox3,
             bsSkinCheckRadioBox1, bsSkinComboBox4, bsSkinLinkImage1, Image1, Image2, bsSkinTabControl1})
        order.push_back(w);
    if (QWidget* menu = findChild<QWidget*>(QStringLiteral("bsSkinMenuButton")))
        order.push_back(menu);
    for (QWidget* w : std::initializer_list<QWidget*>{
             ScrollBar, IndexBut, BackBut, ComboBoxPage, NextBut, TailBut, MyScrollBar1, ComboBox2,
             bsSkinButtonLabel4, bsSkinButtonLabel1, ComboBox1, bsSkinButtonLabel2, bsSkinButtonLabel3})
        order.push_back(w);
    for (std::size_t i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);

    // On the tab strip the arrow keys change the tab; Delete and Ctrl+W close it.
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Delete), QKeySequence(QKeySequence::Close)}) {
        auto* close = new QShortcut(keys, bsSkinTabControl1, nullptr, nullptr, Qt::WidgetShortcut);
        connect(close, &QShortcut::activated, this, [this] {
            if (bsSkinTabControl1->currentIndex() >= 0)
                bsSkinTabControl1Close(bsSkinTabControl1->currentIndex());
        });
    }
}
