// The desktop notifier against notification services on a private session bus: bodies escaped
// exactly when the service on the bus reads markup, or may.
#include "DesktopNotifier.h"
#include "NtfyIcon.h"
#include "PrivateBus.h"
#include "RecordingTrayLayer.h"
#include "WaitUntil.h"

#include <QDBusConnection>
#include <gtest/gtest.h>

namespace {
class TService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit TService(QStringList Capabilities) : FCapabilities(std::move(Capabilities)) {}
    QStringList Bodies;
    int Asked = 0;

public slots:
    QStringList GetCapabilities()
    {
        ++Asked;
        return FCapabilities;
    }
    uint Notify(const QString&, uint, const QString&, const QString&, const QString& Body, const QStringList&,
                const QVariantMap&, int)
    {
        Bodies << Body;
        return 1;
    }

private:
    QStringList FCapabilities;
};

// Puts Service on the bus under the notification service's name, through a connection of its own.
bool Own(const TPrivateBus& Bus, const QString& Connection, TService& Service)
{
    QDBusConnection Link = QDBusConnection::connectToBus(Bus.Address, Connection);
    return Link.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &Service,
                               QDBusConnection::ExportAllSlots) &&
           Link.registerService(QStringLiteral("org.freedesktop.Notifications"));
}
} // namespace

TEST(DesktopNotifier, EscapesBodiesWhenTheServiceReadsMarkupOrMayAndAsksAgainWhenItIsReplaced)
{
    const TPrivateBus Bus;
    ASSERT_FALSE(Bus.Address.isEmpty()) << "dbus-daemon did not start";
    TService Plain({QStringLiteral("body")});
    TService Markup({QStringLiteral("body"), QStringLiteral("body-markup")});
    ASSERT_TRUE(Own(Bus, QStringLiteral("plain"), Plain));
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
    QDBusConnection(QStringLiteral("plain"))
        .unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    ASSERT_TRUE(Own(Bus, QStringLiteral("markup"), Markup));
    ASSERT_TRUE(WaitUntil([&] { return Markup.Asked >= 1; })) << "the new service was not asked";
    ProcessEventsFor(300); // for the answer to come back
    Notifier.Notify(QStringLiteral("Tickerwell"), Body);
    ASSERT_TRUE(WaitUntil([&] { return Markup.Bodies.size() == 1; }));
    EXPECT_EQ(Markup.Bodies[0].toStdString(), "a &lt; b &amp; c");
    QDBusConnection::disconnectFromBus(QStringLiteral("plain"));
    QDBusConnection::disconnectFromBus(QStringLiteral("markup"));
}

#include "DesktopNotifierTest.moc"
