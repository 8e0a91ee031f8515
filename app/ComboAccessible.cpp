#include "ComboAccessible.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>

TComboAccessible::TComboAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::ComboBox) {}

QComboBox* TComboAccessible::Box() const { return static_cast<QComboBox*>(widget()); }

QString TComboAccessible::ItemText(const QComboBox* box, int index)
{
    if (index < 0 || index >= box->count())
        return {};
    const QString spoken = box->itemData(index, Qt::AccessibleTextRole).toString();
    return spoken.isEmpty() ? box->itemText(index) : spoken;
}

QString TComboAccessible::text(QAccessible::Text t) const
{
    const QComboBox* box = Box();
    const QString value = box->isEditable() && box->lineEdit() ? box->lineEdit()->text()
                                                               : ItemText(box, box->currentIndex());
    switch (t) {
    case QAccessible::Name: {
        const QString name = box->accessibleName();
        return name.isEmpty() ? value : name;
    }
    case QAccessible::Value:
        return value;
    default:
        return QAccessibleWidget::text(t);
    }
}

QAccessible::State TComboAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.expandable = true;
    s.expanded = Box()->view() && Box()->view()->isVisible();
    s.editable = Box()->isEditable();
    return s;
}

// The drop-down list first, then the text field of an editable box.
int TComboAccessible::childCount() const { return Box()->isEditable() && Box()->lineEdit() ? 2 : 1; }

QAccessibleInterface* TComboAccessible::child(int index) const
{
    if (index == 0)
        return QAccessible::queryAccessibleInterface(Box()->view());
    if (index == 1 && childCount() == 2)
        return QAccessible::queryAccessibleInterface(Box()->lineEdit());
    return nullptr;
}

int TComboAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    if (!child)
        return -1;
    if (child->object() == Box()->view())
        return 0;
    if (childCount() == 2 && child->object() == Box()->lineEdit())
        return 1;
    return -1;
}

QStringList TComboAccessible::actionNames() const
{
    return {QAccessibleActionInterface::showMenuAction(), QAccessibleActionInterface::pressAction()};
}

void TComboAccessible::doAction(const QString& actionName)
{
    if (actionName == QAccessibleActionInterface::showMenuAction() ||
        actionName == QAccessibleActionInterface::pressAction()) {
        if (Box()->view() && Box()->view()->isVisible())
            Box()->hidePopup();
        else
            Box()->showPopup();
    } else {
        QAccessibleWidget::doAction(actionName);
    }
}
