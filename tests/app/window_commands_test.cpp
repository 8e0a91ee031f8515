// The window menu: its states across minimise and restore, the menu button
// and the taskbar request that open it, and closing the window.

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "FormFixture.h"
#include "WindowCommands.h"

namespace {

TWindowCommands* Commands(TForm1* form) { return form->findChild<TWindowCommands*>(); }

} // namespace

TEST_F(TFormTest, WindowMenuStatesFollowMinimiseAndRestore)
{
    StartForm();
    ASSERT_NE(Commands(form.get()), nullptr);
    EXPECT_FALSE(form->N2->isEnabled());
    EXPECT_TRUE(form->N3->isEnabled());
    EXPECT_TRUE(form->N4->isEnabled());

    form->N3->trigger();
    EXPECT_TRUE(form->isMinimized());
    EXPECT_TRUE(form->N2->isEnabled());
    EXPECT_FALSE(form->N3->isEnabled());

    form->N2->trigger();
    EXPECT_FALSE(form->isMinimized());
    EXPECT_FALSE(form->N2->isEnabled());
    EXPECT_TRUE(form->N3->isEnabled());

    // A state change from elsewhere (the window manager) is followed too.
    form->setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(WaitUntil([this] { return form->N2->isEnabled() && !form->N3->isEnabled(); }));
    form->setWindowState(Qt::WindowNoState);
    EXPECT_TRUE(WaitUntil([this] { return !form->N2->isEnabled() && form->N3->isEnabled(); }));
}

TEST_F(TFormTest, MenuButtonAndTaskbarRequestOpenTheWindowMenu)
{
    StartForm();
    TWindowCommands* commands = Commands(form.get());
    ASSERT_NE(commands, nullptr);
    QToolButton* button = commands->MenuButton();
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isVisible());
    // It does not cover the tab strip.
    EXPECT_FALSE(button->geometry().intersects(form->bsSkinTabControl1->geometry()));

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(WaitUntil([this] { return form->bsSkinPopupMenu2->isVisible(); }));
    form->bsSkinPopupMenu2->hide();

    QCoreApplication::postEvent(form.get(), new QEvent(WM_TASKBAR_MENU));
    EXPECT_TRUE(WaitUntil([this] { return form->bsSkinPopupMenu2->isVisible(); }));
    // Its short-cuts act while it is open: Ctrl+N minimises.
    QKeyEvent ctrlN(QEvent::KeyPress, Qt::Key_N, Qt::ControlModifier);
    QCoreApplication::sendEvent(form->bsSkinPopupMenu2, &ctrlN);
    EXPECT_TRUE(form->isMinimized());
    EXPECT_FALSE(form->bsSkinPopupMenu2->isVisible());
    form->N2->trigger();
}

TEST_F(TFormTest, CloseCommandClosesTheWindowAndEndsTheProgram)
{
    StartForm();
    ASSERT_TRUE(form->isVisible());
    // The program's event loop, as main() runs it: "关闭" must end it. Should
    // it not, the guard ends it after 10 s with another code.
    QTimer::singleShot(0, form.get(), [this] { form->N4->trigger(); });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(42); });
    guard.start(10000);
    EXPECT_EQ(QCoreApplication::exec(), 0) << "the event loop did not end";
    EXPECT_FALSE(form->isVisible());
}
