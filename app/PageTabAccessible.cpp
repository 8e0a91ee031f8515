#include "PageTabAccessible.h"

#include <QAbstractButton>

TPageTabAccessible::TPageTabAccessible(QWidget* button) : QAccessibleWidget(button, QAccessible::PageTab) {}

QString TPageTabAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
        return static_cast<const QAbstractButton*>(widget())->text();
    return QAccessibleWidget::text(t);
}

QAccessible::State TPageTabAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    const bool shown = static_cast<const QAbstractButton*>(widget())->isChecked();
    s.checkable = true;
    s.checked = shown;
    s.selectable = true;
    s.selected = shown;
    return s;
}

QStringList TPageTabAccessible::actionNames() const
{
    return QStringList{QAccessibleActionInterface::pressAction()} + QAccessibleWidget::actionNames();
}

void TPageTabAccessible::doAction(const QString& actionName)
{
    if (actionName == QAccessibleActionInterface::pressAction())
        static_cast<QAbstractButton*>(widget())->click();
    else
        QAccessibleWidget::doAction(actionName);
}
