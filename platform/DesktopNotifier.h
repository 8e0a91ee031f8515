#pragma once
// Desktop notifications through the freedesktop notification service
// (org.freedesktop.Notifications on the session bus). Every call is
// asynchronous, so the window never waits for the service; without one (no
// session bus, no service, a service that fails) nothing is shown and
// nothing else happens. A click on a notification sent here (its default
// action) is reported by activated().

#include <QDBusConnection>
#include <QObject>
#include <QSet>
#include <QString>

class QDBusPendingCallWatcher;

class TDesktopNotifier : public QObject {
    Q_OBJECT
public:
    // On the user's session bus.
    explicit TDesktopNotifier(QObject* parent = nullptr);
    // On `bus` (tests give a private one).
    TDesktopNotifier(const QDBusConnection& bus, QObject* parent = nullptr);

    // Shows a notification: `summary` as its title, `body` below it. The
    // previous one sent here is replaced.
    void Notify(const QString& summary, const QString& body);
    // Whether a notification sent here is shown (the service took it and
    // has not closed it).
    bool Showing() const { return shown_ != 0; }

signals:
    // The user clicked a notification sent here.
    void activated();
    // The service answered a Notify with an error, or was not there.
    void failed(const QString& why);

private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

private:
    void OnReply(QDBusPendingCallWatcher* watcher);

    QDBusConnection bus_;
    uint shown_ = 0;   // the id of the last notification shown, 0 for none
    QSet<uint> ours_;  // ids of notifications sent here that are still open
};
