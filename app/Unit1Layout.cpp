// The window's regions and controls, placed at fixed positions in the
// 944 x 673 client area.

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTreeWidget>

#include "BrowserPane.h"
#include "CategoryDelegate.h"
#include "CategoryIcons.h"
#include "MyScrollBar.h"
#include "Notebook.h"
#include "PictureButton.h"
#include "Pictures.h"
#include "Skin.h"
#include "Unit1.h"
#include "codepage.h"
#include "data.h"

namespace {

template <class T, class... Args>
T* Make(QWidget* parent, const char* name, const QRect& geometry, Args&&... args)
{
    T* w = new T(std::forward<Args>(args)..., parent);
    w->setObjectName(QString::fromLatin1(name));
    if (geometry.isValid())
        w->setGeometry(geometry);
    return w;
}

QFrame* Region(QWidget* parent, const char* name, const QRect& geometry)
{
    return Make<QFrame>(parent, name, geometry);
}

QLabel* HiddenLinkLabel(QWidget* parent, const char* name, const QString& caption, const QString& address)
{
    QLabel* label = Make<QLabel>(parent, name, QRect(), caption);
    label->setProperty("address", address);
    label->hide();
    return label;
}

QPushButton* TextButton(QWidget* parent, const char* name, const QString& caption, const QRect& geometry)
{
    QPushButton* b = Make<QPushButton>(parent, name, geometry, caption);
    b->setEnabled(false);
    // Reached with Tab, never taken by a click.
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

const QString kSite = QStringLiteral("http://www.pallido.example/");

} // namespace

void TForm1::CreatePictures()
{
    for (int i = 0; i < pictures::kSortPictureCount; ++i)
        ImageList1.push_back(pictures::SortPicture(i));
    for (int i = 0; i < pictures::kCreditPictureCount; ++i)
        ImageList2.push_back(pictures::CreditPicture(i));
    for (int i = 0; i < pictures::kCategoryIconCount; ++i)
        ImageList3.push_back(pictures::CategoryIcon(i));
    for (int i = 0; i < pictures::kPageIconCount; ++i)
        bsPngImageList1.push_back(pictures::PageIcon(i));
}

TBrowserPane* TForm1::CreatePane(TPaneKind kind, const QString& name, QWidget* parent, const QRect& geometry)
{
    auto* view = new TBrowserPane(kind, profile_, parent);
    view->setObjectName(name);
    if (geometry.isValid())
        view->setGeometry(geometry);
    return view;
}

TMyScrollBar* TForm1::CreateScrollBar(const QString& name, QWidget* parent, const QRect& geometry)
{
    auto* bar = new TMyScrollBar(parent);
    bar->setObjectName(name);
    // The keyboard scrolls the page through its bar.
    bar->setFocusPolicy(Qt::TabFocus);
    if (geometry.isValid())
        bar->setGeometry(geometry);
    return bar;
}

void TForm1::CreateControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Pallido"));
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    setFixedSize(944, 673);
    setStyleSheet(skin::StyleSheet());

    Panel3 = Region(client, "Panel3", QRect(0, 0, 944, 3));
    Panel5 = Region(client, "Panel5", QRect(0, 670, 944, 3));
    Panel2 = Region(client, "Panel2", QRect(0, 3, 3, 667));
    Panel4 = Region(client, "Panel4", QRect(941, 3, 3, 667));
    bsSkinNotebook1 = Make<TNotebook>(client, "bsSkinNotebook1", QRect(3, 3, 263, 667));
    Panel6 = Region(client, "Panel6", QRect(266, 3, 3, 667));
    Panel1 = Region(client, "Panel1", QRect(269, 3, 672, 667));
    Panel9 = Region(client, "Panel9", QRect(269, 3, 672, 667));
    Panel9->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);

    CreateNotebook(bsSkinNotebook1);
    CreateSearchPanel(Panel1);
    CreateResultArea(Panel1);
    CreateSellerView(Panel9);
    Panel9->raise();
    Panel9->hide();

    // The default button: zero size, clicked by Enter (see keyPressEvent).
    Button1 = Make<QPushButton>(client, "Button1", QRect(0, 0, 0, 0));
    Button1->setFixedSize(0, 0);
    Button1->setFocusPolicy(Qt::NoFocus);

    // The counter pane: zero size, outside the visible area, never shown.
    webCount = CreatePane(TPaneKind::Counter, QStringLiteral("webCount"), client, QRect(-10, -10, 0, 0));
    webCount->hide();
}

