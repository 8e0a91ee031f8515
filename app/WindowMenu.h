#pragma once
// A pop-up menu whose actions' short-cuts work only while the menu is open:
// they are shown beside the captions, but pressing one anywhere else in the
// window does nothing (Ctrl+C in a text box stays a copy).

#include <QMenu>

class TWindowMenu : public QMenu {
    Q_OBJECT
public:
    using QMenu::QMenu;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
