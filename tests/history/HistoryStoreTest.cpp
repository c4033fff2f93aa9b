// The history store on real SQLite files in a temporary folder.
#include "HistoryStore.h"
#include "TempDir.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <thread>

namespace {
QByteArray PageWith(const QString& Text)
{
    return ("<html><p>" + Text + "</p></html>").toLatin1();
}

qint64 Now()
{
    return QDateTime::currentSecsSinceEpoch();
}

class THistoryStoreTest : public testing::Test
{
protected:
    QString Path() const { return QString::fromStdString(Dir.Dir() + "history.sqlite"); }
    TTempDir Dir;
};

TEST_F(THistoryStoreTest, KeepsEachDifferentVersionOnceAfterTheBaseline)
{
    THistoryStore Store(Path(), QStringLiteral("/prog/"));
    ASSERT_EQ(Store.Error(), QString());
    const TBaseline OnDisk{PageWith("old"), Now() - 600};
    TAddResult Added = Store.Add(0, PageWith("old") + "<p>new</p>", Now(), OnDisk);
    EXPECT_TRUE(Added.Stored);
    EXPECT_EQ(Added.Previous, QStringList{"old"});
    EXPECT_FALSE(Store.Add(0, PageWith("old") + "<p>new</p>", Now(), OnDisk).Stored)
        << "a duplicate was stored";
    EXPECT_TRUE(Store.Add(1, PageWith("other source"), Now()).Stored);
    EXPECT_TRUE(Store.Add(0, PageWith("changed"), Now()).Stored);

    const std::vector<TVersionInfo> Versions = Store.Versions(0);
    ASSERT_EQ(Versions.size(), 3u) << "expected the baseline and two versions";
    EXPECT_EQ(Versions[2].Time, OnDisk.Time);
    EXPECT_EQ(std::make_pair(Versions[1].Added, Versions[1].Removed), std::make_pair(1, 0));
    EXPECT_EQ(std::make_pair(Versions[0].Added, Versions[0].Removed), std::make_pair(1, 2));
    EXPECT_EQ(Versions[0].Size, PageWith("changed").size());
    EXPECT_EQ(Store.Body(Versions[0].Id), PageWith("changed"));
    EXPECT_EQ(Store.PreviousBody(Versions[0].Id), PageWith("old") + "<p>new</p>");
    EXPECT_EQ(Store.PreviousBody(Versions[2].Id), QByteArray());
    EXPECT_EQ(Store.Versions().size(), 4u);

    // Another program folder has a history of its own; a new store reads the same rows.
    THistoryStore Other(Path(), QStringLiteral("/other/"));
    EXPECT_TRUE(Other.Versions().empty());
    THistoryStore Again(Path(), QStringLiteral("/prog/"), true);
    EXPECT_EQ(Again.Versions(0).size(), 3u);
    EXPECT_FALSE(THistoryStore(Path(), QStringLiteral("/prog/")).Add(0, PageWith("changed"), Now()).Stored);
}

TEST_F(THistoryStoreTest, KeepsTheNewestVersionsOfTheDaysKept)
{
    THistoryStore Store(Path(), QStringLiteral("/prog/"));
    constexpr qint64 Day = 24 * 3600;
    const qint64 YearAndADay = (THistoryStore::DefaultKeepDays + 1) * Day;
    // The only version stays however old it is; a newer one drops it.
    Store.Add(0, PageWith("ancient"), Now() - YearAndADay);
    EXPECT_EQ(Store.Versions(0).size(), 1u);
    Store.Add(0, PageWith("recent"), Now());
    ASSERT_EQ(Store.Versions(0).size(), 1u);
    EXPECT_EQ(Store.Body(Store.Versions(0)[0].Id), PageWith("recent"));

    for (int Version = 0; Version < THistoryStore::MaxVersions + 5; ++Version)
        ASSERT_TRUE(Store.Add(1, PageWith(QString::number(Version)), Now()).Stored);
    const std::vector<TVersionInfo> Kept = Store.Versions(1);
    ASSERT_EQ(Kept.size(), static_cast<std::size_t>(THistoryStore::MaxVersions));
    EXPECT_EQ(Store.Body(Kept.back().Id), PageWith("5")) << "the oldest versions go first";
    EXPECT_EQ(Store.Versions(0).size(), 1u) << "pruning one source touched another";

    // Fewer days kept take effect at the next stored version.
    Store.Add(2, PageWith("a month ago"), Now() - 31 * Day);
    Store.Add(2, PageWith("last week"), Now() - 7 * Day);
    Store.SetKeepDays(30);
    Store.Add(2, PageWith("today"), Now());
    const std::vector<TVersionInfo> Month = Store.Versions(2);
    ASSERT_EQ(Month.size(), 2u) << "kept 30 days, a version 31 days old stayed or a newer one went";
    EXPECT_EQ(Store.Body(Month[1].Id), PageWith("last week"));
}

TEST_F(THistoryStoreTest, MovesADamagedFileAsideAndStartsAnew)
{
    {
        THistoryStore Store(Path(), QStringLiteral("/prog/"));
        for (int Version = 0; Version < 40; ++Version)
            Store.Add(0, PageWith(QString(2000, QLatin1Char('a' + Version % 26)) + QString::number(Version)),
                      Now());
    }
    const QByteArray Good = QByteArray::fromStdString(Dir.Read("history.sqlite"));
    // Not SQLite at all, its pages cut off, its pages overwritten.
    for (const QByteArray& Damaged :
         {QByteArray("dane.txt, not a database\r\n").repeated(300), Good.left(Good.size() / 2 + 100),
          Good.left(4096) + QByteArray(Good.size() - 4096, '\x5a')}) {
        QFile::remove(Path() + "-wal");
        QFile::remove(Path() + "-shm");
        Dir.Write("history.sqlite", Damaged.toStdString());

        THistoryStore Store(Path(), QStringLiteral("/prog/"));
        EXPECT_EQ(Store.Error(), QString());
        ASSERT_TRUE(Store.MovedAside().startsWith(Path() + ".corrupt-")) << Store.MovedAside().toStdString();
        const std::string Aside = QFileInfo(Store.MovedAside()).fileName().toStdString();
        EXPECT_TRUE(Dir.Read(Aside) == Damaged.toStdString()) << "the damaged file was not kept as it was";
        QFile::remove(Store.MovedAside());
        EXPECT_TRUE(Store.Versions().empty());
        const TAddResult First = Store.Add(0, PageWith("fresh"), Now());
        EXPECT_TRUE(First.Stored);
        EXPECT_EQ(First.MovedAside, Store.MovedAside()) << "the first version tells of the move";
        EXPECT_EQ(Store.Add(0, PageWith("fresher"), Now()).MovedAside, QString()) << "and only the first";
    }
}

TEST_F(THistoryStoreTest, ACopyWritesToTheNewFileAfterAnotherMovedItsFileAside)
{
    THistoryStore First(Path(), QStringLiteral("/prog/"));
    ASSERT_TRUE(First.Add(0, PageWith("a"), Now()).Stored);
    // What a second copy does when it finds the file damaged.
    for (const QString Suffix : {"", "-wal", "-shm"}) {
        if (QFile::exists(Path() + Suffix)) {
            ASSERT_TRUE(QFile::rename(Path() + Suffix, Path() + ".corrupt-1" + Suffix));
        }
    }
    THistoryStore Second(Path(), QStringLiteral("/prog/"));
    ASSERT_TRUE(Second.Add(0, PageWith("b"), Now()).Stored);

    EXPECT_TRUE(First.Add(0, PageWith("c"), Now()).Stored);
    std::vector<QByteArray> Bodies;
    for (const TVersionInfo& Version : THistoryStore(Path(), QStringLiteral("/prog/")).Versions())
        Bodies.push_back(*Second.Body(Version.Id));
    EXPECT_EQ(Bodies, (std::vector<QByteArray>{PageWith("c"), PageWith("b")}))
        << "the first copy's version went to the file moved aside";
}

TEST_F(THistoryStoreTest, AFolderThatCannotBeMadeCostsNothingAndIsTriedAgain)
{
    // A file where the folder should be: refused to root as well, unlike permissions.
    Dir.Write("data", "a file");
    const QString Blocked = QString::fromStdString(Dir.Dir() + "data/tickerwell/history.sqlite");
    THistoryStore Store(Blocked, QStringLiteral("/prog/"));
    EXPECT_TRUE(Store.Error().startsWith(QStringLiteral("nie można utworzyć folderu")))
        << Store.Error().toStdString();
    const TAddResult Failed = Store.Add(0, PageWith("a") + "<p>b</p>", Now());
    EXPECT_FALSE(Failed.Stored);
    EXPECT_FALSE(Failed.Error.isEmpty());
    EXPECT_EQ(Failed.Passages, (QStringList{"a", "b"})) << "the page's passages are still found";
    EXPECT_TRUE(Store.Versions().empty());

    std::filesystem::remove(Dir.Path() / "data");
    EXPECT_TRUE(Store.Add(0, PageWith("a"), Now()).Stored);
    EXPECT_EQ(Store.Error(), QString());
}

TEST_F(THistoryStoreTest, TwoCopiesWritingAtOnceKeepEveryVersion)
{
    constexpr int Versions = 150;
    auto Write = [this](const QString& Folder) {
        THistoryStore Store(Path(), Folder);
        for (int Version = 0; Version < Versions; ++Version)
            for (int Source = 0; Source < 2; ++Source)
                EXPECT_TRUE(Store.Add(Source, PageWith(Folder + QString::number(Version)), Now()).Stored)
                    << Store.Error().toStdString();
    };
    {
        std::jthread First(Write, QStringLiteral("/first/"));
        std::jthread Second(Write, QStringLiteral("/second/"));
    }
    for (const QString& Folder : {QStringLiteral("/first/"), QStringLiteral("/second/")})
        EXPECT_EQ(THistoryStore(Path(), Folder).Versions().size(), 2u * Versions) << Folder.toStdString();
}
} // namespace
