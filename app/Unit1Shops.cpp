// The seller list, the seller pages with their pager and view list, and the
// clicks on them: a seller opens its item page, an item opens its affiliate
// link (the whole page is converted on the first click).

#include <QComboBox>
#include <QFrame>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

#include "BrowserPane.h"
#include "BusyCursor.h"
#include "ExternalBrowser.h"
#include "HtmlColor.h"
#include "MyScrollBar.h"
#include "Skin.h"
#include "Unit1.h"
#include "data.h"

namespace {

const TResultRows kNoRows{};

// A hidden seller list is written once the window has been quiet this long
// after its result page, and at the latest this long after it was made.
constexpr int kSellerListQuietMs = 150;
constexpr int kSellerListDeadlineMs = 3000;

} // namespace

SHOP_ITEM& TForm1::CurrentShop()
{
    return shops[static_cast<std::size_t>(std::clamp(shop_index, 0, kShopSlotCount - 1))];
}

std::string TForm1::ColorToHtml(const QColor& color)
{
    return ::ColorToHtml(color.red(), color.green(), color.blue());
}

void TForm1::ClearShops() { ClearShopSlots(shops); }

void TForm1::RenderSellerList()
{
    const TAB* tab = SelectedTab();
    // Made now (it also fills the seller slots), written when it costs the
    // shown result page nothing.
    pendingSellerList_ = BuildSellerList(tab ? tab->items : kNoRows, shops, ColorToHtml(skin::InactiveTabText()));
    WriteSellerListWhenIdle();
}

// All panes share one page process. The seller list mostly sits behind the
// category tree, so its page waits until the result page it belongs to is
// complete and the window has been quiet for a moment (no search waiting):
// it never delays the page the user is looking at, even while the user
// pages on. Shown, it is written at once; hidden, it is written within a
// few seconds whatever happens.
void TForm1::WriteSellerListWhenIdle()
{
    if (!pendingSellerList_)
        return;
    if (web2->isVisible()) {
        WriteSellerList();
        return;
    }
    if (!sellerListDeadline_->isActive())
        sellerListDeadline_->start();
    if (ResultPageSettled())
        sellerListQuiet_->start();
}

// No search is waiting for its answer and the result page is complete.
bool TForm1::ResultPageSettled() const { return !searchPending_ && !web->AwaitingComplete(); }

void TForm1::WriteSellerList()
{
    sellerListQuiet_->stop();
    sellerListDeadline_->stop();
    if (!pendingSellerList_)
        return;
    const std::string page = std::move(*pendingSellerList_);
    pendingSellerList_.reset();
    LoadHtml(web2, page);
}

void TForm1::ShowShopPage()
{
    if (ComboBox2->currentIndex() == kGridView)
        RenderShopGrid();
    else
        RenderShopList();
}

void TForm1::RenderShopGrid() { LoadHtml(webShop, BuildShopGridPage(CurrentShop())); }

void TForm1::RenderShopList() { LoadHtml(webShop, BuildShopListPage(CurrentShop())); }

bool TForm1::LoadShopItems(bool Paging)
{
    SHOP_ITEM& s = CurrentShop();
    // A slot the list did not fill names no seller.
    if (s.nick.empty())
        return false;
    MyScrollBar1->BeginReload();
    if (s.items[0].title.empty() || Paging) {
        Tb_Items_Cond cond;
        cond.pid = kPid;
        cond.url = BaseUrl + "taobao/tb_items.php";
        cond.nicks = s.nick;
        cond.page_no = std::to_string(s.page_no);
        cond.order_by = "volume";
        Tb_Items_Info names;
        names.desc = "no";
        const ATb_Items_Info* rows = nullptr;
        bool fetched = false;
        {
            const TBusyCursor busy;
            fetched = Taobao_Items1.Fetch(cond, names, rows) && rows;
        }
        if (!fetched) {
            // A server that did not answer is told as such (the shop link
            // is for a seller the server could not list). The box waits for
            // the click's own handling to end: this may run inside a pane's
            // navigation check.
            const bool unreachable = Taobao_Items1.Failure() == TFailure::Unreachable;
            if (Paging)
                MyScrollBar1->SyncWithDocument(true);
            else if (!unreachable)
                OpenInSystemBrowser(s.shop_url);
            if (unreachable)
                QTimer::singleShot(0, this, [this] { ShowNoResultMessage(TFailure::Unreachable); });
            return false;
        }
        StoreShopItems(s, *rows);
    }
    ShowShopPage();
    UpdateShopPager();
    Panel9->show();
    Panel9->raise();
    Button1->hide();
    return true;
}

