// The window's side of the self-update: the caption while an update runs,
// back to normal when it fails, no update for the running version, and a
// window closed while the update worker (and a search) still wait, and the
// replace question asked in the window while the worker waits for it.

#include <chrono>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTabBar>
#include <QThread>
#include <QTimer>

#include "DemoReplies.h"
#include "FormFixture.h"
#include "Launcher.h"
#include "Notebook.h"
#include "TempDir.h"
#include "ZipMaker.h"

namespace {

const QString kUpdating = QStringLiteral("正在更新软件。。。");

std::string SoftInfoAnnouncing(const std::string& version, const std::string& url)
{
    return "soft\nextra1=1\nextra2=2\nname=pallido-update-wintest\nversion=" + version + "\nurl=" + url +
           "\ncaption=" + "活动专区" + "\n";
}

} // namespace

TEST_F(TFormTest, AnnouncedVersionStartsAnUpdateAndAFailureRestoresTheCaption)
{
    TCannedReply soft;
    soft.body = SoftInfoAnnouncing("20100901", base + "updates/missing.zip");
    server.Set(kSoft, soft);
    TCannedReply missing;
    missing.status = 404;
    missing.body = "gone";
    missing.delayBeforeHeaders = std::chrono::milliseconds(700);
    server.Set("/updates/missing.zip", missing);

    StartForm(false);
    EXPECT_EQ(form->windowTitle(), kUpdating);
    ASSERT_TRUE(WaitUntil([this] {
        return server.RequestCount("/updates/missing.zip") == 1 && form->bsSkinTabControl1->count() == 1 &&
               !form->SearchRunning() && form->windowTitle() == QStringLiteral("Pallido");
    }));
    // The failed update leaves the window working as the current version.
    Settle(300);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Pallido"));
    EXPECT_FALSE(form->MyUpdate1.Installed());
}

TEST_F(TFormTest, RunningOlderOrEmptyVersionStartsNoUpdate)
{
    for (const std::string version : {"20100823", "20100822", ""}) {
        TCannedReply soft;
        soft.body = SoftInfoAnnouncing(version, base + "updates/u.zip");
        server.Set(kSoft, soft);
        StartForm(false);
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Pallido")) << version;
        ASSERT_TRUE(WaitUntil([this] { return form->bsSkinTabControl1->count() == 1 && !form->SearchRunning(); }));
        EXPECT_EQ(server.RequestCount("/updates/u.zip"), 0u) << version;
        form.reset();
    }
}

TEST_F(TFormTest, ClosingTheWindowDuringAnUpdateDownloadNeitherHangsNorInstalls)
{
    TCannedReply soft;
    soft.body = SoftInfoAnnouncing("20100901", base + "updates/slow.zip");
    server.Set(kSoft, soft);
    TCannedReply slow;
    slow.body = std::string(4096, 'x');
    slow.delayBeforeHeaders = std::chrono::seconds(60);
    server.Set("/updates/slow.zip", slow);

    StartForm();
    ASSERT_TRUE(WaitUntil([this] { return server.RequestCount("/updates/slow.zip") == 1; }));
    EXPECT_FALSE(form->MyUpdate1.Installed());
    // The download is cut short; far below the reply's delay.
    EXPECT_LT(CloseForm(), std::chrono::seconds(10));
}

TEST_F(TFormTest, ClosingWhileASearchAndAnUpdateBothWaitStopsBothWorkers)
{
    TCannedReply soft;
    soft.body = SoftInfoAnnouncing("20100901", base + "updates/slow.zip");
    server.Set(kSoft, soft);
    // The archive stalls half-way through its body, the search before its headers.
    TCannedReply slowArchive;
    slowArchive.body = std::string(64 * 1024, 'x');
    slowArchive.stallMidBody = true;
    slowArchive.bytesBeforeStall = 1024;
    slowArchive.stallFor = std::chrono::seconds(60);
    server.Set("/updates/slow.zip", slowArchive);
    TCannedReply slowSearch;
    slowSearch.body = demo::Items(base, 1, 40, "120");
    slowSearch.delayBeforeHeaders = std::chrono::seconds(60);
    server.Set(kItems, slowSearch);

    StartForm(false);
    ASSERT_TRUE(WaitUntil([this] {
        return server.RequestCount("/updates/slow.zip") == 1 && server.RequestCount(kItems) == 1;
    }));
    ASSERT_TRUE(form->SearchRunning());
    EXPECT_LT(CloseForm(), std::chrono::seconds(10));
    EXPECT_TRUE(SearchIdle.load());
}

