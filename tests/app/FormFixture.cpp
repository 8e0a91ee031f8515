#include "FormFixture.h"

#include <QTabBar>

#include "PictureButton.h"

#include "DemoReplies.h"
#include "codepage.h"
#include "data.h"

void TFormTest::SetUp()
{
    base = server.BaseUrl();
    BaseUrl = base;
    FallbackUrl = "http://127.0.0.1:" + std::to_string(UnusedPort()) + "/";
    TCannedReply soft;
    soft.body = demo::SoftInfo("活动专区");
    soft.contentType = "text/plain; charset=utf-8";
    server.Set(kSoft, soft);
    server.SetHandler(kCats, [](const TRecordedRequest& r) {
        TCannedReply reply;
        const std::string parent = r.params.count("parent_cid") ? r.params.at("parent_cid") : "";
        reply.body = parent == "0" ? demo::RootCategories() : demo::ChildCategories(std::atoi(parent.c_str()), 8);
        return reply;
    });
    server.SetHandler(kItems, [this](const TRecordedRequest& r) {
        TCannedReply reply;
        const int page = r.params.count("page_no") ? std::atoi(r.params.at("page_no").c_str()) : 1;
        reply.body = demo::Items(base, page, rowsPerPage, total);
        return reply;
    });
    TCannedReply page;
    page.body = demo::Page("count");
    page.contentType = "text/html";
    server.Set("/taobao/III/count.html", page);
}

void TFormTest::TearDown()
{
    form.reset();
    server.Stop();
}

std::chrono::steady_clock::duration TFormTest::CloseForm()
{
    const auto started = std::chrono::steady_clock::now();
    form.reset();
    return std::chrono::steady_clock::now() - started;
}

void TFormTest::StartForm(bool waitForFirstTab)
{
    form = std::make_unique<TForm1>();
    form->MyUpdate1.publicKey = updateSigner.PublicKeyLine();
    form->MyUpdate1.runningAsRoot = false; // the suite may run as root
    localOnly.Install(form->Profile());
    form->FormCreate();
    form->show();
    if (waitForFirstTab) {
        ASSERT_TRUE(WaitUntil([this] { return form->bsSkinTabControl1->count() == 1 && !form->SearchRunning(); }));
    }
}

bool TFormTest::WaitIdle(int ms)
{
    return WaitUntil([this] { return !form->SearchRunning(); }, ms);
}

void TFormTest::Search()
{
    form->bsSkinLinkImage1->click();
    ASSERT_TRUE(WaitIdle());
}

TRecordedRequest TFormTest::LastRequest(const std::string& path) const
{
    const auto all = server.Requests();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        if (it->path == path)
            return *it;
    return {};
}

QString TFormTest::Title(int row) const
{
    const TAB* tab = form->SelectedTab();
    if (!tab)
        return {};
    return QString::fromStdString(AnsiToUtf8(tab->items[static_cast<std::size_t>(row)].title));
}
