// Tab marks, tooltips, notifications and the signalling tray icon; notifications go to a recording
// service on a private session bus.
#include "SourceWatch.h"
#include "Channel.h"
#include "ChannelSender.h"
#include "ClosedPort.h"
#include "FormFixture.h"
#include "NtfyIcon.h"
#include "PopupMenu.h"
#include "PrivateBus.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QIcon>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSettings>

namespace {
class TNotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList Notes;     // "summary: body"
    QList<uint> Replacing; // the notification each replaces
    QString Icon;          // of the last one, with its hints
    QVariantMap Hints;
    static constexpr uint Id = 7;

public slots:
    // Like most desktops' services, it reads markup in bodies.
    QStringList GetCapabilities() { return {"body", "body-markup", "actions"}; }
    uint Notify(const QString&, uint Replaces, const QString& AppIcon, const QString& Summary,
                const QString& Body, const QStringList&, const QVariantMap& NoteHints, int)
    {
        Notes << Summary + ": " + Body;
        Replacing << Replaces;
        Icon = AppIcon;
        Hints = NoteHints;
        return Id;
    }
signals:
    void ActionInvoked(uint Id, const QString& Action);
};

class TSourceWatchTest : public TFormFixture
{
protected:
    static void SetUpTestSuite()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(Config.Dir()));
        Bus = new TPrivateBus;
        ASSERT_FALSE(Bus->Address.isEmpty()) << "dbus-daemon did not start";
        // An installed icon must not count: icons are looked for in a folder that holds none.
        QIcon::setThemeSearchPaths({QString::fromStdString(Config.Dir())});
        QIcon::setFallbackSearchPaths({QString::fromStdString(Config.Dir())});
        QDBusConnection Connection = QDBusConnection::connectToBus(Bus->Address, "service");
        ASSERT_TRUE(
            Connection.registerObject("/org/freedesktop/Notifications", Service,
                                      QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
        ASSERT_TRUE(ServiceOnTheBus(true));
    }

    static void TearDownTestSuite() { delete Bus; }

    void SetUp() override
    {
        TFormFixture::SetUp();
        Service->Notes.clear();
        Service->Replacing.clear();
        WriteConfiguration();
        ServePages("old");
    }

    static bool ServiceOnTheBus(bool Value)
    {
        QDBusConnection Connection("service");
        const QString Name = QStringLiteral("org.freedesktop.Notifications");
        return Value ? Connection.registerService(Name) : Connection.unregisterService(Name);
    }

    TSourceMark Mark(int Source) const { return Form->Watch->State(Source).Mark(); }
    QString Tip(int Source) const { return Form->PageControl1->tabToolTip(Source); }
    bool IconShown(int Source) const { return !Form->PageControl1->tabIcon(Source).isNull(); }
    qsizetype NotesAfterAWhile() const // once a notification would have reached the service
    {
        ProcessEventsFor(300);
        return Service->Notes.size();
    }

    static inline TTempDir Config;
    static inline TPrivateBus* Bus = nullptr;
    static inline TNotificationService* Service = new TNotificationService;
};

