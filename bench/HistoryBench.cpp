// The history's costs on real SQLite files: passages, comparison and storing of a changed 100 KB
// page beside memcpy and SQLite's own insert of the same bytes; --history's listing over 10,000
// versions; the feed of changes written after a version; and the file's size after 2,000 versions
// of a 50 KB page.
#include "Feed.h"
#include "HistoryList.h"
#include "HistoryStore.h"
#include "PassageDiff.h"
#include "Passages.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <benchmark/benchmark.h>
#include <cstring>
#include <random>

namespace {
// A commentary page of about Size bytes: paragraphs and table rows of Polish-like words, the
// paragraph at Changed given a different sentence.
QByteArray MakePage(std::size_t Size, int Changed = -1)
{
    static const char* const Words[] = {"kontrakty", "WIG20",  "sesja",   "obroty", "spadek",
                                        "wzrost",    "rynek",  "kurs",    "akcje",  "banki",
                                        "pkt",       "zmiana", "popyt",   "podaz",  "opór",
                                        "wsparcie",  "trend",  "dzisiaj", "jutro",  "inwestorzy"};
    std::mt19937 Random(7);
    QByteArray Page = "<HTML><head><base href=\"https://www.parkiet.com/\"></head><body>\r\n";
    for (int Paragraph = 0; static_cast<std::size_t>(Page.size()) < Size; ++Paragraph) {
        Page += Paragraph % 5 == 4 ? "<tr><td>" : "<p>";
        if (Paragraph == Changed)
            Page += "Nowe zdanie o sesji, wersja " + QByteArray::number(Changed) + ". ";
        for (int Word = 0; Word < 14; ++Word)
            Page += QByteArray(Words[Random() % std::size(Words)]) + ' ';
        Page += Paragraph % 5 == 4 ? "</td></tr>\r\n" : "</p>\r\n";
    }
    return Page + "</body></HTML>\r\n";
}

void BM_Memcpy100K(benchmark::State& State)
{
    const QByteArray Page = MakePage(100 * 1024);
    QByteArray Copy(Page.size(), '\0');
    for (auto _ : State) {
        std::memcpy(Copy.data(), Page.data(), Page.size());
        benchmark::DoNotOptimize(Copy.data());
    }
}
BENCHMARK(BM_Memcpy100K);

void BM_SqliteInsert100K(benchmark::State& State)
{
    QTemporaryDir Dir;
    {
        QSqlDatabase Database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        Database.setDatabaseName(Dir.filePath(QStringLiteral("raw.sqlite")));
        Database.open();
        QSqlQuery(QStringLiteral("PRAGMA journal_mode = WAL"), Database);
        QSqlQuery(QStringLiteral("PRAGMA synchronous = NORMAL"), Database);
        QSqlQuery(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, body BLOB)"), Database);
        const QByteArray Page = MakePage(100 * 1024);
        QSqlQuery Insert(Database);
        Insert.prepare(QStringLiteral("INSERT INTO t (body) VALUES (?)"));
        for (auto _ : State) {
            Insert.bindValue(0, Page);
            Insert.exec();
        }
        Database.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
}
BENCHMARK(BM_SqliteInsert100K)->Unit(benchmark::kMicrosecond);

void BM_Compress100K(benchmark::State& State)
{
    const QByteArray Page = MakePage(100 * 1024);
    for (auto _ : State)
        benchmark::DoNotOptimize(qCompress(Page, static_cast<int>(State.range(0))));
}
BENCHMARK(BM_Compress100K)->Arg(1)->Arg(6)->Unit(benchmark::kMicrosecond);

void BM_Passages100K(benchmark::State& State)
{
    const QByteArray Page = MakePage(100 * 1024);
    for (auto _ : State)
        benchmark::DoNotOptimize(PagePassages({Page.data(), static_cast<std::size_t>(Page.size())}));
}
BENCHMARK(BM_Passages100K)->Unit(benchmark::kMicrosecond);

void BM_Compare100K(benchmark::State& State)
{
    const QByteArray Old = MakePage(100 * 1024), New = MakePage(100 * 1024, 40);
    const QStringList A = PagePassages({Old.data(), static_cast<std::size_t>(Old.size())});
    const QStringList B = PagePassages({New.data(), static_cast<std::size_t>(New.size())});
    for (auto _ : State)
        benchmark::DoNotOptimize(ComparePassages(A, B));
}
BENCHMARK(BM_Compare100K)->Unit(benchmark::kMicrosecond);

// What one refresh of a changed page costs the history's thread: passages, comparison with the
// newest version, compression and the insert.
void BM_DiffAndStore100K(benchmark::State& State)
{
    QTemporaryDir Dir;
    THistoryStore Store(Dir.filePath(QStringLiteral("history.sqlite")), QStringLiteral("/bench/"));
    std::vector<QByteArray> Pages;
    for (int Version = 0; Version < 64; ++Version)
        Pages.push_back(MakePage(100 * 1024, Version));
    std::size_t Next = 0;
    for (auto _ : State)
        benchmark::DoNotOptimize(
            Store.Add(0, Pages[Next++ % Pages.size()], QDateTime::currentSecsSinceEpoch()));
}
BENCHMARK(BM_DiffAndStore100K)->Unit(benchmark::kMillisecond);

// `tickerwell --history` over 10,000 stored versions, printed to /dev/null.
void BM_HistoryList10K(benchmark::State& State)
{
    QTemporaryDir Dir;
    const QString Path = Dir.filePath(QStringLiteral("history.sqlite"));
    {
        THistoryStore Store(Path, QStringLiteral("/bench/"));
        for (int Version = 0; Version < THistoryStore::MaxVersions; ++Version)
            for (int Source = 0; Source < SourceCount; ++Source)
                Store.Add(Source, "<p>" + QByteArray::number(Version) + "</p>",
                          QDateTime::currentSecsSinceEpoch());
    }
    std::FILE* Null = std::fopen("/dev/null", "w");
    for (auto _ : State)
        RunHistoryList(Path, QStringLiteral("/bench/"), -1, Null, stderr);
    std::fclose(Null);
}
BENCHMARK(BM_HistoryList10K)->Unit(benchmark::kMillisecond);

// The feed written after a version, with its 100 entries over five sources (each version a 100 KB
// page with one paragraph changed), beside building the same feed in memory.
void BM_WriteFeed100(benchmark::State& State)
{
    QTemporaryDir Dir;
    const QString Path = Dir.filePath(QStringLiteral("history.sqlite"));
    THistoryStore Store(Path, QStringLiteral("/bench/"));
    for (int Version = 0; Version < 120; ++Version)
        Store.Add(Version % IndexSource, MakePage(100 * 1024, Version % 60),
                  QDateTime::currentSecsSinceEpoch() + Version, {}, QStringLiteral("https://example.org/"));
    const bool InMemory = State.range(0) == 1;
    for (auto _ : State) {
        if (InMemory)
            benchmark::DoNotOptimize(BuildFeed(Store.FeedVersions(FeedLength), 0));
        else
            WriteFeed(Store, FeedPath(Path));
    }
    State.counters["KiB"] = static_cast<double>(QFileInfo(FeedPath(Path)).size()) / 1024;
}
BENCHMARK(BM_WriteFeed100)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The file after 2,000 versions of a 50 KB page, each with one paragraph changed.
void BM_DatabaseSize2000x50K(benchmark::State& State)
{
    for (auto _ : State) {
        QTemporaryDir Dir;
        const QString Path = Dir.filePath(QStringLiteral("history.sqlite"));
        {
            THistoryStore Store(Path, QStringLiteral("/bench/"));
            for (int Version = 0; Version < THistoryStore::MaxVersions; ++Version)
                Store.Add(0, MakePage(50 * 1024, Version % 60), QDateTime::currentSecsSinceEpoch() + Version);
        }
        State.counters["MiB"] = static_cast<double>(QFileInfo(Path).size()) / (1024 * 1024);
    }
}
BENCHMARK(BM_DatabaseSize2000x50K)->Iterations(1)->Unit(benchmark::kSecond);
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication Application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
