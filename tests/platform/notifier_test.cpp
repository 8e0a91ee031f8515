// Desktop notifications against a fake notification service on a private
// session bus of the test's own (dbus-daemon), and with no service at all.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QVariantMap>

#include "DesktopNotifier.h"
#include "FakeNotifications.h"

namespace {

// A bus daemon of the test's own, stopped with it.
class TPrivateBus {
public:
    TPrivateBus()
    {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (daemon_.waitForStarted(5000) && daemon_.waitForReadyRead(5000))
            address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~TPrivateBus()
    {
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    QDBusConnection Connect(const QString& name) const { return QDBusConnection::connectToBus(address_, name); }
    bool Ok() const { return !address_.isEmpty(); }

private:
    QProcess daemon_;
    QString address_;
};

template <class Pred>
bool WaitFor(Pred pred, int ms = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!pred() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return pred();
}

} // namespace

TEST(DesktopNotifier, NotifiesThroughTheServiceAndReportsClicksOnItsOwnNotifications)
{
    TPrivateBus bus;
    ASSERT_TRUE(bus.Ok()) << "dbus-daemon did not start";
    QDBusConnection serviceBus = bus.Connect(QStringLiteral("service"));
    TFakeNotifications service;
    ASSERT_TRUE(service.Register(serviceBus));

    TDesktopNotifier notifier(bus.Connect(QStringLiteral("client")));
    QSignalSpy activated(&notifier, &TDesktopNotifier::activated);
    QSignalSpy failed(&notifier, &TDesktopNotifier::failed);
    notifier.Notify(QStringLiteral("降价提醒"), QStringLiteral("3 件收藏降价"));
    ASSERT_TRUE(WaitFor([&] { return service.calls.size() == 1; }));
    const auto& first = service.calls[0];
    EXPECT_EQ(first.appName, QStringLiteral("Pallido"));
    EXPECT_EQ(first.replacesId, 0u);
    EXPECT_EQ(first.summary, QStringLiteral("降价提醒"));
    EXPECT_EQ(first.body, QStringLiteral("3 件收藏降价"));
    EXPECT_TRUE(first.actions.contains(QStringLiteral("default")));

    // The next one replaces the first.
    ASSERT_TRUE(WaitFor([&] { return notifier.Showing(); }));
    notifier.Notify(QStringLiteral("降价提醒"), QStringLiteral("1 件收藏降价"));
    ASSERT_TRUE(WaitFor([&] { return service.calls.size() == 2; }));
    EXPECT_EQ(service.calls[1].replacesId, service.lastId);

    // Clicks on other programs' notifications, or on another action, are
    // not ours.
    service.Invoke(serviceBus, service.lastId + 100, QStringLiteral("default"));
    service.Invoke(serviceBus, service.lastId, QStringLiteral("other"));
    service.Invoke(serviceBus, service.lastId, QStringLiteral("default"));
    ASSERT_TRUE(WaitFor([&] { return activated.size() >= 1; }));
    WaitFor([] { return false; }, 200);
    EXPECT_EQ(activated.size(), 1);
    EXPECT_EQ(failed.size(), 0);
}

TEST(DesktopNotifier, WithoutAServiceOrABusNothingBreaks)
{
    TPrivateBus bus;
    ASSERT_TRUE(bus.Ok());
    TDesktopNotifier lonely(bus.Connect(QStringLiteral("alone")));
    QSignalSpy failed(&lonely, &TDesktopNotifier::failed);
    lonely.Notify(QStringLiteral("降价提醒"), QStringLiteral("x"));
    EXPECT_TRUE(WaitFor([&] { return failed.size() == 1; }));

    TDesktopNotifier nowhere(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                           QStringLiteral("nowhere")));
    QSignalSpy failedToo(&nowhere, &TDesktopNotifier::failed);
    nowhere.Notify(QStringLiteral("降价提醒"), QStringLiteral("x"));
    EXPECT_EQ(failedToo.size(), 1);
}