TEST_F(TSourceWatchTest, ChangesUnseenMarkTheirTabsNotifyOnceAndSignalInTheTray)
{
    ASSERT_TRUE(RefreshAndWait()) << "first refresh: page files written, nothing to compare with";
    ASSERT_TRUE(RefreshAndWait()) << "unchanged";
    for (int Source = 0; Source < SourceCount; ++Source)
        EXPECT_FALSE(IconShown(Source) || Mark(Source) != TSourceMark::None) << Source;
    EXPECT_EQ(NotesAfterAWhile(), 0);

    // Source 0 is on the visible tab: its change is seen at once.
    Server.Serve("/s0", {.Body = PageOf(0, "new")});
    Server.Serve("/s1", {.Body = PageOf(1, "new")});
    Server.Serve("/s2", {.Body = PageOf(2, "new")});
    ASSERT_TRUE(RefreshAndWait());
    EXPECT_EQ(Mark(0), TSourceMark::None);
    EXPECT_EQ(Mark(1), TSourceMark::Changed);
    EXPECT_TRUE(IconShown(2));
    ProcessEventsFor(50);
    EXPECT_EQ(Form->TabSheet1->size(),
              QSize(std::abs(Form->Frame->OuterWidth() - 32), std::abs(Form->Frame->OuterHeight() - 123)))
        << "the taller tab bar of a mark keeps the tab page's size";
    ASSERT_TRUE(WaitUntil([] { return Service->Notes.size() == 1; }));
    EXPECT_EQ(Service->Notes[0], "Tickerwell: Nowe komentarze: Stormer Futures, Stormer On-line");
    // The icon by name, the menu entry, and the icon's pixels, as no icon theme holds it here.
    EXPECT_EQ(Service->Icon, "tickerwell");
    EXPECT_EQ(Service->Hints.value("desktop-entry").toString(), "tickerwell");
    EXPECT_EQ(Service->Hints.value("image-data").value<QDBusArgument>().currentSignature(), "(iiibiiay)");
    EXPECT_FALSE(Form->NotificationIcon1->Animated()) << "the window is shown";

    Form->PageControl1->setCurrentIndex(1);
    EXPECT_FALSE(IconShown(1)) << "seen";
    EXPECT_EQ(Mark(2), TSourceMark::Changed);

    // In the tray, a change of the visible tab is unseen too.
    ASSERT_TRUE(Form->NotificationIcon1->HideMainForm());
    Server.Serve("/s1", {.Body = PageOf(1, "newer")});
    ASSERT_TRUE(RefreshAndWait());
    EXPECT_EQ(Mark(1), TSourceMark::Changed);
    EXPECT_TRUE(Form->NotificationIcon1->Animated());
    ASSERT_TRUE(WaitUntil([] { return Service->Notes.size() == 2; }));
    EXPECT_EQ(Service->Notes[1], "Tickerwell: Nowe komentarze: Stormer Futures");
    EXPECT_EQ(Service->Replacing, (QList<uint>{0, Service->Id})) << "one notification on the desktop";

    Form->PageControl1->setCurrentIndex(0);
    emit Service->ActionInvoked(Service->Id, "default");
    ASSERT_TRUE(WaitUntil([this] { return Form->isVisible(); })) << "a click brings the window back";
    EXPECT_EQ(Form->PageControl1->currentIndex(), 1);
    EXPECT_EQ(Mark(1), TSourceMark::None);
    EXPECT_FALSE(Form->NotificationIcon1->Animated());
    EXPECT_EQ(Mark(2), TSourceMark::Changed) << "not seen yet";
}

// The notification quotes the first new passage as text; with trigger words, a change without one
// marks its tab and sends nothing, and one holding a word quotes the passage that holds it.
TEST_F(TSourceWatchTest, TheNotificationQuotesTheFirstNewPassageOrTheOneHoldingATriggerWord)
{
    ASSERT_TRUE(RefreshAndWait());
    Server.Serve("/s1", {.Body = PageOf(1, "<p>Kurs &lt;b&gt;WIG20&lt;/b&gt; &amp; " + std::string(120, 'x') +
                                               "</p><p>second</p>")});
    ASSERT_TRUE(RefreshAndWait());
    ASSERT_TRUE(WaitUntil([] { return Service->Notes.size() == 1; }));
    const QString First = QStringLiteral("Kurs <b>WIG20</b> & ") + QString(120, QLatin1Char('x'));
    const QString Quoted = QString(First.left(119) + QChar(0x2026))
                               .replace("&", "&amp;")
                               .replace("<", "&lt;")
                               .replace(">", "&gt;");
    EXPECT_EQ(Service->Notes[0], "Tickerwell: Nowe komentarze: Stormer Futures\n" + Quoted);

    // A passage of the full length is quoted whole.
    const std::string Full(120, 'y');
    Server.Serve("/s1", {.Body = PageOf(1, "<p>" + Full + "</p>")});
    ASSERT_TRUE(RefreshAndWait());
    ASSERT_TRUE(WaitUntil([] { return Service->Notes.size() == 2; }));
    EXPECT_EQ(Service->Notes[1].toStdString(), "Tickerwell: Nowe komentarze: Stormer Futures\n" + Full);

    WorkDir.Write("zrodla.ini", "[2]\ntrigger = zysk\n");
    Server.Serve("/s1", {.Body = PageOf(1, "<p>Spadki</p>")});
    ASSERT_TRUE(RefreshAndWait());
    EXPECT_EQ(Mark(1), TSourceMark::Changed) << "a change without a trigger word is marked all the same";
    EXPECT_EQ(NotesAfterAWhile(), 2);
    Server.Serve("/s1", {.Body = PageOf(1, "<p>Spadki</p><p>Wzrosty</p><p>Rekordowy zysk</p>")});
    ASSERT_TRUE(RefreshAndWait());
    ASSERT_TRUE(WaitUntil([] { return Service->Notes.size() == 3; }));
    EXPECT_EQ(Service->Notes[2], "Tickerwell: Nowe komentarze: Stormer Futures\nRekordowy zysk");
}