TEST_F(TFormTest, ReplaceQuestionIsAskedInTheWindowWhileTheWorkerWaits)
{
    TTempDir dir;
    const std::string prog = dir.Sub("prog");
    WriteFile(prog + "config.ini", "old config");
    TCannedReply archive;
    archive.body = TZipMaker()
                       .File("config.ini", "new config")
                       .File("pallido-update-wintest", "#!/bin/sh\n", 0100755)
                       .Bytes();
    archive.contentType = "application/zip";
    server.Set("/updates/u.zip", archive);
    server.Set("/updates/u.zip.minisig", updateSigner.SignUpdate(archive.body, "20100901", "pallido-update-wintest"));
    TCannedReply soft;
    soft.body = SoftInfoAnnouncing("20100901", base + "updates/u.zip");
    server.Set(kSoft, soft);
    // The first search stays open, so the caption shows the update's outcome.
    TCannedReply slowSearch;
    slowSearch.body = demo::Items(base, 1, 40, "120");
    slowSearch.delayBeforeHeaders = std::chrono::seconds(60);
    server.Set(kItems, slowSearch);
    // The new program "fails to start": the update ends as failed and leaves
    // no clean-up script.
    TRecordingLauncher launcher;
    launcher.startResult = false;
    SetLauncher(&launcher);

    // A box that blocks the window would run its own event loop: this timer
    // notes it and answers it, so the test goes on to fail instead of hanging.
    bool blocked = false;
    QTimer guard;
    guard.setInterval(20);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (auto* modal = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            blocked = true;
            modal->button(QMessageBox::No)->click();
        }
    });
    guard.start();

    form = std::make_unique<TForm1>();
    form->MyUpdate1.places = {dir.Sub("tmp"), prog, ""};
    form->MyUpdate1.publicKey = updateSigner.PublicKeyLine();
    form->MyUpdate1.runningAsRoot = false;
    localOnly.Install(form->Profile());
    form->FormCreate();
    form->show();
    QMessageBox* box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return blocked || ((box = form->findChild<QMessageBox*>()) && box->isVisible()); }));
    ASSERT_FALSE(blocked) << "the question blocked the window";
    EXPECT_EQ(box->windowTitle(), QStringLiteral("File Exists Alert"));
    EXPECT_EQ(box->text(), QStringLiteral("Replace existing file config.ini?"));
    EXPECT_EQ(box->thread(), qApp->thread());
    // The question leaves the window usable while it waits for an answer.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    form->bsSkinNotebook1->SetPageIndex(1);
    EXPECT_EQ(form->bsSkinNotebook1->PageIndex(), 1);
    form->bsSkinNotebook1->SetPageIndex(0);
    Settle(300);
    EXPECT_FALSE(form->MyUpdate1.Installed());
    box->button(QMessageBox::No)->click();
    ASSERT_TRUE(WaitUntil([&] { return form->SearchRunning() && form->windowTitle() == QStringLiteral("Pallido"); }));
    EXPECT_FALSE(form->MyUpdate1.Installed());
    form.reset(); // also joins the worker before its launcher calls are read
    SetLauncher(nullptr);

    EXPECT_EQ(ReadFile(prog + "config.ini"), "old config");
    ASSERT_EQ(launcher.calls.size(), 1u);
    EXPECT_EQ(launcher.calls[0].program, prog + "pallido-update-wintest");
    EXPECT_TRUE(ListFolder(dir.Path() + "tmp").empty());
}

TEST_F(TFormTest, ClosingTheWindowWhileTheReplaceQuestionIsShownAnswersNo)
{
    TTempDir dir;
    const std::string prog = dir.Sub("prog");
    WriteFile(prog + "config.ini", "old config");
    TCannedReply archive;
    archive.body = TZipMaker()
                       .File("config.ini", "new config")
                       .File("pallido-update-wintest", "#!/bin/sh\n", 0100755)
                       .Bytes();
    archive.contentType = "application/zip";
    server.Set("/updates/u.zip", archive);
    server.Set("/updates/u.zip.minisig", updateSigner.SignUpdate(archive.body, "20100901", "pallido-update-wintest"));
    TCannedReply soft;
    soft.body = SoftInfoAnnouncing("20100901", base + "updates/u.zip");
    server.Set(kSoft, soft);
    TRecordingLauncher launcher;
    SetLauncher(&launcher);

    form = std::make_unique<TForm1>();
    form->MyUpdate1.places = {dir.Sub("tmp"), prog, ""};
    form->MyUpdate1.publicKey = updateSigner.PublicKeyLine();
    form->MyUpdate1.runningAsRoot = false;
    localOnly.Install(form->Profile());
    form->FormCreate();
    form->show();
    ASSERT_TRUE(WaitUntil([&] {
        auto* box = form->findChild<QMessageBox*>();
        return box && box->isVisible();
    }));
    EXPECT_LT(CloseForm(), std::chrono::seconds(5));
    SetLauncher(nullptr);
    EXPECT_EQ(ReadFile(prog + "config.ini"), "old config");
    EXPECT_TRUE(launcher.calls.empty()) << "nothing is started after the window closed";
}
