// The search panel's controls, the menus and the event wiring.

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTreeWidget>
#include <QWebEngineView>

#include "Notebook.h"
#include "PictureButton.h"
#include "Pictures.h"
#include "Unit1.h"
#include "WindowCommands.h"
#include "WindowMenu.h"
#include "codepage.h"
#include "data.h"

namespace {

template <class T, class... Args>
T* Make(QWidget* parent, const char* name, const QRect& geometry, Args&&... args)
{
    T* w = new T(std::forward<Args>(args)..., parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(geometry);
    return w;
}

QSpinBox* PriceBox(QWidget* parent, const char* name, const QRect& geometry, int value)
{
    auto* box = Make<QSpinBox>(parent, name, geometry);
    box->setRange(0, 999999999);
    box->setSingleStep(1);
    box->setValue(value);
    box->setAccelerated(true);
    return box;
}

QComboBox* PictureList(QWidget* parent, const char* name, const QRect& geometry,
                       const std::vector<QPixmap>& images, std::size_t count, bool spaces)
{
    auto* box = Make<QComboBox>(parent, name, geometry);
    box->setIconSize(pictures::LogicalSize(images.front()));
    for (std::size_t i = 0; i < count; ++i)
        box->addItem(QIcon(images[i]), spaces ? QString(static_cast<int>(i) + 1, QLatin1Char(' ')) : QString());
    return box;
}

} // namespace

void TForm1::CreateSearchPanel(QWidget* parent)
{
    bsSkinPanel1 = Make<QFrame>(parent, "bsSkinPanel1", QRect(0, 0, 672, 59));
    QWidget* p = bsSkinPanel1;

    // Row 1.
    bsSkinStdLabel1 = Make<QLabel>(p, "bsSkinStdLabel1", QRect(6, 5, 50, 22), QStringLiteral("关键字："));
    bsSkinComboBox1 = Make<QComboBox>(p, "bsSkinComboBox1", QRect(56, 4, 120, 24));
    bsSkinComboBox1->setEditable(true);
    bsSkinComboBox1->setInsertPolicy(QComboBox::NoInsert);
    bsSkinComboBox1->completer()->setCaseSensitivity(Qt::CaseSensitive);
    bsSkinComboBoxEx3 = PictureList(p, "bsSkinComboBoxEx3", QRect(182, 4, 130, 24), ImageList1, 5, true);
    bsSkinStdLabel2 = Make<QLabel>(p, "bsSkinStdLabel2", QRect(318, 5, 38, 22), QStringLiteral("价格："));
    bsSkinSpinEdit1 = PriceBox(p, "bsSkinSpinEdit1", QRect(356, 4, 98, 24), 0);
    bsSkinSpinEdit2 = PriceBox(p, "bsSkinSpinEdit2", QRect(458, 4, 98, 24), 999999999);
    bsSkinCheckRadioBox1 = Make<QCheckBox>(p, "bsSkinCheckRadioBox1", QRect(561, 5, 46, 22), QStringLiteral("消保"));
    bsSkinLinkImage1 = Make<TPictureButton>(p, "bsSkinLinkImage1", QRect(609, 14, 57, 31),
                                            pictures::SearchButtonPicture());

    // Row 2.
    bsSkinStdLabel3 = Make<QLabel>(p, "bsSkinStdLabel3", QRect(6, 32, 64, 24), QStringLiteral("信用区间："));
    bsSkinComboBoxEx1 = PictureList(p, "bsSkinComboBoxEx1", QRect(70, 31, 118, 26), ImageList2, 20, false);
    bsSkinComboBoxEx2 = PictureList(p, "bsSkinComboBoxEx2", QRect(192, 31, 118, 26), ImageList2, 20, false);
    bsSkinStdLabel4 = Make<QLabel>(p, "bsSkinStdLabel4", QRect(322, 32, 40, 24), QStringLiteral("所在："));
    bsSkinComboBox3 = Make<QComboBox>(p, "bsSkinComboBox3", QRect(360, 32, 92, 24));
    for (const std::string& label : AreaLabels)
        bsSkinComboBox3->addItem(QString::fromStdString(AnsiToUtf8(label)));
    bsSkinComboBox3->setMaxVisibleItems(20);
    bsSkinComboBox3->setCurrentIndex(0);
    bsSkinComboBox4 = Make<QComboBox>(p, "bsSkinComboBox4", QRect(458, 32, 90, 24));
    bsSkinComboBox4->addItems({QStringLiteral("大图显示"), QStringLiteral("列表显示")});
    bsSkinComboBox4->setCurrentIndex(0);
    Image1 = Make<TPictureButton>(p, "Image1", QRect(556, 31, 25, 25), pictures::CalculatorPicture());
    Image2 = Make<TPictureButton>(p, "Image2", QRect(584, 31, 25, 25), pictures::BrowserPicture());
    Image2->setToolTip(QStringLiteral("打开浏览器"));
}

void TForm1::CreateMenus()
{
    auto* window = new TWindowMenu(this);
    window->setObjectName(QStringLiteral("bsSkinPopupMenu2"));
    bsSkinPopupMenu2 = window;
    N2 = window->addAction(QStringLiteral("还原"));
    N2->setObjectName(QStringLiteral("N2"));
    N2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    N2->setEnabled(false);
    N3 = window->addAction(QStringLiteral("最小化"));
    N3->setObjectName(QStringLiteral("N3"));
    N3->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    N5 = window->addSeparator();
    N5->setObjectName(QStringLiteral("N5"));
    N4 = window->addAction(QStringLiteral("关闭"));
    N4->setObjectName(QStringLiteral("N4"));
    N4->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));

    // Its handlers, the menu button and the state changes that enable them.
    new TWindowCommands(this);

    bsSkinPopupMenu3 = new QMenu(this);
    bsSkinPopupMenu3->setObjectName(QStringLiteral("bsSkinPopupMenu3"));
    N6 = bsSkinPopupMenu3->addAction(QStringLiteral("激活"));
    N6->setObjectName(QStringLiteral("N6"));
    MenuItem1 = bsSkinPopupMenu3->addAction(QStringLiteral("关闭"));
    MenuItem1->setObjectName(QStringLiteral("MenuItem1"));
}