TEST_F(TSourceWatchTest, FailuresWarnWithTheirReasonKeepThePageAndTheThirdInARowNotifiesOnce)
{
    OnlyFirstSource();
    TClosedPort Closed;
    const std::string Good = PageOf(0, "good");
    Server.Serve("/s0", {.Body = Good});
    ASSERT_TRUE(RefreshAndWait());
    const std::string Kept = PageFile(0);
    const QString Success = Tip(0).mid(QStringLiteral("Ostatnia aktualizacja ").size());
    ASSERT_EQ(Success, Form->LastUpdate[0]) << Tip(0).toStdString();

    const struct
    {
        const char* Name;
        bool Closed; // the address is a port that refuses connections
        TReply Reply;
        TSourceMark Mark;
        QString Tip;
    } Rows[] = {
        {"refused", true, {}, TSourceMark::Failed, "Błąd pobierania: połączenie odrzucone ("},
        {"404", false, {.Status = 404, .Body = Good}, TSourceMark::Failed, "Błąd pobierania: HTTP 404 ("},
        // clang-format off
        {"broken", false, {.Body = Good + Good, .Fault = TReply::TFault::BreakOff}, TSourceMark::Failed,
         "Błąd pobierania: transfer przerwany po " + QString::number(Good.size()) + " bajtach ("},
        {"no start marker", false, {.Body = "no markers"}, TSourceMark::Warning,
         "ostrzeżenie: nie znaleziono znacznika początku na stronie"},
        // clang-format on
    };
    const std::string Configuration = WorkDir.Read("dane.txt");
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        std::string Text = Configuration;
        if (Row.Closed)
            Text.replace(0, Server.Url("/s0").size(), Closed.Url("/s0"));
        WorkDir.Write("dane.txt", Text);
        Server.Serve("/s0", Row.Reply);
        ASSERT_TRUE(RefreshAndWait());
        EXPECT_EQ(Mark(0), Row.Mark);
        EXPECT_TRUE(IconShown(0));
        EXPECT_TRUE(Tip(0).contains(Row.Tip)) << Tip(0).toStdString();
        if (Row.Mark == TSourceMark::Failed) {
            EXPECT_TRUE(Tip(0).endsWith("); ostatnia udana aktualizacja " + Success)) << Tip(0).toStdString();
            EXPECT_EQ(PageFile(0), Kept);
        }
    }
    // Three failures in a row, then a page shown: one notice of each.
    ASSERT_EQ(NotesAfterAWhile(), 2);
    EXPECT_TRUE(Service->Notes[0].startsWith(
        "Tickerwell: Wirek &amp; Borta nie odpowiada od 1 min: Błąd pobierania: transfer przerwany po "))
        << Service->Notes[0].toStdString();
    EXPECT_EQ(Service->Notes[1], "Tickerwell: Wirek &amp; Borta znów odpowiada");
}

TEST_F(TSourceWatchTest, NotificationsSwitchedOffStaySoAndWithoutTheServiceTheTrayBalloonTells)
{
    ASSERT_TRUE(Form->Notifications1->Action()->isChecked()) << "on by default";
    Form->Notifications1->Action()->trigger();
    EXPECT_FALSE(QSettings("QRX & Dobrel", "Tickerwell").value("Powiadomienia").toBool());
    EXPECT_FALSE(
        TForm1(nullptr, std::make_unique<TRecordingTrayLayer>()).Notifications1->Action()->isChecked());

    ASSERT_TRUE(RefreshAndWait());
    Server.Serve("/s3", {.Body = PageOf(3, "new")});
    ASSERT_TRUE(RefreshAndWait());
    EXPECT_EQ(Mark(3), TSourceMark::Changed) << "the mark does not depend on notifications";
    EXPECT_EQ(NotesAfterAWhile(), 0);
    Form->Notifications1->Action()->trigger();

    // Without the service, the tray balloon tells, and its click brings the window back.
    ASSERT_TRUE(ServiceOnTheBus(false));
    ASSERT_TRUE(Form->NotificationIcon1->HideMainForm());
    Server.Serve("/s2", {.Body = PageOf(2, "new")});
    ASSERT_TRUE(RefreshAndWait());
    ASSERT_TRUE(WaitUntil([this] { return !Tray->Balloons.empty(); }));
    ServiceOnTheBus(true);
    EXPECT_EQ(Tray->Balloons, QStringList{"Tickerwell: Nowe komentarze: Stormer On-line"});
    Tray->Send(NIN_BALLOONUSERCLICK);
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(Form->PageControl1->currentIndex(), 2);
    EXPECT_EQ(Mark(2), TSourceMark::None);
}

