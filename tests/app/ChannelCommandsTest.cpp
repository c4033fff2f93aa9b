// The channel commands in a shell: a channel added with its token read from standard input, kept in
// gnome-keyring on a private session bus and nowhere under the home folder, listed, tested against a
// loopback server and removed; without a Secret Service the token is refused, not written.
#include "LoopbackServer.h"
#include "PrivateBus.h"
#include "ProgramRun.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDirIterator>
#include <QProcess>
#include <QSettings>
#include <QThread>
#include <gtest/gtest.h>

namespace {
// Runs the program with Home as its home folder (settings and keyrings under it).
TRun RunAtHome(const TTempDir& Home, const QStringList& Arguments, const QByteArray& Input = {})
{
    QProcess Program;
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    Environment.remove(QStringLiteral("DISPLAY"));
    Environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    Environment.insert(QStringLiteral("HOME"), QString::fromStdString(Home.Path().string()));
    Environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(Home.Dir() + ".config"));
    Environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(Home.Dir() + ".local/share"));
    Program.setProcessEnvironment(Environment);
    Program.start(QStringLiteral(TKW_PROGRAM), Arguments);
    Program.write(Input);
    Program.closeWriteChannel();
    if (!Program.waitForFinished(60000) || Program.exitStatus() != QProcess::NormalExit)
        return {-1, {}, {}};
    return {Program.exitCode(), QString::fromUtf8(Program.readAllStandardOutput()),
            QString::fromUtf8(Program.readAllStandardError())};
}

// Files under Home that hold Text.
QStringList FilesHolding(const TTempDir& Home, const QByteArray& Text)
{
    QStringList Found;
    for (QDirIterator It(QString::fromStdString(Home.Path().string()), QDir::Files | QDir::Hidden,
                         QDirIterator::Subdirectories);
         It.hasNext();) {
        QFile File(It.next());
        if (File.open(QIODevice::ReadOnly) && File.readAll().contains(Text))
            Found << File.fileName();
    }
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
    Keyring.start(
        QStringLiteral("gnome-keyring-daemon"),
        {QStringLiteral("--unlock"), QStringLiteral("--foreground"), QStringLiteral("--components=secrets")});
    Keyring.waitForStarted();
    Keyring.write("haslo-do-breloka"); // the login keyring's password; the daemon reads it up to the end
    Keyring.waitForBytesWritten();
    Keyring.closeWriteChannel();
    QDBusConnectionInterface* BusNames = QDBusConnection::sessionBus().interface();
    for (QDeadlineTimer Deadline(20000);
         !BusNames->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")) && !Deadline.hasExpired();)
        QThread::msleep(20);
    ASSERT_TRUE(BusNames->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")))
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
