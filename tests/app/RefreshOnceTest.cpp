// tickerwell --refresh-once in a bare shell (no display, no session bus, the C locale): its lines, its
// exit status, the page files and history it writes, and no web engine in the process.
#include "LoopbackServer.h"
#include "TempDir.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSettings>
#include <filesystem>
#include <gtest/gtest.h>

namespace {
// A copy of the program in a folder of its own, so that its page folder is that folder.
class TRefreshOnce : public testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::copy_file(TKW_PROGRAM, Program.Path() / "tickerwell");
        std::string Configuration;
        for (int Source = 0; Source < 5; ++Source)
            Configuration += Server.Url("/" + std::to_string(Source)) + "\r\n<s>\r\n</s>\r\n";
        Work.Write("dane.txt", Configuration);
        for (int Source = 0; Source < 4; ++Source)
            Serve(Source, "<p>first</p>");
        Server.Serve("/4", {.Body = "<a href=\"/lib/php/p_glowna.php?sesid=S1\">WIG</a>"});
    }

    void Serve(int Source, const std::string& Section)
    {
        Server.Serve("/" + std::to_string(Source), {.Body = "head <s>" + Section + "</s> tail"});
    }

    void Start(QProcess& Process, const QStringList& Arguments)
    {
        QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
        for (const char* Name :
             {"DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "LANG", "LANGUAGE"})
            Environment.remove(QString::fromLatin1(Name));
        Environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        Environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(Data.Dir()));
        Environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(Config.Dir()));
        Process.setProcessEnvironment(Environment);
        Process.setWorkingDirectory(QString::fromStdString(Work.Path().string()));
        Process.start(QString::fromStdString((Program.Path() / "tickerwell").string()),
                      QStringList{QStringLiteral("--refresh-once")} + Arguments);
    }

    struct TRun
    {
        int Status = -1;
        QString Out;
        QString Err;
    };

    TRun Run(const QStringList& Arguments = {})
    {
        QProcess Process;
        Start(Process, Arguments);
        if (!Process.waitForFinished(60000) || Process.exitStatus() != QProcess::NormalExit)
            return {};
        return {Process.exitCode(), QString::fromUtf8(Process.readAllStandardOutput()),
                QString::fromUtf8(Process.readAllStandardError())};
    }

    TLoopbackServer Server;
    TTempDir Program;
    TTempDir Work;
    TTempDir Data;
    TTempDir Config;
};
} // namespace

TEST_F(TRefreshOnce, PrintsALinePerSourceInTabOrderAndTellsEachChangeOnce)
{
    Server.Serve("/1", {.Status = 404, .Body = "gone"});
    TRun Run = this->Run();
    EXPECT_EQ(Run.Status, 1) << "a source failed";
    EXPECT_EQ(Run.Out, QStringLiteral("Wirek & Borta\tbez zmian\t+0 -0\n"
                                      "Stormer Futures\tbłąd: HTTP 404\t+0 -0\n"
                                      "Stormer On-line\tbez zmian\t+0 -0\n"
                                      "doakcji.pl\tbez zmian\t+0 -0\n"
                                      "Indeksy\tbez zmian\t+0 -0\n"));
    EXPECT_TRUE(Run.Err.isEmpty()) << Run.Err.toStdString();
    for (const char* Name : {"1wirek&borta.htm", "3stormer.htm", "4doakcji.htm", "5swiat.htm"})
        EXPECT_TRUE(Program.Exists(Name)) << Name << " in the page folder";
    EXPECT_FALSE(Program.Exists("2stormerfut.htm"));
    EXPECT_TRUE(Data.Exists("tickerwell/history.sqlite"));

    // A new paragraph on the first page and a new session: told once, then no more.
    Serve(0, "<p>first</p><p>second</p>");
    Serve(1, "<p>back</p>");
    Server.Serve("/4", {.Body = "<a href=\"/lib/php/p_glowna.php?sesid=S2\">WIG</a>"});
    Run = this->Run();
    EXPECT_EQ(Run.Status, 0);
    EXPECT_EQ(Run.Out, QStringLiteral("Wirek & Borta\tzmieniono\t+1 -0\n"
                                      "Stormer Futures\tbez zmian\t+0 -0\n"
                                      "Stormer On-line\tbez zmian\t+0 -0\n"
                                      "doakcji.pl\tbez zmian\t+0 -0\n"
                                      "Indeksy\tzmieniono\t+0 -0\n"));
    Serve(0, "<p>second</p>");
    EXPECT_EQ(this->Run({QStringLiteral("1"), QStringLiteral("5"), QStringLiteral("1")}).Out,
              QStringLiteral("Wirek & Borta\tzmieniono\t+0 -1\nIndeksy\tbez zmian\t+0 -0\n"))
        << "only the sources named, each once";
    EXPECT_EQ(this->Run({QStringLiteral("1")}).Out, QStringLiteral("Wirek & Borta\tbez zmian\t+0 -0\n"));
}

