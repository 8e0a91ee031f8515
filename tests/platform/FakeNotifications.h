#pragma once
// A stand-in for the desktop's notification service: it records every
// Notify call and can send the signals a real one sends.

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <vector>

class TFakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct TCall {
        QString appName;
        uint replacesId = 0;
        QString summary, body;
        QStringList actions;
    };

    // Takes the service's name and object path on `bus`.
    bool Register(QDBusConnection& bus);
    // Sends ActionInvoked as the service would after a click.
    void Invoke(QDBusConnection& bus, uint id, const QString& action);

    std::vector<TCall> calls;
    uint lastId = 0;

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int timeout);
};
