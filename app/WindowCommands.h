#pragma once
// The window commands: the window menu (restore, minimise, close) with its
// enable states following the window's state, the menu button that opens it
// from the window itself (the skinned window has no system menu of its own),
// and the taskbar's request for that menu on platforms that send one.

#include <QEvent>
#include <QObject>

class QToolButton;
class TForm1;

// Asked for by the taskbar button's right-click where the platform reports
// it (Windows' message 0x0313); nothing sends it here.
inline constexpr QEvent::Type WM_TASKBAR_MENU = static_cast<QEvent::Type>(QEvent::User + 0x0313);

class TWindowCommands : public QObject {
    Q_OBJECT
public:
    // Wires the window menu of `form` and adds the menu button; owned by `form`.
    explicit TWindowCommands(TForm1* form);

    void N2Click(); // restore, and bring the window to the front
    void N3Click(); // minimise
    void N4Click(); // close: ends the application
    void bsBusinessSkinForm1Minimize();
    void bsBusinessSkinForm1Restore();
    // Opens the window menu at the mouse position.
    void WMTaskbarMenu();

    QToolButton* MenuButton() const { return button_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowMenuBelowButton();

    TForm1* form_;
    QToolButton* button_ = nullptr;
};
