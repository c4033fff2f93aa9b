// The channels' thread: session secrets, the kept result, and closing during a send.
#include "Channels.h"
#include "LoopbackServer.h"
#include "SecretStore.h"
#include "TempDir.h"
#include "WaitUntil.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {
// The settings live in a folder of the tests' own; set before the first settings are read.
const TTempDir ConfigHome;
const bool ConfigHomeSet = qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(ConfigHome.Dir()));
} // namespace

TEST(Channels, SessionSecretTravelsButStaysOutOfTheSettingsAndClosingEndsASend)
{
    ASSERT_TRUE(ConfigHomeSet);
    TLoopbackServer Server;
    Server.Serve("/topic", {200, "{}"});
    Server.Serve("/silent", {200, "never all of it", {}, TReply::TFault::Stall});
    QSettings Settings = ChannelSettings();
    const auto Channel = [&](const char* Path, const char* Key) {
        return TChannel{TChannelKind::Ntfy, QString::fromStdString(Server.Url(Path)), {}, {}, true, {}, Key};
    };
    SaveChannels(Settings, {Channel("/topic", "k-topic"), Channel("/silent", "k-silent")});
    KeepSecretForSession(QStringLiteral("k-topic"), QStringLiteral("tk_tylko_w_pamieci"));
    const TRefreshChanges Changes{QDateTime::currentDateTime(),
                                  {{1, "Parkiet", "https://www.parkiet.com", {}, 1, {}}}};
    {
        TChannels Channels;
        QStringList Finished;
        QObject::connect(&Channels, &TChannels::Finished, [&](const QString& Key, bool Sent, const QString&) {
            Finished << Key + (Sent ? " sent" : "");
        });
        Channels.Send(Changes);
        ASSERT_TRUE(WaitUntil([&] { return Server.RequestCount("/silent") == 1; }));
        EXPECT_EQ(Finished, QStringList{"k-topic sent"});
    }
    Server.Release();
    ASSERT_EQ(Server.WholeRequests().size(), 2u);
    EXPECT_NE(Server.WholeRequests()[0].find("\r\nAuthorization: Bearer tk_tylko_w_pamieci\r\n"),
              std::string::npos);
    Settings.sync();
    const std::vector<TChannel> Kept = LoadChannels(Settings);
    EXPECT_TRUE(Kept[0].LastResult.startsWith(QStringLiteral("ostatnia wysyłka: w porządku, ")))
        << Kept[0].LastResult.toStdString();
    EXPECT_TRUE(Kept[1].LastResult.isEmpty()) << "an interrupted send keeps the result it had";
    QFile File(Settings.fileName());
    ASSERT_TRUE(File.open(QIODevice::ReadOnly)) << Settings.fileName().toStdString();
    EXPECT_FALSE(File.readAll().contains("tk_tylko")) << "a secret reached the settings file";
}