void TForm1::UpdateShopPager()
{
    const SHOP_ITEM& s = CurrentShop();
    QPushButton* labels[] = {bsSkinButtonLabel4, bsSkinButtonLabel1, bsSkinButtonLabel2, bsSkinButtonLabel3};
    const bool paged = s.page_count >= 2;
    for (QPushButton* label : labels)
        label->setEnabled(paged);
    if (paged) {
        if (s.page_no == 1) {
            bsSkinButtonLabel4->setEnabled(false);
            bsSkinButtonLabel1->setEnabled(false);
        } else if (s.page_no == s.page_count) {
            bsSkinButtonLabel2->setEnabled(false);
            bsSkinButtonLabel3->setEnabled(false);
        }
    }
    const QSignalBlocker block(ComboBox1);
    ComboBox1->clear();
    for (int i = 1; i <= s.page_count; ++i)
        ComboBox1->addItem(QString::number(i));
    ComboBox1->setCurrentIndex(s.page_count > 0 ? s.page_no - 1 : -1);
}

bool TForm1::ChangeShopPage(int page)
{
    SHOP_ITEM& s = CurrentShop();
    if (page < 1)
        return false;
    const int old = s.page_no;
    s.page_no = page;
    if (LoadShopItems(true))
        return true;
    s.page_no = old;
    // The page list goes back to the page still shown.
    const QSignalBlocker block(ComboBox1);
    ComboBox1->setCurrentIndex(s.page_count > 0 ? old - 1 : -1);
    return false;
}

void TForm1::bsSkinButtonLabel4Click() { ChangeShopPage(1); }

void TForm1::bsSkinButtonLabel1Click() { ChangeShopPage(CurrentShop().page_no - 1); }

void TForm1::bsSkinButtonLabel2Click() { ChangeShopPage(CurrentShop().page_no + 1); }

void TForm1::bsSkinButtonLabel3Click() { ChangeShopPage(CurrentShop().page_count); }

void TForm1::ComboBox1Change(int index)
{
    if (index >= 0)
        ChangeShopPage(index + 1);
}

void TForm1::ComboBox2Change() { ShowShopPage(); }

void TForm1::web2BeforeNavigate2(const QString& url, bool& cancel)
{
    const TLinkDecision link = ClassifyLink(url.toStdString());
    if (link.proceed)
        return;
    cancel = true;
    if (link.index >= 0) {
        shop_index = link.index;
        LoadShopItems(false);
    }
}

void TForm1::webShopBeforeNavigate2(const QString& url, bool& cancel)
{
    const TLinkDecision link = ClassifyLink(url.toStdString());
    if (link.proceed)
        return;
    cancel = true;
    if (link.index >= 0)
        OpenShopItem(link.index);
}

void TForm1::OpenShopItem(int Index)
{
    if (Index < 0 || Index >= kShopPageItems)
        return;
    SHOP_ITEM& s = CurrentShop();
    const std::size_t at = static_cast<std::size_t>(Index);
    std::string link;
    if (ShopPageConverted(s)) {
        link = s.items[at].click_url;
    } else {
        Tbk_Items_Convert_Cond cond;
        cond.pid = kPid;
        cond.url = BaseUrl + "taobao/tbk_items_convert.php";
        cond.num_iids = ConvertIdList(s);
        const Tbk_Items_Convert_Info names;
        const ATbk_Items_Convert_Info* rows = nullptr;
        bool converted = false;
        if (!cond.num_iids.empty()) {
            const TBusyCursor busy;
            converted = Taobaoke_Items_Convert1.Fetch(cond, names, rows) && rows;
        }
        if (converted) {
            StoreConvertedLinks(s, *rows);
            link = s.items[at].click_url;
        }
    }
    if (link.empty())
        link = s.shop_url;
    webShop->OpenWindow(link);
}

void TForm1::ConnectSellerView()
{
    sellerListQuiet_ = new QTimer(this);
    sellerListQuiet_->setSingleShot(true);
    sellerListQuiet_->setInterval(kSellerListQuietMs);
    connect(sellerListQuiet_, &QTimer::timeout, this, [this] {
        if (ResultPageSettled())
            WriteSellerList();
    });
    sellerListDeadline_ = new QTimer(this);
    sellerListDeadline_->setSingleShot(true);
    sellerListDeadline_->setInterval(kSellerListDeadlineMs);
    connect(sellerListDeadline_, &QTimer::timeout, this, &TForm1::WriteSellerList);
    connect(bsSkinButtonLabel4, &QAbstractButton::clicked, this, &TForm1::bsSkinButtonLabel4Click);
    connect(bsSkinButtonLabel1, &QAbstractButton::clicked, this, &TForm1::bsSkinButtonLabel1Click);
    connect(bsSkinButtonLabel2, &QAbstractButton::clicked, this, &TForm1::bsSkinButtonLabel2Click);
    connect(bsSkinButtonLabel3, &QAbstractButton::clicked, this, &TForm1::bsSkinButtonLabel3Click);
    // "activated" comes from the user only, never from code.
    connect(ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Change);
    connect(ComboBox2, &QComboBox::activated, this, &TForm1::ComboBox2Change);
}
