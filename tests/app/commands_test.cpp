// What the window does besides searching: the updater's messages, the tab
// menu, the notebook's pages and the tool pictures.

#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include "BrowserPane.h"
#include "MyScrollBar.h"

#include "DemoReplies.h"
#include "FakeDesktop.h"
#include "FormFixture.h"
#include "Launcher.h"
#include "Messages.h"
#include "Notebook.h"
#include "PictureButton.h"

TEST_F(TFormTest, AFailedUpdateRestoresTheCaption)
{
    StartForm();
    form->setWindowTitle(QStringLiteral("正在更新软件。。。"));
    QCoreApplication::postEvent(form.get(), new QEvent(WM_UPDATE_FAILED));
    EXPECT_TRUE(WaitUntil([this] { return form->windowTitle() == QStringLiteral("Pallido"); }));
}

TEST_F(TFormTest, AFinishedUpdateEndsTheProgram)
{
    StartForm();
    // The program's event loop, as main() runs it; the guard ends it with
    // another code should the message not.
    QCoreApplication::postEvent(form.get(), new QEvent(WM_UPDATE_DONE));
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(42); });
    guard.start(10000);
    EXPECT_EQ(QCoreApplication::exec(), 0) << "the event loop did not end";
}

TEST_F(TFormTest, TabMenuActivatesAndClosesTheTabUnderTheMouse)
{
    StartForm();
    form->bsSkinComboBox1->setEditText(QStringLiteral("茶叶"));
    Search();
    ASSERT_EQ(form->bsSkinTabControl1->count(), 2);
    QTabBar* tabs = form->bsSkinTabControl1;
    QMenu* menu = form->bsSkinPopupMenu3;
    // A right click where the mouse is, as the strip receives it; the menu
    // opens there and the command is then chosen from it.
    auto rightClickThenChoose = [&](const QPoint& at, QAction* command) {
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, tabs->mapToGlobal(at));
        QCoreApplication::sendEvent(tabs, &click);
        EXPECT_TRUE(WaitUntil([&] { return menu->isVisible(); }));
        command->trigger();
        menu->hide();
    };
    auto centreOf = [&](int index) { return tabs->tabRect(index).center(); };
    const QPoint beside(tabs->width() - 4, tabs->height() / 2);
    ASSERT_EQ(tabs->tabAt(beside), -1) << "the strip must have room beside its tabs";

    // Beside the tabs both commands do nothing.
    rightClickThenChoose(beside, form->N6);
    EXPECT_EQ(form->MenuTabIndex, -1);
    rightClickThenChoose(beside, form->MenuItem1);
    EXPECT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->currentIndex(), 1);

    rightClickThenChoose(centreOf(0), form->N6);
    EXPECT_EQ(form->MenuTabIndex, 0);
    EXPECT_EQ(tabs->currentIndex(), 0);
    // "关闭" on the tab under the mouse, not the shown one.
    rightClickThenChoose(centreOf(1), form->MenuItem1);
    EXPECT_EQ(tabs->count(), 1);
    EXPECT_EQ(form->TabList.size(), 1u);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("所有类目"));
    rightClickThenChoose(centreOf(0), form->MenuItem1); // the last tab stays
    EXPECT_EQ(tabs->count(), 1);
    EXPECT_EQ(Count(kItems), 2u);
}

TEST_F(TFormTest, ChannelAndActivityPagesLoadOnTheirFirstVisitOnly)
{
    for (const char* page : {"/taobao/III/pindao.html", "/taobao/III/huodong.html"}) {
        TCannedReply reply;
        reply.body = demo::Page(page);
        reply.contentType = "text/html";
        server.Set(page, reply);
    }
    StartForm();
    TNotebook* book = form->bsSkinNotebook1;
    book->SetPageIndex(2);
    ASSERT_TRUE(WaitUntil([this] { return Count("/taobao/III/pindao.html") == 1; }));
    book->SetPageIndex(3);
    ASSERT_TRUE(WaitUntil([this] { return Count("/taobao/III/huodong.html") == 1; }));
    book->SetPageIndex(2);
    book->SetPageIndex(3);
    book->SetPageIndex(0);
    Settle(300);
    EXPECT_EQ(Count("/taobao/III/pindao.html"), 1u);
    EXPECT_EQ(Count("/taobao/III/huodong.html"), 1u);
    EXPECT_TRUE(WaitUntil([this] {
        return form->web3->LocationUrl().toStdString() == base + "taobao/III/pindao.html";
    }));
    EXPECT_FALSE(form->Panel9->isVisible());
    EXPECT_TRUE(form->Button1->isVisible());
}

TEST_F(TFormTest, ToolPicturesStartTheirProgramsAndPicturesShiftWhilePressed)
{
    StartForm();
    {
        // The desktop's own calculator and the user's default browser, each
        // started by its desktop entry.
        TFakeDesktop desktop;
        desktop.Desktop("KDE");
        desktop.Entry("usr", "org.gnome.Calculator.desktop");
        const std::string kcalc = desktop.Entry("usr", "org.kde.kcalc.desktop");
        const std::string browser = desktop.Entry("local", "firefox-esr.desktop");
        desktop.recorder.answers["xdg-settings"] = "firefox-esr.desktop\n";
        form->Image1->click();
        form->Image2->click();
        ASSERT_EQ(desktop.recorder.calls.size(), 2u);
        EXPECT_EQ(desktop.recorder.calls[0].program, "gio");
        EXPECT_EQ(desktop.recorder.calls[0].args, (std::vector<std::string>{"launch", kcalc}));
        EXPECT_EQ(desktop.recorder.calls[1].program, "gio");
        EXPECT_EQ(desktop.recorder.calls[1].args, (std::vector<std::string>{"launch", browser}));
        EXPECT_TRUE(desktop.recorder.calls[1].url.empty()) << "no page of ours in the browser";
    }

    TPictureButton* search = form->bsSkinLinkImage1;
    const QImage up = search->grab().toImage();
    search->setDown(true);
    const QImage down = search->grab().toImage();
    search->setDown(false);
    EXPECT_NE(up, down);
    // Moved one pixel right and down: what was at (x, y) is now at (x+1, y+1).
    EXPECT_EQ(up.pixelColor(20, 15), down.pixelColor(21, 16));
    EXPECT_EQ(up, search->grab().toImage());
}
