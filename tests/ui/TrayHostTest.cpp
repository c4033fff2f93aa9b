// The window's tray icon under a StatusNotifierItem host: a watcher of the test's own, on a private
// session bus, stands for the desktop's panel and asks the item what a panel asks.
#include "Application.h"
#include "NtfyIcon.h"
#include "PopupMenu.h"
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
#include <QWindow>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {
const QString ItemPath = QStringLiteral("/StatusNotifierItem");
const QString ItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString MenuInterface = QStringLiteral("com.canonical.dbusmenu");

// The watcher answers from a thread of its own: Qt asks it with calls that block the window's thread.
class TWatcher : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ HostRegistered)
    Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ Items)
public:
    bool HostRegistered() const { return true; }
    int ProtocolVersion() const { return 0; }
    QStringList Items() const
    {
        const QMutexLocker Lock(&Mutex);
        return Registered;
    }

public slots:
    void RegisterStatusNotifierItem(const QString& Service)
    {
        const QMutexLocker Lock(&Mutex);
        Registered << Service;
    }
    void RegisterStatusNotifierHost(const QString&) {}

private:
    mutable QMutex Mutex;
    QStringList Registered;
};

struct TMenuEntry
{
    int Id;
    QString Label; // "-" for a separator
    QString ToggleState;
};

// The entries of a dbusmenu layout (ia{sv}av), depth first.
void ReadLayout(const QDBusArgument& Layout, std::vector<TMenuEntry>& Entries)
{
    int Id = 0;
    QVariantMap Properties;
    Layout.beginStructure();
    Layout >> Id >> Properties;
    if (Id != 0)
        Entries.push_back({Id,
                           Properties.value(QStringLiteral("type")) == QStringLiteral("separator")
                               ? QStringLiteral("-")
                               : Properties.value(QStringLiteral("label")).toString(),
                           Properties.value(QStringLiteral("toggle-state")).toString()});
    Layout.beginArray();
    while (!Layout.atEnd()) {
        QDBusVariant Child;
        Layout >> Child;
        ReadLayout(Child.variant().value<QDBusArgument>(), Entries);
    }
    Layout.endArray();
    Layout.endStructure();
}

class TTrayHostTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        Bus = new TPrivateBus;
        ASSERT_FALSE(Bus->Address().isEmpty()) << "dbus-daemon did not start";
        Host = new QDBusConnection(QDBusConnection::connectToBus(Bus->Address(), QStringLiteral("host")));
        WatcherThread->start();
        Watcher->moveToThread(WatcherThread);
        ASSERT_TRUE(
            Host->registerObject(QStringLiteral("/StatusNotifierWatcher"), Watcher,
                                 QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
        ASSERT_TRUE(Host->registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));
    }
    static void TearDownTestSuite()
    {
        WatcherThread->quit();
        WatcherThread->wait();
    }

    void SetUp() override
    {
        Form = std::make_unique<TForm1>();
        TApplication::Instance()->MainForm = Form.get();
        Form->show();
        ASSERT_TRUE(WaitUntil([this] { return Form->windowHandle() && Form->windowHandle()->isExposed(); }));
    }

    // Calls the item as its host does and waits for the answer, which the window's thread gives.
    static QDBusMessage Call(const QString& Service, const QString& Path, const QString& Interface,
                             const QString& Method, const QVariantList& Arguments)
    {
        QDBusMessage Message = QDBusMessage::createMethodCall(Service, Path, Interface, Method);
        Message.setArguments(Arguments);
        const QDBusPendingCall Pending = Host->asyncCall(Message, 10000);
        WaitUntil([&] { return Pending.isFinished(); }, 15);
        return Pending.reply();
    }

    static inline TPrivateBus* Bus = nullptr;
    static inline QDBusConnection* Host = nullptr;
    static inline TWatcher* Watcher = new TWatcher;
    static inline QThread* WatcherThread = new QThread;
    std::unique_ptr<TForm1> Form;
};

