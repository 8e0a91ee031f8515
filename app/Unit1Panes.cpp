// The browser panes: start documents, page loads, the result page and the
// scroll bars that follow each pane's document.

#include <QComboBox>
#include <QResizeEvent>
#include <QTimer>

#include <utility>

#include "BrowserPane.h"
#include "MyScrollBar.h"
#include "Notebook.h"
#include "PageRender.h"
#include "PaneInputFilter.h"
#include "Unit1.h"
#include "codepage.h"
#include "data.h"

namespace {

// The start document of a pane: an empty page of ours.
void StartBlankDocument(TBrowserPane* pane)
{
    pane->Navigate(QStringLiteral("about:blank"));
    pane->LoadHtml(std::string(kBlankDocument));
}

// The counter page waits at most this long for the first result page.
constexpr int kLaterDocumentsDeadlineMs = 3000;

} // namespace

void TForm1::StartBlankDocuments()
{
    // The result pane's first navigation starts the page process; it comes
    // up while the rest of the window is built and the first requests are
    // answered.
    StartBlankDocument(web);
    sellerBlanksPending_ = true;
    shopBlankPending_ = true;
}

void TForm1::InitBrowserPanes()
{
    // All panes share one page process, which is still starting now: the
    // seller list's start document and the counter page follow once the
    // result pane's first document is complete (or a seller pane is used
    // first, or after a few seconds), so they never hold up the first
    // result tab.
    counterPending_ = true;
    if (!web->AwaitingComplete())
        StartLaterDocuments();
    else
        QTimer::singleShot(kLaterDocumentsDeadlineMs, this, &TForm1::StartLaterDocuments);
}

void TForm1::StartLaterDocuments()
{
    if (std::exchange(sellerBlanksPending_, false))
        StartBlankDocument(web2);
    if (std::exchange(counterPending_, false))
        NavigatePane(webCount, BaseUrl + "taobao/III/count.html");
}

void TForm1::LoadHtml(TBrowserPane* pane, const std::string& ansiHtml)
{
    if (pane && (pane == web2 || pane == webShop))
        StartLaterDocuments();
    // The seller item pane stays hidden until a seller's items are first
    // shown; its start document, a page of its own in the page process (about
    // 2.5 MB), waits until then.
    if (pane == webShop && std::exchange(shopBlankPending_, false))
        StartBlankDocument(webShop);
    if (pane)
        pane->LoadHtml(ansiHtml);
}

void TForm1::NavigatePane(TBrowserPane* pane, const std::string& url)
{
    if (!pane)
        return;
    // The pane reports its new address only once the navigation commits;
    // remember at once that it has been sent somewhere.
    pane->setProperty("navigated", true);
    pane->Navigate(QString::fromStdString(AnsiToUtf8(url)));
}

bool TForm1::PaneNavigated(const TBrowserPane* pane) const
{
    return pane && (pane->property("navigated").toBool() || !pane->LocationUrl().isEmpty());
}

void TForm1::ConnectPanes()
{
    const std::pair<TMyScrollBar*, TBrowserPane*> bindings[] = {
        {ScrollBar, web}, {ScrollBar2, web2}, {ScrollBar3, web3}, {ScrollBar4, web4}, {MyScrollBar1, webShop}};
    for (const auto& [bar, pane] : bindings) {
        bar->SetWeb(pane);
        // The window's own handler replaces the bar's default one.
        disconnect(bar, &TMyScrollBar::MouseEnter, bar, &TMyScrollBar::FocusBrowser);
        connect(bar, &TMyScrollBar::MouseEnter, this, [this, bar = bar] { ScrollBar1MouseEnter(bar); });
    }
    connect(web, &TBrowserPane::DocumentComplete, this, &TForm1::webDocumentComplete);
    connect(web2, &TBrowserPane::DocumentComplete, this, &TForm1::web2DocumentComplete);
    connect(web3, &TBrowserPane::DocumentComplete, this, &TForm1::web3DocumentComplete);
    connect(web4, &TBrowserPane::DocumentComplete, this, &TForm1::web4DocumentComplete);
    connect(webShop, &TBrowserPane::DocumentComplete, this, &TForm1::webShopDocumentComplete);
    connect(web2, &TBrowserPane::BeforeNavigate2, this, &TForm1::web2BeforeNavigate2);
    connect(webShop, &TBrowserPane::BeforeNavigate2, this, &TForm1::webShopBeforeNavigate2);

    ApplicationEvents1 = new TPaneInputFilter(this);
    ApplicationEvents1->setObjectName(QStringLiteral("ApplicationEvents1"));
    ApplicationEvents1->SetWheelBars({ScrollBar, MyScrollBar1, ScrollBar2, ScrollBar3, ScrollBar4});
    ApplicationEvents1->SetQuietPanes({web, web2, web3, web4});
    ApplicationEvents1->Install();
}

void TForm1::webDocumentComplete()
{
    StartLaterDocuments();
    ScrollBar->SyncWithDocument(true);
    // The seller list page keeps the result page where it was.
    if (bsSkinNotebook1->PageIndex() != 1)
        ScrollBar->SetPosition(0);
    WriteSellerListWhenIdle();
}

void TForm1::web2DocumentComplete() { ScrollBar2->SyncWithDocument(true); }

void TForm1::web3DocumentComplete() { ScrollBar3->SyncWithDocument(true); }

void TForm1::web4DocumentComplete() { ScrollBar4->SyncWithDocument(true); }

void TForm1::webShopDocumentComplete() { MyScrollBar1->SyncWithDocument(true); }

void TForm1::ScrollBar1MouseEnter(TMyScrollBar* sender)
{
    if (sender && sender->m_web)
        sender->m_web->setFocus();
}

void TForm1::FormResize()
{
    if (ScrollBar)
        ScrollBar->ResetRange();
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TForm1::ShowResultPage()
{
    if (bsSkinComboBox4->currentIndex() == kGridView)
        RenderResultGrid();
    else
        RenderResultList();
}

void TForm1::RenderResultGrid()
{
    if (const TAB* tab = SelectedTab())
        LoadHtml(web, BuildResultGridPage(tab->items));
}

void TForm1::RenderResultList()
{
    if (const TAB* tab = SelectedTab())
        LoadHtml(web, BuildResultListPage(tab->items));
}