TEST_F(TRefreshOnce, OwnSourcesFollowTheFiveWhosePageFilesStayByteForByte)
{
    ASSERT_EQ(Run().Status, 0);
    const std::vector<std::string> Five{"1wirek&borta.htm", "2stormerfut.htm", "3stormer.htm", "4doakcji.htm",
                                        "5swiat.htm"};
    std::vector<std::string> Alone;
    for (const std::string& Name : Five) {
        Alone.push_back(Program.Read(Name));
        std::filesystem::remove(Program.Path() / Name);
    }
    // A full file of one's own sources: 50, the second of them off.
    std::string Sources;
    QString Lines;
    for (int Id = 6; Id < 56; ++Id) {
        const std::string Number = std::to_string(Id);
        Server.Serve("/own" + Number, {.Body = "<p>własna " + Number + "</p>"});
        Sources += "[" + Number + "]\ncaption = Własne " + Number +
                   "\naddress = " + Server.Url("/own" + Number) +
                   "\nstart = <p>\nend = </p>\non = " + (Id == 7 ? "no" : "yes") + "\n";
        if (Id != 7)
            Lines += QStringLiteral("Własne %1\tbez zmian\t+0 -0\n").arg(Id);
    }
    Work.Write("zrodla.ini", "next-id = 56\n" + Sources);
    const TRun Full = Run();
    EXPECT_EQ(Full.Status, 0) << Full.Err.toStdString();
    EXPECT_TRUE(Full.Out.endsWith(QStringLiteral("Indeksy\tbez zmian\t+0 -0\n") + Lines))
        << Full.Out.toStdString();
    for (std::size_t Source = 0; Source < Five.size(); ++Source)
        EXPECT_EQ(Program.Read(Five[Source]), Alone[Source]) << Five[Source] << " as without zrodla.ini";
    EXPECT_NE(Program.Read("zrodlo55.htm").find("<p>własna 55</p>"), std::string::npos);
    EXPECT_FALSE(Program.Exists("zrodlo7.htm")) << "a source that is off is not refreshed";
    EXPECT_EQ(Run({QStringLiteral("7")}).Out, QStringLiteral("Własne 7\tbez zmian\t+0 -0\n"))
        << "named, it is";

    // A broken file is named, and the five still refresh.
    Work.Write("zrodla.ini", "[6\n");
    const TRun Broken = Run();
    EXPECT_EQ(Broken.Status, 0);
    EXPECT_TRUE(Broken.Err.contains(QStringLiteral("zrodla.ini"))) << Broken.Err.toStdString();
    EXPECT_TRUE(Broken.Out.endsWith(QStringLiteral("Indeksy\tbez zmian\t+0 -0\n")))
        << Broken.Out.toStdString();
}

TEST_F(TRefreshOnce, UsageErrorsAndAnUnreadableConfigurationExitTwo)
{
    for (const QStringList& Arguments :
         {QStringList{QStringLiteral("0")}, QStringList{QStringLiteral("6")},
          QStringList{QStringLiteral("x")}, QStringList{QStringLiteral("--check")},
          QStringList{QStringLiteral("--history")}}) {
        const TRun Run = this->Run(Arguments);
        EXPECT_EQ(Run.Status, 2) << Arguments.join(' ').toStdString();
        EXPECT_TRUE(Run.Out.isEmpty());
        EXPECT_TRUE(Run.Err.contains(QStringLiteral("--refresh-once"))) << Run.Err.toStdString();
    }
    std::filesystem::remove(Work.Path() / "dane.txt");
    const TRun Run = this->Run();
    EXPECT_EQ(Run.Status, 2);
    EXPECT_EQ(Run.Err, QStringLiteral("dane.txt: File not found.\n"));
    EXPECT_TRUE(Run.Out.isEmpty());
}

