// Tab marks, tooltips, notifications and the signalling tray icon, with the notifications going to
// a recording notification service on a private session bus that the test starts.
#include "SourceWatch.h"
#include "ClosedPort.h"
#include "FormFixture.h"
#include "NtfyIcon.h"
#include "PopupMenu.h"

#include <QDBusConnection>
#include <QProcess>
#include <QSettings>

namespace {
class TNotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct TNote
    {
        uint Id, Replaces;
        QString Summary, Body;
        QStringList Actions;
    };
    QList<TNote> Notes;

public slots:
    uint Notify(const QString&, uint Replaces, const QString&, const QString& Summary, const QString& Body,
                const QStringList& Actions, const QVariantMap&, int)
    {
        const uint Id = Replaces ? Replaces : uint(Notes.size() + 1);
        Notes.append({Id, Replaces, Summary, Body, Actions});
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
                           QString::fromStdString(Config->Dir()));
        Bus->start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
        ASSERT_TRUE(Bus->waitForReadyRead(10000)) << "dbus-daemon did not start";
        const QByteArray Address = Bus->readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", Address);
        QDBusConnection Connection = QDBusConnection::connectToBus(QString::fromLatin1(Address), "service");
        ASSERT_TRUE(
            Connection.registerObject("/org/freedesktop/Notifications", Service,
                                      QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
        ASSERT_TRUE(Connection.registerService("org.freedesktop.Notifications"));
    }

    static void TearDownTestSuite()
    {
        Bus->kill();
        Bus->waitForFinished();
    }

    void SetUp() override
    {
        TFormFixture::SetUp();
        Service->Notes.clear();
        WriteConfiguration();
        ServePages("old");
    }

    TSourceMark Mark(int Source) const { return Form->Watch->State(Source).Mark(); }
    QString Tip(int Source) const { return Form->PageControl1->tabToolTip(Source); }
    bool IconShown(int Source) const { return !Form->PageControl1->tabIcon(Source).isNull(); }
    // Processes events long enough for a notification to have reached the service.
    qsizetype NotesAfterAWhile() const
    {
        ProcessEventsFor(300);
        return Service->Notes.size();
    }

    static inline TTempDir* Config = new TTempDir;
    static inline QProcess* Bus = new QProcess;
    static inline TNotificationService* Service = new TNotificationService;
};

TEST_F(TSourceWatchTest, ChangesUnseenMarkTheirTabsNotifyOnceAndSignalInTheTray)
{
    ASSERT_TRUE(RefreshAndWait()) << "first refresh: page files written, nothing to compare with";
    ASSERT_TRUE(RefreshAndWait()) << "unchanged";
    for (int Source = 0; Source < SourceCount; ++Source) {
        EXPECT_EQ(Mark(Source), TSourceMark::None) << Source;
        EXPECT_FALSE(IconShown(Source)) << Source;
        EXPECT_TRUE(Tip(Source).startsWith("Ostatnia aktualizacja ")) << Tip(Source).toStdString();
    }
    EXPECT_EQ(NotesAfterAWhile(), 0);

    // Source 0 is on the visible tab: its change is seen at once.
    Server.Serve("/s0", {.Body = PageOf(0, "new")});
    Server.Serve("/s1", {.Body = PageOf(1, "new")});
    Server.Serve("/s2", {.Body = PageOf(2, "new")});
    ASSERT_TRUE(RefreshAndWait());
    EXPECT_EQ(Mark(0), TSourceMark::None);
    EXPECT_EQ(Mark(1), TSourceMark::Changed);
    EXPECT_TRUE(IconShown(2));
    ASSERT_TRUE(WaitUntil([] { return Service->Notes.size() == 1; }));
    EXPECT_EQ(Service->Notes[0].Summary, "Tickerwell");
    EXPECT_EQ(Service->Notes[0].Body, "Nowe komentarze: Stormer Futures, Stormer On-line");
    EXPECT_EQ(Service->Notes[0].Actions.value(0), "default");
    EXPECT_FALSE(Form->NotificationIcon1->Animated()) << "the window is shown";
    EXPECT_EQ(PageFile(1), PageFileOf(1, PageOf(1, "new"))) << "the page file's bytes are as ever";

    Form->PageControl1->setCurrentIndex(1);
    EXPECT_EQ(Mark(1), TSourceMark::None) << "seen";
    EXPECT_FALSE(IconShown(1));
    EXPECT_EQ(Mark(2), TSourceMark::Changed);

    // In the tray, a change of the visible tab is unseen too.
    ASSERT_TRUE(Form->NotificationIcon1->HideMainForm());
    Server.Serve("/s1", {.Body = PageOf(1, "newer")});
    ASSERT_TRUE(RefreshAndWait());
    EXPECT_EQ(Mark(1), TSourceMark::Changed);
    EXPECT_TRUE(Form->NotificationIcon1->Animated());
    ASSERT_TRUE(WaitUntil([] { return Service->Notes.size() == 2; }));
    EXPECT_EQ(Service->Notes[1].Body, "Nowe komentarze: Stormer Futures");
    EXPECT_EQ(Service->Notes[1].Replaces, Service->Notes[0].Id) << "one notification on the desktop";
    ASSERT_TRUE(RefreshAndWait());
    EXPECT_EQ(NotesAfterAWhile(), 2) << "unchanged again";

    Form->PageControl1->setCurrentIndex(0);
    emit Service->ActionInvoked(Service->Notes[1].Id, "default");
    ASSERT_TRUE(WaitUntil([this] { return Form->isVisible(); })) << "a click brings the window back";
    EXPECT_EQ(Form->PageControl1->currentIndex(), 1);
    EXPECT_EQ(Mark(1), TSourceMark::None);
    EXPECT_FALSE(Form->NotificationIcon1->Animated());
    EXPECT_EQ(Mark(2), TSourceMark::Changed) << "not seen yet";
}

TEST_F(TSourceWatchTest, FailuresWarnWithTheirReasonKeepThePageAndNotifyNothing)
{
    OnlyFirstSource();
    TClosedPort Closed;
    const std::string Good = PageOf(0, "good");
    Server.Serve("/s0", {.Body = Good});
    ASSERT_TRUE(RefreshAndWait());
    const std::string Kept = PageFile(0);
    const QString Success = Tip(0).mid(QStringLiteral("Ostatnia aktualizacja ").size());
    ASSERT_TRUE(LongTime.match(Success).hasMatch()) << Tip(0).toStdString();

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
        {"broken",
         false,
         {.Body = Good + std::string(3000, 'x'), .Fault = TReply::TFault::BreakOff},
         TSourceMark::Failed,
         "Błąd pobierania: transfer przerwany po 1"},
        {"no start marker",
         false,
         {.Body = "no markers here"},
         TSourceMark::Warning,
         "ostrzeżenie: nie znaleziono znacznika początku na stronie"},
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
    EXPECT_EQ(NotesAfterAWhile(), 0);
}

TEST_F(TSourceWatchTest, NotificationsCanBeSwitchedOffInTheTrayMenuAndStaySo)
{
    ASSERT_EQ(Form->PopupMenu1->Items(1), Form->Notifications1);
    EXPECT_EQ(Form->Notifications1->Caption(), "&Powiadomienia");
    EXPECT_TRUE(Form->PopupMenu1->Items(2)->IsSeparator());
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
}
} // namespace

#include "SourceWatchTest.moc"
