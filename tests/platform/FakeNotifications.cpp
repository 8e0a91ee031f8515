#include "FakeNotifications.h"

#include <QDBusMessage>

bool TFakeNotifications::Register(QDBusConnection& bus)
{
    return bus.registerService(QStringLiteral("org.freedesktop.Notifications")) &&
           bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                              QDBusConnection::ExportAllSlots);
}

void TFakeNotifications::Invoke(QDBusConnection& bus, uint id, const QString& action)
{
    QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                     QStringLiteral("org.freedesktop.Notifications"),
                                                     QStringLiteral("ActionInvoked"));
    signal << id << action;
    bus.send(signal);
}

uint TFakeNotifications::Notify(const QString& appName, uint replacesId, const QString&, const QString& summary,
                                const QString& body, const QStringList& actions, const QVariantMap&, int)
{
    calls.push_back({appName, replacesId, summary, body, actions});
    lastId = replacesId ? replacesId : lastId + 1;
    return lastId;
}