TEST_F(TRefreshOnce, LoadsNoWebEngine)
{
    // The first source stalls, so that the running process can be looked at.
    Server.Serve("/0", {.Body = "head <s>late</s> tail", .Fault = TReply::TFault::Stall, .StallAfter = 4});
    QProcess Process;
    Start(Process, {});
    ASSERT_TRUE(Process.waitForStarted());
    const auto Asked = [this] { return Server.RequestCount("/0") == 1; };
    for (int Wait = 0; Wait < 600 && !Asked(); ++Wait)
        Process.waitForFinished(50);
    ASSERT_TRUE(Asked()) << "the program did not ask for the first page";
    QFile Maps(QStringLiteral("/proc/%1/maps").arg(Process.processId()));
    ASSERT_TRUE(Maps.open(QIODevice::ReadOnly));
    const QByteArray Mapped = Maps.readAll();
    Server.Release();
    ASSERT_TRUE(Process.waitForFinished(60000));
    EXPECT_EQ(Process.exitCode(), 0) << Process.readAllStandardError().toStdString();
    EXPECT_TRUE(Mapped.contains("libQt6Core")) << "the maps were read while the program ran";
    for (const char* Library : {"WebEngine", "tkw_pageviewer", "libQt6Quick"})
        EXPECT_FALSE(Mapped.contains(Library)) << Library << " is mapped";
}

TEST_F(TRefreshOnce, SendsOneMessagePerChannelListingTheSourcesWithNewPassages)
{
    {
        QSettings Settings(QString::fromStdString(Config.Dir() + "QRX & Dobrel/Tickerwell.conf"),
                           QSettings::IniFormat);
        Settings.setValue("KanalyPowiadomien/1/Rodzaj", "webhook");
        Settings.setValue("KanalyPowiadomien/1/Adres", QString::fromStdString(Server.Url("/hook")));
        Settings.setValue("KanalyPowiadomien/2/Rodzaj", "webhook");
        Settings.setValue("KanalyPowiadomien/2/Adres", "ftp://example.org/x");
        Settings.setValue("KanalyPowiadomien/size", 2);
    }
    Server.Serve("/hook", {.Body = "{}"});
    ASSERT_EQ(Run().Status, 0);
    EXPECT_EQ(Server.RequestCount("/hook"), 0) << "the first versions are no news";

    Serve(0, "<p>first</p><p>second</p>");
    Serve(2, "<p>third</p>");
    Serve(3, "");
    Server.Serve("/4", {.Body = "<a href=\"/lib/php/p_glowna.php?sesid=S2\">WIG</a>"});
    const TRun Changed = Run();
    EXPECT_EQ(Changed.Status, 0) << "a failed send leaves the exit status alone";
    EXPECT_TRUE(Changed.Err.contains(QStringLiteral("(webhook ftp://example.org/x)")))
        << Changed.Err.toStdString();
    EXPECT_EQ(Run().Status, 0);
    ASSERT_EQ(Server.RequestCount("/hook"), 1)
        << "one message for the refresh, none for a refresh without news";
    std::string Hook;
    for (const std::string& Request : Server.WholeRequests())
        if (Request.starts_with("POST /hook "))
            Hook = Request.substr(Request.find("\r\n\r\n") + 4);
    const QJsonArray Changes = QJsonDocument::fromJson(QByteArray::fromStdString(Hook))["changes"].toArray();
    ASSERT_EQ(Changes.size(), 2) << "a removal and the index's new session are left out: " << Hook;
    EXPECT_EQ(Changes[0]["source"].toInt(), 1) << Hook;
    EXPECT_EQ(Changes[0]["added"].toArray().toVariantList(), QVariantList{"second"}) << Hook;
    EXPECT_EQ(Changes[1]["source"].toInt(), 3) << Hook;
    EXPECT_EQ(Changes[1]["address"].toString().toStdString(), Server.Url("/2"));
}
