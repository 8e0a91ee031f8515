// The window's side of the self-update: the caption while an update runs,
// back to normal when it fails, and no update for the running version.

#include <QTabBar>

#include "FormFixture.h"

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

TEST_F(TFormTest, RunningOrEmptyVersionStartsNoUpdate)
{
    for (const std::string version : {"20100823", ""}) {
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
