// The window as designed: regions, controls with their lists, ranges and
// initial states, tab order, pictures and the compressed skin.

#include <QCheckBox>
#include <QFile>
#include <QGuiApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResource>
#include <QScrollBar>
#include <QSet>
#include <QSpinBox>
#include <QTest>
#include <QTabBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QWebEngineProfile>
#include "BrowserPane.h"
#include "MyScrollBar.h"

#include "AppIdentity.h"
#include "CategoryIcons.h"
#include "FormFixture.h"
#include "Notebook.h"
#include "PictureButton.h"
#include "Pictures.h"
#include "Skin.h"
#include "codepage.h"
#include "data.h"

namespace {

QStringList Items(const QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

// Pixels that are not fully transparent.
int Inked(const QPixmap& pm)
{
    const QImage img = pm.toImage().convertToFormat(QImage::Format_ARGB32);
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += qAlpha(img.pixel(x, y)) > 0;
    return n;
}

} // namespace

TEST_F(TFormTest, WindowRegionsAndControlsAreAsDesigned)
{
    StartForm();
    TForm1& f = *form;
    EXPECT_EQ(f.centralWidget()->size(), QSize(944, 673));
    EXPECT_EQ(f.minimumSize(), f.maximumSize());
    EXPECT_EQ(f.Panel3->geometry(), QRect(0, 0, 944, 3));
    EXPECT_EQ(f.Panel5->geometry(), QRect(0, 670, 944, 3));
    EXPECT_EQ(f.bsSkinNotebook1->geometry(), QRect(3, 3, 263, 667));
    EXPECT_EQ(f.Panel1->geometry(), QRect(269, 3, 672, 667));
    EXPECT_EQ(f.Panel9->geometry(), f.Panel1->geometry());
    EXPECT_FALSE(f.Panel9->isVisible());
    EXPECT_EQ(f.bsSkinPanel1->height(), 59);
    EXPECT_EQ(f.Panel7->height(), 21);
    EXPECT_EQ(f.Panel8->height(), 2);
    EXPECT_EQ(f.Panel10->height(), 21);
    EXPECT_EQ(f.Panel11->height(), 5);

    // Labels and captions.
    EXPECT_EQ(f.bsSkinStdLabel1->text(), QStringLiteral("关键字："));
    EXPECT_EQ(f.bsSkinStdLabel2->text(), QStringLiteral("价格："));
    EXPECT_EQ(f.bsSkinStdLabel3->text(), QStringLiteral("信用区间："));
    EXPECT_EQ(f.bsSkinStdLabel4->text(), QStringLiteral("所在："));
    EXPECT_EQ(f.bsSkinCheckRadioBox1->text(), QStringLiteral("消保"));
    EXPECT_EQ(f.IndexBut->text(), QStringLiteral("首页"));
    EXPECT_EQ(f.BackBut->text(), QStringLiteral("上页"));
    EXPECT_EQ(f.NextBut->text(), QStringLiteral("下页"));
    EXPECT_EQ(f.TailBut->text(), QStringLiteral("尾页"));
    EXPECT_EQ(f.Image2->toolTip(), QStringLiteral("打开浏览器"));
    EXPECT_EQ(f.bsSkinLinkImage1->size(), QSize(57, 31));
    EXPECT_EQ(f.Image1->size(), QSize(25, 25));
    EXPECT_EQ(f.bsSkinLinkImage1->cursor().shape(), Qt::PointingHandCursor);

    // Lists.
    EXPECT_TRUE(f.bsSkinComboBox1->isEditable());
    EXPECT_EQ(Items(f.bsSkinComboBoxEx3), (QStringList{" ", "  ", "   ", "    ", "     "}));
    EXPECT_EQ(f.bsSkinComboBoxEx3->iconSize(), QSize(103, 14));
    EXPECT_EQ(f.bsSkinComboBoxEx1->count(), 20);
    EXPECT_EQ(f.bsSkinComboBoxEx2->count(), 20);
    EXPECT_EQ(f.bsSkinComboBoxEx1->iconSize(), QSize(88, 22));
    EXPECT_TRUE(f.bsSkinComboBoxEx2->itemText(19).isEmpty());
    ASSERT_EQ(f.bsSkinComboBox3->count(), 63);
    // The 63 areas as designed, written out here rather than taken from the
    // table the window fills them from.
    const QStringList areas = QStringLiteral(
        "所有地区 江浙沪 珠三角 港澳台 海外 北京 香港 上海 杭州 广州 深圳 南京 武汉 天津 成都 哈尔滨 重庆 宁波 无锡 "
        "济南 苏州 温州 青岛 沈阳 福州 西安 长沙 合肥 南宁 南昌 郑州 厦门 大连 常州 石家庄 东莞 安徽 福建 甘肃 "
        "广东 广西 贵州 海南 河北 黑龙江 河南 湖北 湖南 江苏 江西 吉林 辽宁 内蒙古 宁夏 青海 山东 山西 陕西 四川 "
        "新疆 西藏 云南 浙江").split(QLatin1Char(' '));
    ASSERT_EQ(areas.size(), 63);
    EXPECT_EQ(Items(f.bsSkinComboBox3), areas);
    EXPECT_EQ(f.bsSkinComboBox3->maxVisibleItems(), 20);
    EXPECT_EQ(Items(f.bsSkinComboBox4), (QStringList{QStringLiteral("大图显示"), QStringLiteral("列表显示")}));
    EXPECT_EQ(Items(f.ComboBox2), (QStringList{QStringLiteral("大图显示"), QStringLiteral("列表显示"), QString()}));
    EXPECT_EQ(f.ComboBox2->currentIndex(), 0);
    EXPECT_EQ(f.ComboBoxPage->maxVisibleItems(), 12);
    EXPECT_EQ(f.ComboBox1->maxVisibleItems(), 12);

    // Ranges: the price boxes take 0..999999999 and no tenth digit.
    for (QSpinBox* box : {f.bsSkinSpinEdit1, f.bsSkinSpinEdit2}) {
        EXPECT_EQ(box->minimum(), 0);
        EXPECT_EQ(box->maximum(), 999999999);
        EXPECT_EQ(box->singleStep(), 1);
        box->setValue(999999999);
        EXPECT_EQ(box->value(), 999999999);
        box->setValue(0);
        EXPECT_EQ(box->value(), 0);
        auto* edit = box->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("1234567890"));
        EXPECT_EQ(edit->text(), QStringLiteral("123456789"));
    }

