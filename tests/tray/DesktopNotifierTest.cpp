// The desktop notifier against notification services on a private session bus.
#include "DesktopNotifier.h"
#include "NtfyIcon.h"
#include "PrivateBus.h"
#include "RecordingTrayLayer.h"
#include "WaitUntil.h"

#include <QDBusConnection>
#include <gtest/gtest.h>

namespace {
// A notification service that records the bodies; Name is its connection to the bus.
class TService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    TService(const TPrivateBus& Bus, const QString& Name, QStringList Capabilities)
        : Connection(QDBusConnection::connectToBus(Bus.Address, Name)), Capabilities(std::move(Capabilities))
    {
        Connection.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                  QDBusConnection::ExportAllSlots);
    }
    QDBusConnection Connection;
    QStringList Capabilities;
    QStringList Bodies;
    int Asked = 0;

public slots:
    QStringList GetCapabilities() { return ++Asked, Capabilities; }
    uint Notify(const QString&, uint, const QString&, const QString&, const QString& Body, const QStringList&,
                const QVariantMap&, int)
    {
        Bodies << Body;
        return 1;
    }
};
} // namespace

TEST(DesktopNotifier, EscapesBodiesWhenTheServiceReadsMarkupOrMayAndAsksAgainWhenItIsReplaced)
{
    const TPrivateBus Bus;
    ASSERT_FALSE(Bus.Address.isEmpty()) << "dbus-daemon did not start";
    const QString Name = QStringLiteral("org.freedesktop.Notifications");
    TService Plain(Bus, QStringLiteral("plain"), {QStringLiteral("body")});
    TService Markup(Bus, QStringLiteral("markup"), {QStringLiteral("body"), QStringLiteral("body-markup")});
    ASSERT_TRUE(Plain.Connection.registerService(Name));
    TNotificationIcon Icon(nullptr, std::make_unique<TRecordingTrayLayer>());
    TDesktopNotifier Notifier(&Icon);
    const QString Body = QStringLiteral("a < b & c");

    // Before the service has answered, it may read markup.
    Notifier.Notify(QStringLiteral("Tickerwell"), Body);
    ASSERT_TRUE(WaitUntil([&] { return Plain.Bodies.size() == 1 && Plain.Asked == 1; }));
    EXPECT_EQ(Plain.Bodies[0].toStdString(), "a &lt; b &amp; c");
    ProcessEventsFor(300); // for the answer to come back
    Notifier.Notify(QStringLiteral("Tickerwell"), Body);
    ASSERT_TRUE(WaitUntil([&] { return Plain.Bodies.size() == 2; }));
    EXPECT_EQ(Plain.Bodies[1].toStdString(), "a < b & c")
        << "a service without body-markup shows the text as it is";

    // Another service takes the name: it is asked anew.
    Plain.Connection.unregisterService(Name);
    ASSERT_TRUE(Markup.Connection.registerService(Name));
    ASSERT_TRUE(WaitUntil([&] { return Markup.Asked >= 1; })) << "the new service was not asked";
    ProcessEventsFor(300);
    Notifier.Notify(QStringLiteral("Tickerwell"), Body);
    ASSERT_TRUE(WaitUntil([&] { return Markup.Bodies.size() == 1; }));
    EXPECT_EQ(Markup.Bodies[0].toStdString(), "a &lt; b &amp; c");
}

#include "DesktopNotifierTest.moc"
