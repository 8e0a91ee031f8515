#include "AccessibleFactory.h"

#include <QAccessible>
#include <QWidget>

#include "ComboAccessible.h"
#include "PageTabAccessible.h"
#include "QtPrivateObjects.h"

namespace {

// Asked about every object, the engine's private ones included.
PALLIDO_QT_OBJECTS QAccessibleInterface* Create(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("QComboBox"))
        return new TComboAccessible(widget);
    if (className == QLatin1String("QToolButton") && widget->property(kPageTabProperty).toBool())
        return new TPageTabAccessible(widget);
    return nullptr;
}

} // namespace

void InstallAccessibleFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(Create);
        return true;
    }();
    (void)installed;
}
