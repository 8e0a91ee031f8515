#include "DesktopNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// The desktop entry's name: the service shows the program's name and icon.
const QString kAppName = QStringLiteral("Pallido");
const QString kIcon = QStringLiteral("org.pallido.Pallido");
constexpr int kTimeoutMs = 10000;

} // namespace

TDesktopNotifier::TDesktopNotifier(QObject* parent) : TDesktopNotifier(QDBusConnection::sessionBus(), parent) {}

TDesktopNotifier::TDesktopNotifier(const QDBusConnection& bus, QObject* parent) : QObject(parent), bus_(bus)
{
    if (!bus_.isConnected())
        return;
    bus_.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                 SLOT(OnActionInvoked(uint, QString)));
    bus_.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                 SLOT(OnClosed(uint, uint)));
}

void TDesktopNotifier::Notify(const QString& summary, const QString& body)
{
    if (!bus_.isConnected()) {
        emit failed(QStringLiteral("no session bus"));
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), kIcon);
    call << kAppName << shown_ << kIcon << summary << body
         << QStringList{QStringLiteral("default"), QStringLiteral("打开")} << hints << -1;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) { OnReply(w); });
}

void TDesktopNotifier::OnReply(QDBusPendingCallWatcher* watcher)
{
    watcher->deleteLater();
    const QDBusPendingReply<uint> reply = *watcher;
    if (reply.isError()) {
        emit failed(reply.error().message());
        return;
    }
    shown_ = reply.value();
    ours_.insert(shown_);
}

void TDesktopNotifier::OnActionInvoked(uint id, const QString& action)
{
    // The service tells every program about every click.
    if (ours_.contains(id) && action == QStringLiteral("default"))
        emit activated();
}

void TDesktopNotifier::OnClosed(uint id, uint)
{
    ours_.remove(id);
    if (id == shown_)
        shown_ = 0;
}