TEST_F(TTrayHostTest, TheItemRegistersOnceShowsTheTrayMenuAndAnswersItsHost)
{
    ProcessEventsFor(1000);
    const QStringList Items = Watcher->Items();
    ASSERT_EQ(Items.size(), 1) << "registered items: " << Items.join(QStringLiteral(", ")).toStdString();
    const QString Item = Items.first();

    const QDBusMessage MenuPath = Call(Item, ItemPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                       QStringLiteral("Get"), {ItemInterface, QStringLiteral("Menu")});
    ASSERT_EQ(MenuPath.type(), QDBusMessage::ReplyMessage) << MenuPath.errorMessage().toStdString();
    const QString Menu =
        MenuPath.arguments().first().value<QDBusVariant>().variant().value<QDBusObjectPath>().path();
    ASSERT_NE(Menu, QStringLiteral("/NO_DBUSMENU")) << "the item offers no dbusmenu";
    const auto Layout = [&] {
        Call(Item, Menu, MenuInterface, QStringLiteral("AboutToShow"), {0});
        const QDBusMessage Reply =
            Call(Item, Menu, MenuInterface, QStringLiteral("GetLayout"), {0, -1, QStringList()});
        std::vector<TMenuEntry> Entries;
        if (Reply.type() == QDBusMessage::ReplyMessage)
            ReadLayout(Reply.arguments().at(1).value<QDBusArgument>(), Entries);
        return Entries;
    };
    const std::vector<TMenuEntry> Entries = Layout();
    QStringList Labels;
    for (const TMenuEntry& Entry : Entries)
        Labels << Entry.Label;
    ASSERT_EQ(Labels, (QStringList{"_Open...", "_Powiadomienia", "-", "Ex_it"})) << "the host's menu";
    EXPECT_EQ(Entries[1].ToggleState, QStringLiteral("1")) << "notifications are on";

    const auto Choose = [&](int Index) {
        Call(Item, Menu, MenuInterface, QStringLiteral("Event"),
             {Entries[Index].Id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
    };
    Choose(1);
    EXPECT_TRUE(WaitUntil([&] { return !Form->Notifications1->Action()->isChecked(); }, 10))
        << "choosing Powiadomienia in the host's menu leaves notifications on";
    EXPECT_EQ(Layout()[1].ToggleState, QStringLiteral("0")) << "the host's menu still shows notifications on";

    ASSERT_TRUE(Form->NotificationIcon1->HideMainForm());
    Call(Item, ItemPath, ItemInterface, QStringLiteral("Activate"), {10, 10});
    EXPECT_TRUE(WaitUntil([&] { return Form->isVisible(); }, 10)) << "Activate left the window in the tray";

    ASSERT_TRUE(Form->NotificationIcon1->HideMainForm());
    Choose(0);
    EXPECT_TRUE(WaitUntil([&] { return Form->isVisible(); }, 10)) << "Open... left the window in the tray";

    // A host that asks for the menu itself gets the component's popup, and its answer while the
    // popup is still open. The host waits on a thread of its own, as a panel does in its process.
    std::atomic<bool> Open = false;
    std::atomic<bool> Opened = false;
    Form->PopupMenu1->SetExecHook([&](QMenu&, const QPoint&) -> QAction* {
        Open = Opened = true;
        ProcessEventsFor(3000);
        Open = false;
        return nullptr;
    });
    std::atomic<bool> Answered = false;
    std::atomic<bool> AnsweredWhileOpen = false;
    std::thread Panel([&] {
        QDBusMessage Request =
            QDBusMessage::createMethodCall(Item, ItemPath, ItemInterface, QStringLiteral("ContextMenu"));
        Request << 10 << 10;
        Host->call(Request, QDBus::Block, 10000);
        AnsweredWhileOpen = Open || !Opened;
        Answered = true;
    });
    const bool Done = WaitUntil([&] { return Answered && Opened && !Open; }, 15);
    Panel.join();
    ASSERT_TRUE(Done) << "the popup did not open";
    EXPECT_TRUE(AnsweredWhileOpen) << "ContextMenu was answered only when the popup closed";
    Form->Notifications1->Action()->trigger();
}
} // namespace

#include "TrayHostTest.moc"