    // Seller view buttons and the hidden version labels.
    for (QPushButton* b : {f.bsSkinButtonLabel1, f.bsSkinButtonLabel2, f.bsSkinButtonLabel3, f.bsSkinButtonLabel4})
        EXPECT_FALSE(b->isEnabled());
    for (QLabel* l : {f.bsSkinLinkLabel1, f.bsSkinLinkLabel2, f.bsSkinLinkLabel3, f.bsSkinLinkLabel4,
                      f.bsSkinLinkLabel5, f.bsSkinLinkLabel6})
        EXPECT_TRUE(l->isHidden());
    EXPECT_EQ(f.bsSkinLinkLabel2->text(), QStringLiteral("当前版本:20100823"));
    EXPECT_TRUE(f.bsSkinLinkLabel5->text().startsWith(QStringLiteral("登陆Mervolo(")));
    EXPECT_EQ(f.bsSkinLinkLabel6->text(), QStringLiteral("我要注册账号"));

    // The notebook: four pages with icons, captions, the tree on page 0.
    ASSERT_EQ(f.bsSkinNotebook1->PageCount(), 4);
    EXPECT_EQ(f.bsSkinNotebook1->PageCaption(0), QStringLiteral("商品类目"));
    EXPECT_EQ(f.bsSkinNotebook1->PageCaption(1), QStringLiteral("淘宝卖家"));
    EXPECT_EQ(f.bsSkinNotebook1->PageCaption(2), QStringLiteral("淘宝频道"));
    EXPECT_EQ(f.bsSkinNotebook1->PageIndex(), 0);
    EXPECT_FALSE(f.bsSkinNotebook1->PageButton(1)->icon().isNull());
    EXPECT_EQ(f.bsSkinTreeView1->indentation(), 19);
    EXPECT_EQ(f.bsSkinTreeView1->editTriggers(), QAbstractItemView::NoEditTriggers);

    // Panes and their scroll bar places; one off-the-record profile for all.
    for (QWebEngineView* pane : {f.web, f.web2, f.web3, f.web4, f.webShop, f.webCount}) {
        ASSERT_NE(pane, nullptr);
        EXPECT_EQ(pane->page()->profile(), f.Profile());
    }
    EXPECT_TRUE(f.Profile()->isOffTheRecord());
    EXPECT_FALSE(f.webCount->isVisible());
    for (QScrollBar* bar : {f.ScrollBar, f.ScrollBar2, f.ScrollBar3, f.ScrollBar4, f.MyScrollBar1}) {
        EXPECT_EQ(bar->width(), 19);
        EXPECT_EQ(bar->orientation(), Qt::Vertical);
    }
    EXPECT_EQ(f.ScrollBar->geometry().left(), f.web->geometry().right() + 1);
    EXPECT_EQ(f.Button1->size(), QSize(0, 0));

    // The tab strip: closable tabs; the tab menu.
    EXPECT_TRUE(f.bsSkinTabControl1->tabsClosable());
    EXPECT_EQ(f.N6->text(), QStringLiteral("激活"));
    EXPECT_EQ(f.MenuItem1->text(), QStringLiteral("关闭"));
}