void TForm1::CreateNotebook(QWidget* parent)
{
    (void)parent;
    auto* page0 = new QWidget;
    auto* l0 = new QHBoxLayout(page0);
    l0->setContentsMargins(0, 2, 0, 0);
    bsSkinTreeView1 = Make<QTreeWidget>(page0, "bsSkinTreeView1", QRect());
    bsSkinTreeView1->setHeaderHidden(true);
    bsSkinTreeView1->setColumnCount(1);
    bsSkinTreeView1->setIndentation(19);
    bsSkinTreeView1->setIconSize(QSize(16, 16));
    bsSkinTreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    bsSkinTreeView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    bsSkinTreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    // The row's own colours show the selection; no focus frame over them.
    bsSkinTreeView1->setAllColumnsShowFocus(false);
    bsSkinTreeView1->setUniformRowHeights(true);
    bsSkinTreeView1->setItemDelegate(new TCategoryDelegate(bsSkinTreeView1));
    bsSkinTreeView1->verticalScrollBar()->setObjectName(QStringLiteral("bsSkinScrollBar1"));
    bsSkinTreeView1->horizontalScrollBar()->setObjectName(QStringLiteral("bsSkinScrollBar2"));
    l0->addWidget(bsSkinTreeView1);

    TBrowserPane** panes[] = {&web2, &web3, &web4};
    TMyScrollBar** bars[] = {&ScrollBar2, &ScrollBar3, &ScrollBar4};
    const TPaneKind kinds[] = {TPaneKind::SellerList, TPaneKind::Static, TPaneKind::Static};
    const char* paneNames[] = {"web2", "web3", "web4"};
    const char* barNames[] = {"ScrollBar2", "ScrollBar3", "ScrollBar4"};
    QWidget* pages[4] = {page0, nullptr, nullptr, nullptr};
    for (int i = 0; i < 3; ++i) {
        auto* page = new QWidget;
        auto* row = new QHBoxLayout(page);
        row->setContentsMargins(0, 2, 0, 0);
        row->setSpacing(0);
        *panes[i] = CreatePane(kinds[i], QString::fromLatin1(paneNames[i]), page, QRect());
        *bars[i] = CreateScrollBar(QString::fromLatin1(barNames[i]), page, QRect());
        row->addWidget(*panes[i], 1);
        row->addWidget(*bars[i]);
        pages[i + 1] = page;
    }
    const QString captions[4] = {QStringLiteral("商品类目"), QStringLiteral("淘宝卖家"),
                                 QStringLiteral("淘宝频道"), QStringLiteral("热门活动")};
    for (int i = 0; i < 4; ++i)
        bsSkinNotebook1->AddPage(pages[i], captions[i], bsPngImageList1[static_cast<std::size_t>(i)]);
}

