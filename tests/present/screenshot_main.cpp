// Screenshots of the result views for a look by eye: searches the publisher
// server at BaseUrl (the local one on 127.0.0.1:8700 unless the first
// argument names another base address on this machine) for 40 items, shows
// them in a result pane in both views and saves
// <folder>/result-grid.png and <folder>/result-list.png, then shows the first
// of them as one seller's page in both views (shop-grid.png, shop-list.png);
// folder: the second argument, default the current one.

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <cstdio>
#include <unistd.h>

#include "BrowserEngine.h"
#include "BrowserPane.h"
#include "MyScrollBar.h"
#include "PageRender.h"
#include "PaneProfile.h"
#include "Taobaoke_Items.h"
#include "codepage.h"
#include "data.h"

namespace {

bool FetchForty(TResultRows& rows)
{
    Tbk_Items_Cond cond;
    cond.pid = kPid;
    cond.url = BaseUrl + "taobao/tbk_items.php";
    cond.cid = "0";
    cond.keyword = Ansi("手机");
    cond.sort = SortKeys[0];
    cond.start_price = "0";
    cond.end_price = "999999999";
    cond.page_no = "1";
    cond.start_credit = CreditLevels[0];
    cond.end_credit = CreditLevels[19];
    TTaobaoke_Items client;
    const ATbk_Items_Info* results = nullptr;
    if (!client.Fetch(cond, Tbk_Items_Info{}, results) || !results)
        return false;
    for (std::size_t i = 0; i < rows.size() && !(*results)[i].title.empty(); ++i)
        rows[i] = (*results)[i];
    return !rows[0].title.empty();
}

void Spin(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    PrepareBrowserPanes();
    QApplication app(argc, argv);
    if (argc > 1)
        BaseUrl = argv[1];
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(".");

    TResultRows rows;
    if (!FetchForty(rows)) {
        std::fprintf(stderr, "no items from %s\n", BaseUrl.c_str());
        return 1;
    }
    int count = 0;
    while (count < kMaxPageItems && !rows[count].title.empty())
        ++count;
    std::printf("%d items\n", count);

    auto* profile = new TPaneProfile(&app);
    int status = 0;
    {
        QWidget window;
        auto* pane = new TBrowserPane(TPaneKind::Result, profile, &window);
        auto* bar = new TMyScrollBar(&window);
        bar->SetWeb(pane);
        pane->setGeometry(0, 0, 651, 1000);
        bar->setGeometry(651, 0, 19, 1000);
        window.resize(670, 1000);
        window.show();
        bool complete = false;
        QObject::connect(pane, &TBrowserPane::DocumentComplete, bar, [&] {
            bar->SyncWithDocument(true);
            complete = true;
        });
        pane->Navigate(QStringLiteral("about:blank"));
        Spin(500);
        SHOP_ITEM shop;
        shop.nick = rows[0].nick;
        shop.shop_url = rows[0].shop_click_url;
        shop.credit_pic = CreditPictureUrl(rows[0].seller_credit_score);
        shop.location = rows[0].item_location;
        for (int i = 0; i < count; ++i)
            shop.items[i] = ITEM{"", rows[i].title, rows[i].price, rows[i].num_iid, rows[i].pic_url, rows[i].volume};
        const std::pair<const char*, std::string> pages[] = {
            {"/result-grid.png", BuildResultGridPage(rows)},
            {"/result-list.png", BuildResultListPage(rows)},
            {"/shop-grid.png", BuildShopGridPage(shop)},
            {"/shop-list.png", BuildShopListPage(shop)}};
        for (const auto& [name, page] : pages) {
            complete = false;
            bar->BeginReload();
            pane->LoadHtml(page);
            QElapsedTimer timer;
            timer.start();
            while (!complete && timer.elapsed() < 10000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            Spin(2500); // pictures
            const QString file = folder + QString::fromLatin1(name);
            if (!window.grab().save(file))
                status = 1;
            std::printf("%s: document %d px, bar max %d page %d\n", qPrintable(file), pane->DocumentHeight(),
                        bar->Max(), bar->PageSize());
        }
    }
    delete profile;
    return status;
}