void TForm1::ConnectEvents()
{
    connect(bsSkinLinkImage1, &QAbstractButton::clicked, this, &TForm1::bsSkinLinkImage1Click);
    connect(Button1, &QAbstractButton::clicked, this, &TForm1::Button1Click);
    connect(Image1, &QAbstractButton::clicked, this, &TForm1::Image1Click);
    connect(Image2, &QAbstractButton::clicked, this, &TForm1::Image2Click);
    // "activated" comes from the user only, never from code.
    connect(bsSkinComboBoxEx3, &QComboBox::activated, this, &TForm1::bsSkinComboBoxEx3Change);
    connect(bsSkinComboBox4, &QComboBox::activated, this, &TForm1::bsSkinComboBox4Change);
    connect(ComboBoxPage, &QComboBox::activated, this, &TForm1::ComboBoxPageChange);
    connect(bsSkinTreeView1, &QTreeWidget::currentItemChanged, this, &TForm1::bsSkinTreeView1Change);
    connect(bsSkinTreeView1, &QTreeWidget::itemExpanded, this, &TForm1::bsSkinTreeView1Expanding);
    connect(bsSkinTabControl1, &QTabBar::currentChanged, this, &TForm1::bsSkinTabControl1Change);
    connect(bsSkinTabControl1, &QTabBar::tabCloseRequested, this, &TForm1::bsSkinTabControl1Close);
    connect(IndexBut, &QAbstractButton::clicked, this, &TForm1::IndexButClick);
    connect(BackBut, &QAbstractButton::clicked, this, &TForm1::BackButClick);
    connect(NextBut, &QAbstractButton::clicked, this, &TForm1::NextButClick);
    connect(TailBut, &QAbstractButton::clicked, this, &TForm1::TailButClick);

    connect(bsSkinTabControl1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        MenuTabIndex = bsSkinTabControl1->tabAt(at);
        bsSkinPopupMenu3->popup(bsSkinTabControl1->mapToGlobal(at));
    });
    connect(N6, &QAction::triggered, this, [this] {
        if (MenuTabIndex >= 0)
            ActivateTab(MenuTabIndex);
    });
    connect(MenuItem1, &QAction::triggered, this, [this] {
        if (MenuTabIndex >= 0)
            bsSkinTabControl1Close(MenuTabIndex);
    });

    connect(bsSkinNotebook1, &TNotebook::PageChanged, this, [this](int page) {
        if (page == 0) {
            Panel9->hide();
            Button1->show();
        } else if (page == 1) {
            WriteSellerListWhenIdle();
        } else if (page == 2 && !PaneNavigated(web3)) {
            NavigatePane(web3, BaseUrl + "taobao/III/pindao.html");
        } else if (page == 3 && !PaneNavigated(web4)) {
            NavigatePane(web4, BaseUrl + "taobao/III/huodong.html");
        }
    });
}