TEST_F(TFormTest, TabOrderRunsThroughThePanelInItsDesignedOrder)
{
    StartForm();
    TForm1& f = *form;
    const std::vector<QWidget*> order = {f.bsSkinComboBox1,   f.bsSkinSpinEdit1,   f.bsSkinSpinEdit2,
                                         f.bsSkinComboBoxEx3, f.bsSkinComboBoxEx1, f.bsSkinComboBoxEx2,
                                         f.bsSkinComboBox3,   f.bsSkinCheckRadioBox1, f.bsSkinComboBox4};
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        QWidget* next = order[i]->nextInFocusChain();
        // Skip what Tab passes over: parts of the control itself (the line
        // edit of a box) and widgets that take no tab focus.
        while (next && next != order[i + 1] &&
               (next->parentWidget() == order[i] || !(next->focusPolicy() & Qt::TabFocus)))
            next = next->nextInFocusChain();
        EXPECT_EQ(next, order[i + 1]) << i;
    }
}

TEST(Identity, TheWindowCarriesTheInstalledIconAndNamesItsDesktopEntry)
{
    ApplyApplicationIdentity();
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("org.pallido.Pallido"));
    const QString deploy = QStringLiteral(PALLIDO_DEPLOY_DIR);
    // The desktop entry of that name shows the icon of that name.
    QFile entry(deploy + "/desktop/" + ApplicationId() + ".desktop");
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains("\nIcon=" + ApplicationId().toUtf8() + "\n"));
    // Every size of the window icon is the installed theme icon of that size.
    const QIcon icon = QApplication::windowIcon();
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QImage installed(deploy + QStringLiteral("/icons/hicolor/%1x%1/apps/").arg(size) + ApplicationId() + ".png");
        ASSERT_FALSE(installed.isNull()) << size;
        EXPECT_EQ(icon.pixmap(QSize(size, size), 1.0).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                  installed.convertToFormat(QImage::Format_ARGB32_Premultiplied))
            << size;
    }
}

TEST(Pictures, HaveTheirSizesAndAreDistinct)
{
    QSet<qint64> seen;
    auto distinct = [&seen](const QPixmap& pm) {
        const QImage img = pm.toImage();
        QByteArray bytes(reinterpret_cast<const char*>(img.constBits()), img.sizeInBytes());
        return !seen.contains(qHash(bytes)) && (seen.insert(qHash(bytes)), true);
    };
    for (int i = 0; i < pictures::kSortPictureCount; ++i) {
        const QPixmap pm = pictures::SortPicture(i);
        EXPECT_EQ(pm.size(), QSize(103, 14));
        EXPECT_GT(Inked(pm), 100) << i;
        EXPECT_TRUE(distinct(pm)) << i;
    }
    for (int i = 0; i < pictures::kCreditPictureCount; ++i) {
        const QPixmap pm = pictures::CreditPicture(i);
        EXPECT_EQ(pm.size(), QSize(88, 22));
        EXPECT_TRUE(distinct(pm)) << i;
        if (i % 5) { // one more sign each step
            EXPECT_GT(Inked(pm), Inked(pictures::CreditPicture(i - 1))) << i;
        }
    }
    // Category icons: 66 different pictures, each drawn (the emoji font is present).
    for (int i = 0; i < pictures::kCategoryIconCount; ++i) {
        const QPixmap pm = pictures::CategoryIcon(i);
        EXPECT_EQ(pm.size(), QSize(16, 16));
        EXPECT_GT(Inked(pm), 40) << i;
        EXPECT_TRUE(distinct(pm)) << i;
    }
    for (int i = 0; i < pictures::kPageIconCount; ++i) {
        EXPECT_EQ(pictures::PageIcon(i).size(), QSize(16, 16));
        EXPECT_TRUE(distinct(pictures::PageIcon(i))) << i;
    }
    EXPECT_EQ(pictures::SearchButtonPicture().size(), QSize(57, 31));
    EXPECT_EQ(pictures::CalculatorPicture().size(), QSize(25, 25));
    EXPECT_EQ(pictures::BrowserPicture().size(), QSize(25, 25));
    EXPECT_GT(Inked(pictures::SearchButtonPicture()), 57 * 31 * 3 / 4);
    EXPECT_TRUE(pictures::CategoryEmoji(66).isEmpty());
}

TEST(Skin, IsOneCompressedStyleSheetInTheResources)
{
    const QString sheet = skin::StyleSheet();
    ASSERT_FALSE(sheet.isEmpty());
    const QResource stored(QStringLiteral(":/skin.ini"));
    EXPECT_TRUE(stored.isValid());
    EXPECT_EQ(stored.compressionAlgorithm(), QResource::ZlibCompression);
    EXPECT_FALSE(sheet.contains(QLatin1Char('@'))); // every placeholder filled
    EXPECT_TRUE(sheet.contains(skin::InactiveTabText().name()));
}