TEST_F(TSourceWatchTest, OneRefreshTellsEveryChannelOnceAndAFailureShowsInTheTray)
{
    SetDefaultSendLimits(
        {std::chrono::seconds(5), std::chrono::seconds(5), 3, std::chrono::milliseconds(10)});
    Server.Serve("/hook", {.Body = "{}"});
    Server.Serve("/down", {.Status = 500, .Body = "down"});
    Server.Serve("/silent", {.Body = "never all of it", .Fault = TReply::TFault::Stall});
    QSettings Settings = ChannelSettings();
    SaveChannels(
        Settings,
        {{TChannelKind::Webhook, QString::fromStdString(Server.Url("/hook")), {}, {}, true, {}, "k1"},
         {TChannelKind::Ntfy, QString::fromStdString(Server.Url("/down")), {}, {}, true, {}, "k2"},
         {TChannelKind::Ntfy, QString::fromStdString(Server.Url("/off")), {}, {}, false, {}, "k3"},
         {TChannelKind::Ntfy, QString::fromStdString(Server.Url("/silent")), {}, {}, true, {}, "k4"}});
    // The desktop's own switch does not silence the channels.
    Form->Notifications1->Action()->trigger();
    WorkDir.Write("zrodla.ini", "[3]\ntrigger = nowe\n");
    ASSERT_TRUE(RefreshAndWait());
    for (int Source : {1, 2, 3})
        Server.Serve("/s" + std::to_string(Source),
                     {.Body = PageOf(Source, "<p>nowe " + std::to_string(Source) + "</p>")});
    ASSERT_TRUE(RefreshAndWait());
    ASSERT_TRUE(WaitUntil([this] { return Form->NotificationIcon1->Hint() != "Tickerwell"; }));
    // A channel whose server never answers holds up neither the window nor its closing.
    ASSERT_TRUE(WaitUntil([this] { return Server.RequestCount("/silent") == 1; }));
    ASSERT_TRUE(RefreshAndWait());
    Form->Notifications1->Action()->trigger();
    SaveChannels(Settings, {});
    SetDefaultSendLimits({});
    EXPECT_EQ(Server.RequestCount("/hook"), 1);
    EXPECT_EQ(Server.RequestCount("/down"), 3);
    EXPECT_EQ(Server.RequestCount("/off"), 0) << "a channel that is off";
    EXPECT_TRUE(Form->NotificationIcon1->Hint().startsWith(
        "Tickerwell\nostatnia wysyłka: błąd: serwer odpowiedział kodem 500, "))
        << Form->NotificationIcon1->Hint().toStdString();
    std::string Hook;
    for (const std::string& Request : Server.WholeRequests())
        if (Request.starts_with("POST /hook "))
            Hook = Request.substr(Request.find("\r\n\r\n") + 4);
    const QJsonArray Changes = QJsonDocument::fromJson(QByteArray::fromStdString(Hook))["changes"].toArray();
    ASSERT_EQ(Changes.size(), 3) << Hook;
    for (int I = 0; I < 3; ++I) {
        EXPECT_EQ(Changes[I]["source"].toInt(), I + 2) << Hook;
        EXPECT_EQ(Changes[I]["address"].toString().toStdString(), Server.Url("/s" + std::to_string(I + 1)));
        EXPECT_EQ(Changes[I]["added"].toArray().toVariantList(),
                  QVariantList{"nowe " + QString::number(I + 1)})
            << Hook;
        EXPECT_EQ(Changes[I]["trigger"], I == 1 ? QJsonValue("nowe") : QJsonValue()) << "the word of a rule";
    }
}
} // namespace

#include "SourceWatchTest.moc"
