// The tray icon under a StatusNotifierItem host of the test's own, on a private session bus.
#include "NtfyIcon.h"
#include "PrivateBus.h"
#include "TKW.h"
#include "WaitUntil.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QMutex>
#include <QThread>
#include <gtest/gtest.h>

namespace {
// Answers from a thread of its own: Qt asks it with calls that block the window's thread.
struct TWatcher : QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ HostRegistered)
public:
    bool HostRegistered() const { return true; }
    QStringList Items() const
    {
        const QMutexLocker Lock(&Mutex);
        return Registered;
    }
    Q_SLOT void RegisterStatusNotifierItem(const QString& Service)
    {
        const QMutexLocker Lock(&Mutex);
        Registered << Service;
    }
    mutable QMutex Mutex;
    QStringList Registered;
};

// The (id, label) of each entry of a dbusmenu layout (ia{sv}av), depth first; "-" for a separator.
void ReadLayout(const QDBusArgument& Layout, QList<std::pair<int, QString>>& Entries)
{
    int Id = 0;
    QVariantMap Properties;
    Layout.beginStructure();
    Layout >> Id >> Properties;
    if (Id != 0)
        Entries.append(
            {Id, Properties.value("type") == "separator" ? "-" : Properties.value("label").toString()});
    Layout.beginArray();
    while (!Layout.atEnd()) {
        QDBusVariant Child;
        Layout >> Child;
        ReadLayout(Child.variant().value<QDBusArgument>(), Entries);
    }
    Layout.endArray();
    Layout.endStructure();
}

TEST(TTrayHost, TheItemRegistersOnceAndItsHostShowsTheTrayMenu)
{
    TPrivateBus Bus;
    QDBusConnection Host = QDBusConnection::connectToBus(Bus.Address, "host");
    QThread WatcherThread;
    TWatcher Watcher;
    Watcher.moveToThread(&WatcherThread);
    WatcherThread.start();
    const auto Stop = qScopeGuard([&] { WatcherThread.quit(), WatcherThread.wait(); });
    ASSERT_TRUE(Host.registerObject("/StatusNotifierWatcher", &Watcher,
                                    QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
    ASSERT_TRUE(Host.registerService("org.kde.StatusNotifierWatcher"));
    // The host's calls are answered by the window's thread, which must keep running meanwhile.
    const auto Call = [&](const QString& Path, const QString& Interface, const QString& Method,
                          const QVariantList& Arguments) {
        QDBusMessage Message =
            QDBusMessage::createMethodCall(Watcher.Items().value(0), Path, Interface, Method);
        Message.setArguments(Arguments);
        const QDBusPendingCall Pending = Host.asyncCall(Message, 10000);
        WaitUntil([&] { return Pending.isFinished(); }, 15);
        return Pending.reply();
    };

    TForm1 Form;
    Form.show();
    ProcessEventsFor(1000);
    ASSERT_EQ(Watcher.Items().size(), 1) << "registered: " << Watcher.Items().join(", ").toStdString();

    const QDBusMessage Property = Call("/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get",
                                       {"org.kde.StatusNotifierItem", "Menu"});
    const QString Menu =
        Property.arguments().value(0).value<QDBusVariant>().variant().value<QDBusObjectPath>().path();
    ASSERT_FALSE(Menu.isEmpty() || Menu == "/NO_DBUSMENU") << "the item offers no dbusmenu";
    QList<std::pair<int, QString>> Entries;
    const QDBusMessage Layout = Call(Menu, "com.canonical.dbusmenu", "GetLayout", {0, -1, QStringList()});
    ReadLayout(Layout.arguments().value(1).value<QDBusArgument>(), Entries);
    QStringList Captions;
    for (const auto& Entry : Entries)
        Captions << Entry.second;
    ASSERT_EQ(Captions, QStringList({"_Open...", "_Powiadomienia", "_Ustawienia...", "-", "Ex_it"}));

    ASSERT_TRUE(Form.NotificationIcon1->HideMainForm());
    Call(Menu, "com.canonical.dbusmenu", "Event",
         {Entries[0].first, "clicked", QVariant::fromValue(QDBusVariant(0)), 0u});
    ASSERT_TRUE(WaitUntil([&] { return Form.isVisible(); }, 10)) << "Open... in the host's menu did nothing";
    ASSERT_TRUE(Form.NotificationIcon1->HideMainForm());
    Call("/StatusNotifierItem", "org.kde.StatusNotifierItem", "Activate", {10, 10});
    EXPECT_TRUE(WaitUntil([&] { return Form.isVisible(); }, 10)) << "Activate left the window in the tray";
}
} // namespace

#include "TrayHostTest.moc"
