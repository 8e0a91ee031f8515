#include "WindowMenu.h"

#include <QKeyEvent>

void TWindowMenu::keyPressEvent(QKeyEvent* event)
{
    const QKeySequence pressed(event->keyCombination());
    for (QAction* action : actions()) {
        if (action->isSeparator() || action->shortcut().isEmpty() || action->shortcut() != pressed)
            continue;
        event->accept();
        if (action->isEnabled()) {
            hide();
            action->trigger();
        }
        return;
    }
    QMenu::keyPressEvent(event);
}
