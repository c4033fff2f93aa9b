// tickerwell --history in a shell: the versions of the program's own folder, newest first, and exit
// status 2 for a source out of range or a database that cannot be read.
#include "ClosedPort.h"
#include "HistoryStore.h"
#include "TempDir.h"

#include <QDateTime>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace {
struct TListing
{
    int Status;
    QString Out;
    QString Err;
};

// Runs Command (by default the program) with Arguments, its data folder Data.
TListing Start(const TTempDir& Data, const QStringList& Arguments,
               const QStringList& Command = {QStringLiteral(TKW_PROGRAM)})
{
    QProcess Program;
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    Environment.remove(QStringLiteral("DISPLAY"));
    Environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    Environment.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
    Environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(Data.Path().string()));
    Program.setProcessEnvironment(Environment);
    Program.start(Command[0], Command.mid(1) + Arguments);
    if (!Program.waitForFinished(60000) || Program.exitStatus() != QProcess::NormalExit)
        return {-1, {}, {}};
    return {Program.exitCode(), QString::fromUtf8(Program.readAllStandardOutput()),
            QString::fromUtf8(Program.readAllStandardError())};
}

TListing History(const TTempDir& Data, const QStringList& Arguments)
{
    return Start(Data, QStringList{QStringLiteral("--history")} + Arguments);
}

TEST(HistoryCommand, ListsTheVersionsOfItsOwnFolder)
{
    TTempDir Data;
    const TListing Empty = History(Data, {});
    EXPECT_EQ(Empty.Status, 0) << "no database yet is no history yet";
    EXPECT_TRUE(Empty.Err.contains(QStringLiteral("brak zapisanych wersji"))) << Empty.Err.toStdString();
    const QString Database = QString::fromStdString(Data.Dir() + "tickerwell/history.sqlite");
    const qint64 Noon = QDateTime(QDate(2026, 3, 2), QTime(12, 0), Qt::UTC).toSecsSinceEpoch();
    {
        THistoryStore Store(Database, QFileInfo(QStringLiteral(TKW_PROGRAM)).canonicalPath() + "/");
        Store.Add(0, "<p>a</p>", Noon);
        Store.Add(3, "<p>d</p>", Noon + 60);
        Store.Add(6, "<p>w</p>", Noon - 60); // a removed source of one's own, id 7
        Store.Add(0, "<p>a</p><p>b</p>", Noon + 120);
        THistoryStore(Database, QStringLiteral("/another/folder/")).Add(0, "<p>elsewhere</p>", Noon);
    }
    const struct
    {
        QStringList Arguments;
        int Status;
        QString Out;
    } Cases[] = {
        {{},
         0,
         "2026-03-02 12:02:00\tWirek & Borta\t16\t+1 -0\n2026-03-02 12:01:00\tdoakcji.pl\t8\t+1 -0\n"
         "2026-03-02 12:00:00\tWirek & Borta\t8\t+1 -0\n2026-03-02 11:59:00\tźródło 7\t8\t+1 -0\n"},
        {{"4"}, 0, "2026-03-02 12:01:00\tdoakcji.pl\t8\t+1 -0\n"},
        {{"5"}, 0, ""},
        {{"0"}, 2, ""},
        {{"7"}, 0, "2026-03-02 11:59:00\tźródło 7\t8\t+1 -0\n"},
        {{"07"}, 2, ""},
        {{"one"}, 2, ""},
        {{"1", "2"}, 2, ""},
    };
    for (const auto& Case : Cases) {
        const TListing Run = History(Data, Case.Arguments);
        EXPECT_EQ(Run.Status, Case.Status)
            << Case.Arguments.join(' ').toStdString() << ": " << Run.Err.toStdString();
        EXPECT_EQ(Run.Out, Case.Out) << Case.Arguments.join(' ').toStdString();
        if (Run.Status == 0) {
            EXPECT_EQ(Run.Err.contains(QStringLiteral("brak zapisanych wersji")), Case.Out.isEmpty())
                << "an empty listing says so: " << Run.Err.toStdString();
        }
    }

    // A damaged file is reported, and left where it is for the window to set aside.
    QFile::remove(Database + "-wal");
    QFile::remove(Database + "-shm");
    Data.Write("tickerwell/history.sqlite", std::string(8192, 'x'));
    const TListing Damaged = History(Data, {});
    EXPECT_EQ(Damaged.Status, 2);
    EXPECT_TRUE(Damaged.Err.startsWith(QStringLiteral("tickerwell: historia niedostępna: ")))
        << Damaged.Err.toStdString();
    EXPECT_EQ(Data.Read("tickerwell/history.sqlite"), std::string(8192, 'x'));
}

TEST(HistoryCommand, AProgramFolderItCannotWriteKeepsPagesAndHistoryUnderTheUsersDataFolder)
{
    // A copy of the program in a folder it cannot write, as a system-wide package has it; run
    // without CAP_DAC_OVERRIDE, so that the folder's permissions hold for root too.
    TTempDir Data;
    TTempDir Installed;
    const QString Program = QString::fromStdString((Installed.Path() / "tickerwell").string());
    std::filesystem::copy_file(TKW_PROGRAM, Program.toStdString());
    std::filesystem::permissions(Installed.Path(), std::filesystem::perms(0555));
    const QStringList Unprivileged{QStringLiteral("setpriv"), QStringLiteral("--inh-caps=-all"),
                                   QStringLiteral("--bounding-set=-dac_override,-dac_read_search"), Program};
    const QString PageFolder = QString::fromStdString(Data.Dir() + "tickerwell/");

    TClosedPort Closed;
    std::string Configuration;
    for (int Line = 0; Line < 15; ++Line)
        Configuration += Closed.Url("/") + "\r\n";
    Data.Write("dane.txt", Configuration);
    const TListing Check = Start(
        Data, {QStringLiteral("--check"), QString::fromStdString(Data.Dir() + "dane.txt")}, Unprivileged);
    EXPECT_TRUE(Check.Out.contains(QStringLiteral("Pliki stron okna: ") + PageFolder))
        << Check.Out.toStdString();

    // The window stores its versions under its page folder; --history finds them there.
    THistoryStore(QString::fromStdString(Data.Dir() + "tickerwell/history.sqlite"), PageFolder)
        .Add(2, "<p>c</p>", QDateTime(QDate(2026, 3, 2), QTime(12, 0), Qt::UTC).toSecsSinceEpoch());
    const TListing Listing = Start(Data, {QStringLiteral("--history")}, Unprivileged);
    EXPECT_EQ(Listing.Status, 0) << Listing.Err.toStdString();
    EXPECT_EQ(Listing.Out, QStringLiteral("2026-03-02 12:00:00\tStormer On-line\t8\t+1 -0\n"));
    std::filesystem::permissions(Installed.Path(), std::filesystem::perms(0755));
}
} // namespace