void TForm1::CreateResultArea(QWidget* parent)
{
    auto* tabArea = Make<QFrame>(parent, "tabArea", QRect(0, 59, 672, 585));
    bsSkinTabControl1 = Make<QTabBar>(tabArea, "bsSkinTabControl1", QRect(0, 3, 672, 22));
    bsSkinTabControl1->setTabsClosable(true);
    bsSkinTabControl1->setExpanding(false);
    bsSkinTabControl1->setUsesScrollButtons(true);
    bsSkinTabControl1->setElideMode(Qt::ElideRight);
    bsSkinTabControl1->setDrawBase(false);
    bsSkinTabControl1->setFocusPolicy(Qt::TabFocus);
    bsSkinTabControl1->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* resultFrame = Make<QFrame>(tabArea, "resultFrame", QRect(0, 25, 672, 560));
    web = CreatePane(TPaneKind::Result, QStringLiteral("web"), resultFrame, QRect(1, 1, 651, 558));
    ScrollBar = CreateScrollBar(QStringLiteral("ScrollBar"), resultFrame, QRect(652, 1, 19, 558));

    Panel8 = Region(parent, "Panel8", QRect(0, 644, 672, 2));
    Panel7 = Region(parent, "Panel7", QRect(0, 646, 672, 21));
    bsSkinLinkLabel2 = HiddenLinkLabel(Panel7, "bsSkinLinkLabel2", QStringLiteral("当前版本:20100823"), kSite);
    bsSkinLinkLabel5 = HiddenLinkLabel(Panel7, "bsSkinLinkLabel5", QStringLiteral("登陆Mervolo(pallido.example)"),
                                       kSite + QStringLiteral("member/login.php"));
    bsSkinLinkLabel6 = HiddenLinkLabel(Panel7, "bsSkinLinkLabel6", QStringLiteral("我要注册账号"),
                                       kSite + QStringLiteral("member/register.php"));
    int x = 214;
    IndexBut = TextButton(Panel7, "IndexBut", QStringLiteral("首页"), QRect(x, 0, 46, 21));
    BackBut = TextButton(Panel7, "BackBut", QStringLiteral("上页"), QRect(x += 50, 0, 46, 21));
    ComboBoxPage = Make<QComboBox>(Panel7, "ComboBoxPage", QRect(x += 50, 0, 56, 21));
    ComboBoxPage->setMaxVisibleItems(12);
    ComboBoxPage->setEnabled(false);
    NextBut = TextButton(Panel7, "NextBut", QStringLiteral("下页"), QRect(x += 60, 0, 46, 21));
    TailBut = TextButton(Panel7, "TailBut", QStringLiteral("尾页"), QRect(x += 50, 0, 46, 21));
}

void TForm1::CreateSellerView(QWidget* parent)
{
    webShop = CreatePane(TPaneKind::SellerPage, QStringLiteral("webShop"), parent, QRect(2, 2, 649, 639));
    MyScrollBar1 = CreateScrollBar(QStringLiteral("MyScrollBar1"), parent, QRect(651, 2, 19, 639));
    Panel11 = Region(parent, "Panel11", QRect(0, 641, 672, 5));
    Panel10 = Region(parent, "Panel10", QRect(0, 646, 672, 21));
    bsSkinLinkLabel1 = HiddenLinkLabel(Panel10, "bsSkinLinkLabel1", QStringLiteral("当前版本:20100823"), kSite);
    bsSkinLinkLabel4 = HiddenLinkLabel(Panel10, "bsSkinLinkLabel4", QStringLiteral("登陆Mervolo(pallido.example)"),
                                       kSite + QStringLiteral("member/login.php"));
    bsSkinLinkLabel3 = HiddenLinkLabel(Panel10, "bsSkinLinkLabel3", QStringLiteral("我要注册账号"),
                                       kSite + QStringLiteral("member/register.php"));
    int x = 150;
    ComboBox2 = Make<QComboBox>(Panel10, "ComboBox2", QRect(x, 0, 84, 21));
    ComboBox2->addItems({QStringLiteral("大图显示"), QStringLiteral("列表显示"), QString()});
    ComboBox2->setCurrentIndex(0);
    bsSkinButtonLabel4 = TextButton(Panel10, "bsSkinButtonLabel4", QStringLiteral("首页"), QRect(x += 90, 0, 46, 21));
    bsSkinButtonLabel1 = TextButton(Panel10, "bsSkinButtonLabel1", QStringLiteral("上页"), QRect(x += 50, 0, 46, 21));
    ComboBox1 = Make<QComboBox>(Panel10, "ComboBox1", QRect(x += 50, 0, 56, 21));
    ComboBox1->setMaxVisibleItems(12);
    bsSkinButtonLabel2 = TextButton(Panel10, "bsSkinButtonLabel2", QStringLiteral("下页"), QRect(x += 60, 0, 46, 21));
    bsSkinButtonLabel3 = TextButton(Panel10, "bsSkinButtonLabel3", QStringLiteral("尾页"), QRect(x += 50, 0, 46, 21));
}
