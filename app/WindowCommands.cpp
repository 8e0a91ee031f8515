#include "WindowCommands.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QShowEvent>
#include <QTabBar>
#include <QToolButton>

#include "Unit1.h"

namespace {
constexpr int kButtonWidth = 24;
} // namespace

TWindowCommands::TWindowCommands(TForm1* form) : QObject(form), form_(form)
{
    connect(form->N2, &QAction::triggered, this, &TWindowCommands::N2Click);
    connect(form->N3, &QAction::triggered, this, &TWindowCommands::N3Click);
    connect(form->N4, &QAction::triggered, this, &TWindowCommands::N4Click);
    form->installEventFilter(this);

    // The menu button sits at the right end of the result tab strip, which
    // gives up that much of its width.
    QTabBar* strip = form->bsSkinTabControl1;
    QWidget* host = strip ? strip->parentWidget() : form;
    button_ = new QToolButton(host);
    button_->setObjectName(QStringLiteral("bsSkinMenuButton"));
    button_->setText(QStringLiteral("☰"));
    button_->setToolTip(QStringLiteral("窗口菜单"));
    button_->setCursor(Qt::PointingHandCursor);
    button_->setAutoRaise(true);
    button_->setAccessibleName(QStringLiteral("窗口菜单"));
    button_->setFocusPolicy(Qt::TabFocus);
    if (strip) {
        const QRect g = strip->geometry();
        strip->setGeometry(g.x(), g.y(), g.width() - kButtonWidth, g.height());
        button_->setGeometry(g.x() + g.width() - kButtonWidth, g.y(), kButtonWidth, g.height());
    }
    connect(button_, &QToolButton::clicked, this, &TWindowCommands::ShowMenuBelowButton);
}

void TWindowCommands::ShowMenuBelowButton()
{
    form_->bsSkinPopupMenu2->popup(button_->mapToGlobal(QPoint(0, button_->height())));
}

void TWindowCommands::WMTaskbarMenu() { form_->bsSkinPopupMenu2->popup(QCursor::pos()); }

void TWindowCommands::N2Click()
{
    form_->showNormal();
    // Bring it in front of other windows without moving or resizing it.
    form_->raise();
    form_->activateWindow();
    bsBusinessSkinForm1Restore();
}

void TWindowCommands::N3Click()
{
    form_->showMinimized();
    bsBusinessSkinForm1Minimize();
}

void TWindowCommands::N4Click()
{
    form_->close();
    QCoreApplication::quit();
}

void TWindowCommands::bsBusinessSkinForm1Minimize()
{
    form_->N2->setEnabled(true);
    form_->N3->setEnabled(false);
}

void TWindowCommands::bsBusinessSkinForm1Restore()
{
    form_->N2->setEnabled(false);
    form_->N3->setEnabled(true);
}

bool TWindowCommands::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == form_) {
        switch (event->type()) {
        case QEvent::WindowStateChange:
            if (form_->windowState() & Qt::WindowMinimized)
                bsBusinessSkinForm1Minimize();
            else
                bsBusinessSkinForm1Restore();
            break;
        case QEvent::Show:
            bsBusinessSkinForm1Restore();
            break;
        default:
            if (event->type() == WM_TASKBAR_MENU) {
                WMTaskbarMenu();
                return true;
            }
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
