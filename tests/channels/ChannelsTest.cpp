// One refresh through the channels' thread: one message per channel that is on, whatever the number
// of changed sources, and each channel's last result kept in the settings without its secret.
#include "Channels.h"
#include "LoopbackServer.h"
#include "SecretStore.h"
#include "TempDir.h"
#include "WaitUntil.h"

#include <QCoreApplication>
#include <QFile>
#include <gtest/gtest.h>

namespace {
// The settings live in a folder of the tests' own; set before the first settings are read.
const TTempDir ConfigHome;
const bool ConfigHomeSet = qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(ConfigHome.Dir()));
} // namespace

TEST(Channels, OneRefreshSendsOneMessagePerChannelThatIsOn)
{
    ASSERT_TRUE(ConfigHomeSet);
    TLoopbackServer Server;
    Server.Serve("/topic", {200, "{}"});
    Server.Serve("/hook", {200, "{}"});
    Server.Serve("/off", {200, "{}"});
    QSettings Settings = ChannelSettings();
    SaveChannels(Settings, {{TChannelKind::Ntfy,
                             QString::fromStdString(Server.Url("/topic")),
                             {},
                             {},
                             true,
                             {},
                             QStringLiteral("k-ntfy")},
                            {TChannelKind::Webhook,
                             QString::fromStdString(Server.Url("/hook")),
                             {},
                             {},
                             true,
                             {},
                             QStringLiteral("k-hook")},
                            {TChannelKind::Webhook,
                             QString::fromStdString(Server.Url("/off")),
                             {},
                             {},
                             false,
                             {},
                             QStringLiteral("k-off")}});
    KeepSecretForSession(QStringLiteral("k-ntfy"), QStringLiteral("tk_tylko_w_pamieci"));

    TChannels Channels;
    QStringList Finished;
    QObject::connect(&Channels, &TChannels::Finished, [&](const QString& Key, bool Sent, const QString&) {
        Finished << Key + (Sent ? QStringLiteral(" sent") : QStringLiteral(" failed"));
    });
    TRefreshChanges Changes{QDateTime::currentDateTime(), {}};
    for (int Id : {1, 2, 4})
        Changes.Sources.push_back({Id,
                                   QStringLiteral("Źródło %1").arg(Id),
                                   QStringLiteral("https://example.org/%1").arg(Id),
                                   {QStringLiteral("nowy fragment %1").arg(Id)},
                                   0,
                                   std::nullopt});
    Channels.Send(Changes);
    ASSERT_TRUE(WaitUntil([&] { return Finished.size() == 2; })) << Finished.join(", ").toStdString();
    EXPECT_EQ(Finished, QStringList({"k-ntfy sent", "k-hook sent"}));
    EXPECT_EQ(Server.RequestCount("/topic"), 1);
    EXPECT_EQ(Server.RequestCount("/hook"), 1);
    EXPECT_EQ(Server.RequestCount("/off"), 0) << "a channel that is off sends nothing";
    const auto Requests = Server.WholeRequests();
    for (const std::string& Request : Requests)
        for (int Id : {1, 2, 4})
            EXPECT_NE(Request.find("nowy fragment " + std::to_string(Id)), std::string::npos)
                << "one message lists every changed source:\n"
                << Request;
    EXPECT_NE(Requests[0].find("Authorization: Bearer tk_tylko_w_pamieci"), std::string::npos);

    Settings.sync();
    const std::vector<TChannel> Kept = LoadChannels(Settings);
    EXPECT_TRUE(Kept[0].LastResult.startsWith(QStringLiteral("ostatnia wysyłka: w porządku, ")))
        << Kept[0].LastResult.toStdString();
    EXPECT_TRUE(Kept[2].LastResult.isEmpty());
    QFile File(Settings.fileName());
    ASSERT_TRUE(File.open(QIODevice::ReadOnly)) << Settings.fileName().toStdString();
    EXPECT_FALSE(File.readAll().contains("tk_tylko")) << "a secret reached the settings file";
}

TEST(Channels, ClosingWhileAServerIsSilentEndsAtOnce)
{
    TLoopbackServer Server;
    Server.Serve("/silent", {200, "never all of it", {}, TReply::TFault::Stall});
    QSettings Settings = ChannelSettings();
    SaveChannels(Settings, {{TChannelKind::Webhook,
                             QString::fromStdString(Server.Url("/silent")),
                             {},
                             {},
                             true,
                             {},
                             QStringLiteral("k-silent")}});
    {
        TChannels Channels;
        Channels.Send({QDateTime::currentDateTime(), {{1, "Parkiet", "https://www.parkiet.com", {}, 1, {}}}});
        ASSERT_TRUE(WaitUntil([&] { return Server.RequestCount("/silent") == 1; }));
    }
    Server.Release();
    Settings.sync();
    EXPECT_TRUE(LoadChannels(Settings)[0].LastResult.isEmpty())
        << "an interrupted send keeps the result it had";
}
