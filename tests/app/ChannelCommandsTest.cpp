// The channel commands: a token read from standard input is kept in gnome-keyring on a private bus,
// never in a file; without a Secret Service it is refused.
#include "LoopbackServer.h"
#include "PrivateBus.h"
#include "ProgramRun.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDirIterator>
#include <QSettings>
#include <QThread>
#include <gtest/gtest.h>

namespace {
// Runs the program with Home as its home folder (settings and keyrings under it).
TRun RunAtHome(const TTempDir& Home, const QStringList& Arguments, const QByteArray& Input = {})
{
    const QString At = QString::fromStdString(Home.Dir());
    return RunProgram(
        Home, Arguments,
        {"HOME=" + At, "XDG_CONFIG_HOME=" + At + ".config", "XDG_DATA_HOME=" + At + ".local/share"},
        QStringLiteral(TKW_PROGRAM), Input);
}

// Files under Home that hold Text.
QStringList FilesHolding(const TTempDir& Home, const QByteArray& Text)
{
    QStringList Found;
    for (QDirIterator It(QString::fromStdString(Home.Dir()), QDir::Files | QDir::Hidden,
                         QDirIterator::Subdirectories);
         It.hasNext();)
        if (QFile File(It.next()); File.open(QIODevice::ReadOnly) && File.readAll().contains(Text))
            Found << File.fileName();
    return Found;
}
} // namespace

TEST(ChannelCommands, TokenGoesToTheKeyringAndNeverToAFile)
{
    TPrivateBus Bus;
    ASSERT_FALSE(Bus.Address.isEmpty()) << "dbus-daemon did not start";
    TTempDir Home;
    QProcess Keyring;
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    Environment.insert(QStringLiteral("HOME"), QString::fromStdString(Home.Path().string()));
    Environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(Home.Dir() + ".local/share"));
    Environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(Bus.Folder.Path().string()));
    Keyring.setProcessEnvironment(Environment);
    Keyring.start("gnome-keyring-daemon", {"--unlock", "--foreground", "--components=secrets"});
    Keyring.waitForStarted();
    Keyring.write("haslo-do-breloka"); // the login keyring's password; the daemon reads it up to the end
    Keyring.waitForBytesWritten();
    Keyring.closeWriteChannel();
    QDBusConnectionInterface* BusNames = QDBusConnection::sessionBus().interface();
    for (QDeadlineTimer Deadline(20000);
         !BusNames->isServiceRegistered("org.freedesktop.secrets") && !Deadline.hasExpired();)
        QThread::msleep(20);
    ASSERT_TRUE(BusNames->isServiceRegistered("org.freedesktop.secrets"))
        << "gnome-keyring-daemon did not come up: " << Keyring.readAllStandardError().toStdString();

    TLoopbackServer Server;
    Server.Serve("/topic", {200, "{}"});
    const QString Topic = QString::fromStdString(Server.Url("/topic"));
    const TRun Added = RunAtHome(Home, {"--add-channel", "ntfy", Topic}, "tk_z_wejscia\n");
    EXPECT_EQ(Added.Status, 0) << Added.Err.toStdString();
    EXPECT_TRUE(Added.Err.contains(QStringLiteral("niezaszyfrowane"))) << "an http:// address is warned of";
    EXPECT_EQ(RunAtHome(Home, {"--add-channel", "webhook", "ftp://example.org/x"}).Status, 2);

    const TRun Tested = RunAtHome(Home, {"--test-channels"});
    EXPECT_EQ(Tested.Status, 0) << Tested.Out.toStdString() << Tested.Err.toStdString();
    EXPECT_TRUE(
        Tested.Out.startsWith(QStringLiteral("1. ntfy %1: ostatnia wysyłka: w porządku, ").arg(Topic)))
        << Tested.Out.toStdString();
    ASSERT_EQ(Server.WholeRequests().size(), 1u);
    EXPECT_NE(Server.WholeRequests()[0].find("\r\nAuthorization: Bearer tk_z_wejscia\r\n"), std::string::npos)
        << "the token came back from the keyring";
    EXPECT_EQ(FilesHolding(Home, "tk_z_wejscia"), QStringList()) << "the token was written to a file";

    const TRun Listed = RunAtHome(Home, {"--channels"});
    EXPECT_TRUE(
        Listed.Out.startsWith(QStringLiteral("1. ntfy %1 włączony, ostatnia wysyłka: w porządku").arg(Topic)))
        << Listed.Out.toStdString();
    {
        // A hand-edited entry whose address cannot be used fails at once, and so does the run.
        QSettings Edited(QString::fromStdString(Home.Dir() + ".config/QRX & Dobrel/Tickerwell.conf"),
                         QSettings::IniFormat);
        Edited.setValue(QStringLiteral("KanalyPowiadomien/2/Rodzaj"), QStringLiteral("webhook"));
        Edited.setValue(QStringLiteral("KanalyPowiadomien/2/Adres"), QStringLiteral("ftp://example.org/x"));
        Edited.setValue(QStringLiteral("KanalyPowiadomien/size"), 2);
    }
    const TRun Failed = RunAtHome(Home, {"--test-channels"});
    EXPECT_EQ(Failed.Status, 1) << "a channel that failed ends in 1";
    EXPECT_TRUE(Failed.Out.contains(
        QStringLiteral("2. webhook ftp://example.org/x: ostatnia wysyłka: błąd: adres musi")))
        << Failed.Out.toStdString();
    EXPECT_EQ(RunAtHome(Home, {"--remove-channel", "2"}).Status, 0);
    EXPECT_EQ(RunAtHome(Home, {"--remove-channel", "2"}).Status, 2);
    EXPECT_EQ(RunAtHome(Home, {"--remove-channel", "1"}).Status, 0);
    EXPECT_EQ(RunAtHome(Home, {"--channels"}).Out, QStringLiteral("Brak kanałów powiadomień.\n"));
    Keyring.kill();
    Keyring.waitForFinished();
}

TEST(ChannelCommands, WithoutASecretServiceTheChannelIsRefused)
{
    TPrivateBus Bus;
    TTempDir Home;
    const TRun Added = RunAtHome(Home,
                                 {"--add-channel", "email", "smtps://mail.example.org", "--to",
                                  "ja@example.org", "--user", "ja@example.org"},
                                 "haslo\n");
    EXPECT_EQ(Added.Status, 1);
    EXPECT_TRUE(Added.Err.contains(QStringLiteral("Secret Service"))) << Added.Err.toStdString();
    EXPECT_EQ(RunAtHome(Home, {"--channels"}).Out, QStringLiteral("Brak kanałów powiadomień.\n"));
    EXPECT_EQ(FilesHolding(Home, "haslo"), QStringList());
}
