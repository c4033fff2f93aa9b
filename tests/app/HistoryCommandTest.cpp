// tickerwell --history in a shell: the versions of the program's own folder, newest first, and exit
// status 2 for a source out of range or a database that cannot be read.
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

TListing History(const TTempDir& Data, const QStringList& Arguments)
{
    QProcess Program;
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    Environment.remove(QStringLiteral("DISPLAY"));
    Environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    Environment.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
    Environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(Data.Path().string()));
    Program.setProcessEnvironment(Environment);
    Program.start(QStringLiteral(TKW_PROGRAM), QStringList{QStringLiteral("--history")} + Arguments);
    if (!Program.waitForFinished(60000) || Program.exitStatus() != QProcess::NormalExit)
        return {-1, {}, {}};
    return {Program.exitCode(), QString::fromUtf8(Program.readAllStandardOutput()),
            QString::fromUtf8(Program.readAllStandardError())};
}

TEST(HistoryCommand, ListsTheVersionsOfItsOwnFolder)
{
    TTempDir Data;
    EXPECT_EQ(History(Data, {}).Status, 0) << "no database yet is no history yet";
    const QString Database = QString::fromStdString(Data.Dir() + "tickerwell/history.sqlite");
    const qint64 Noon = QDateTime(QDate(2026, 3, 2), QTime(12, 0), Qt::UTC).toSecsSinceEpoch();
    {
        THistoryStore Store(Database, QFileInfo(QStringLiteral(TKW_PROGRAM)).canonicalPath() + "/");
        Store.Add(0, "<p>a</p>", Noon);
        Store.Add(3, "<p>d</p>", Noon + 60);
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
         "2026-03-02 12:00:00\tWirek & Borta\t8\t+1 -0\n"},
        {{"4"}, 0, "2026-03-02 12:01:00\tdoakcji.pl\t8\t+1 -0\n"},
        {{"5"}, 0, ""},
        {{"0"}, 2, ""},
        {{"6"}, 2, ""},
        {{"one"}, 2, ""},
        {{"1", "2"}, 2, ""},
    };
    for (const auto& Case : Cases) {
        const TListing Run = History(Data, Case.Arguments);
        EXPECT_EQ(Run.Status, Case.Status)
            << Case.Arguments.join(' ').toStdString() << ": " << Run.Err.toStdString();
        EXPECT_EQ(Run.Out, Case.Out) << Case.Arguments.join(' ').toStdString();
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
} // namespace
