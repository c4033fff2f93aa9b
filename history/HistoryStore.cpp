// The history database over Qt SQL's SQLite driver: write-ahead log and a busy timeout, so that
// two running copies share the file; compressed bodies; pruned as versions are added.
#include "HistoryStore.h"

#include "Feed.h"
#include "PassageDiff.h"
#include "Passages.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QVariant>
#include <algorithm>
#include <sys/stat.h>
#include <utility>

namespace {
// zlib's fastest level: on a 100 KB page it takes a fifth of the default level's time, for bodies
// about half as large again (see bench/HistoryBench.cpp).
constexpr int CompressionLevel = 1;
constexpr int SqliteCorrupt = 11;
constexpr int SqliteNotADatabase = 26;
constexpr int SqliteFull = 13;
constexpr int SqliteReadOnly = 8;
constexpr int SqliteCantOpen = 14;
constexpr int SqliteBusy = 5;

int SqliteCode(const QSqlError& Error)
{
    return Error.nativeErrorCode().toInt() & 0xff;
}

QStringList PassagesOf(int Source, const QByteArray& Bytes)
{
    // The index source's version is an address: it has no passages.
    return Source == IndexSource ? QStringList() : PagePassages(std::string_view(Bytes.data(), Bytes.size()));
}

QString PassagesText(const QStringList& Passages)
{
    return QString::fromUtf8(
        QJsonDocument(QJsonArray::fromStringList(Passages)).toJson(QJsonDocument::Compact));
}

QStringList PassagesFromText(const QString& Text)
{
    QStringList Passages;
    for (const QJsonValue& Passage : QJsonDocument::fromJson(Text.toUtf8()).array())
        Passages << Passage.toString();
    return Passages;
}
} // namespace

QString THistoryStore::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/tickerwell/history.sqlite");
}

THistoryStore::THistoryStore(const QString& Path, const QString& Folder, bool ReadOnly)
    : FPath(Path), FFolder(Folder), FReadOnly(ReadOnly),
      FConnection(QStringLiteral("tkw-history-%1").arg(reinterpret_cast<quintptr>(this)))
{
    Open();
}

THistoryStore::~THistoryStore()
{
    Close();
}

void THistoryStore::Close()
{
    if (FDatabase.isValid()) {
        FDatabase.close();
        FDatabase = QSqlDatabase();
        QSqlDatabase::removeDatabase(FConnection);
    }
}

void THistoryStore::Fail(const QSqlError& Error)
{
    switch (SqliteCode(Error)) {
    case SqliteFull:
        FError = QStringLiteral("dysk pełny");
        break;
    case SqliteReadOnly:
        FError = QStringLiteral("plik tylko do odczytu (%1)").arg(FPath);
        break;
    case SqliteCantOpen:
        FError = QStringLiteral("nie można otworzyć pliku %1").arg(FPath);
        break;
    case SqliteBusy:
        FError = QStringLiteral("baza zajęta przez inny program");
        break;
    default:
        // A full disk shows as an I/O error where SQLite meets it outside a plain write (the
        // shared-memory file of a reader), and then as a statement that cannot be prepared.
        FError = QStorageInfo(QFileInfo(FPath).absolutePath()).bytesAvailable() == 0
                     ? QStringLiteral("dysk pełny")
                     : Error.text();
    }
}

bool THistoryStore::Exec(const QString& Statement)
{
    QSqlQuery Query(FDatabase);
    if (Query.exec(Statement))
        return true;
    Fail(Query.lastError());
    return false;
}

bool THistoryStore::Open()
{
    Close();
    FError.clear();
    FNewest.clear();
    if (FReadOnly && !QFileInfo::exists(FPath)) {
        FError = QStringLiteral("brak pliku %1").arg(FPath);
        return false;
    }
    if (!FReadOnly && !QDir().mkpath(QFileInfo(FPath).absolutePath())) {
        FError = QStringLiteral("nie można utworzyć folderu %1").arg(QFileInfo(FPath).absolutePath());
        return false;
    }
    for (int Attempt = 0; Attempt < 2; ++Attempt) {
        FDatabase = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), FConnection);
        FDatabase.setDatabaseName(FPath);
        FDatabase.setConnectOptions(FReadOnly
                                        ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000;QSQLITE_OPEN_READONLY")
                                        : QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
        if (!FDatabase.open()) {
            Fail(FDatabase.lastError());
            return false;
        }
        // The writer checks every page of the file; a reader only that it is a database, so that a
        // listing stays quick however large the history grows.
        QSqlQuery Check(FDatabase);
        const bool Checked = Check.exec(FReadOnly ? QStringLiteral("PRAGMA schema_version")
                                                  : QStringLiteral("PRAGMA quick_check")) &&
                             Check.next();
        const int Code = Checked ? 0 : SqliteCode(Check.lastError());
        if (Checked && (FReadOnly || Check.value(0).toString() == QLatin1String("ok")))
            break;
        if (Checked || Code == SqliteCorrupt || Code == SqliteNotADatabase) {
            Check.finish();
            Close();
            if (FReadOnly) {
                FError = QStringLiteral("plik %1 jest uszkodzony").arg(FPath);
                return false;
            }
            // Nothing is deleted: the damaged file and its journal stay beside the new one.
            const QString Aside = FPath + QStringLiteral(".corrupt-") +
                                  QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
            for (const QString& Suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
                if (QFile::exists(FPath + Suffix) && !QFile::rename(FPath + Suffix, Aside + Suffix)) {
                    FError = QStringLiteral("plik %1 jest uszkodzony i nie można go odsunąć").arg(FPath);
                    return false;
                }
            FMovedAside = Aside;
            FUntoldAside = Aside;
            continue;
        }
        Fail(Check.lastError());
        return false;
    }
    if (FReadOnly)
        return AddColumns();
    // The file the connection has open, which Replaced compares with the file at the path.
    struct stat Opened;
    FOpened = stat(QFile::encodeName(FPath).constData(), &Opened) == 0
                  ? std::optional(std::pair(Opened.st_dev, Opened.st_ino))
                  : std::nullopt;
    // Space freed by pruning goes back to the file system as versions are dropped.
    return Exec(QStringLiteral("PRAGMA auto_vacuum = INCREMENTAL")) &&
           Exec(QStringLiteral("PRAGMA journal_mode = WAL")) &&
           // With the write-ahead log a commit then waits for no disk flush and still never leaves
           // a damaged file; at worst a power cut loses the last versions.
           Exec(QStringLiteral("PRAGMA synchronous = NORMAL")) &&
           Exec(QStringLiteral(
               "CREATE TABLE IF NOT EXISTS versions (id INTEGER PRIMARY KEY, folder TEXT NOT NULL, "
               "source INTEGER NOT NULL, time INTEGER NOT NULL, size INTEGER NOT NULL, "
               "added INTEGER NOT NULL, removed INTEGER NOT NULL, body BLOB NOT NULL)")) &&
           Exec(QStringLiteral(
               "CREATE INDEX IF NOT EXISTS versions_of_source ON versions (folder, source, id)")) &&
           AddColumns();
}

// The source's address and the new passages of each version, which the feed shows, came later:
// a file made before gets the columns; one opened read-only is read without them.
bool THistoryStore::Replaced() const
{
    struct stat Now;
    return !FOpened || stat(QFile::encodeName(FPath).constData(), &Now) != 0 ||
           std::pair(Now.st_dev, Now.st_ino) != *FOpened;
}

THistoryStore::TNewest THistoryStore::Newest(int Source)
{
    QSqlQuery Query(FDatabase);
    if (!Query.prepare(QStringLiteral(
            "SELECT id FROM versions WHERE folder = ? AND source = ? ORDER BY id DESC LIMIT 1")))
        throw Query.lastError();
    Query.addBindValue(FFolder);
    Query.addBindValue(Source);
    if (!Query.exec())
        throw Query.lastError();
    if (!Query.next())
        return TNewest{};
    const qint64 Id = Query.value(0).toLongLong();
    if (const auto Known = FNewest.find(Source); Known != FNewest.end() && Known->second.Id == Id)
        return Known->second;
    const std::optional<QByteArray> Bytes = Body(Id);
    if (!Bytes)
        throw QSqlError(QString(), QStringLiteral("nie można odczytać wersji %1").arg(Id));
    return TNewest{Id, *Bytes, PassagesOf(Source, *Bytes)};
}

std::optional<qint64> THistoryStore::Insert(int Source, const QByteArray& Bytes, qint64 Time,
                                            const QStringList& New, int Removed, const QString& Address)
{
    QSqlQuery Query(FDatabase);
    if (!Query.prepare(
            QStringLiteral("INSERT INTO versions (folder, source, time, size, added, removed, body, "
                           "address, news) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)")))
        throw Query.lastError();
    for (const QVariant& Value :
         {QVariant(FFolder), QVariant(Source), QVariant(Time), QVariant(Bytes.size()),
          QVariant(static_cast<int>(New.size())), QVariant(Removed),
          QVariant(qCompress(Bytes, CompressionLevel)), QVariant(Address), QVariant(PassagesText(New))})
        Query.addBindValue(Value);
    if (!Query.exec())
        throw Query.lastError();
    return Query.lastInsertId().toLongLong();
}

void THistoryStore::Prune(int Source)
{
    QSqlQuery Query(FDatabase);
    if (!Query.prepare(QStringLiteral(
            "DELETE FROM versions WHERE folder = ? AND source = ? AND id < ? AND (time < ? OR id <= "
            "(SELECT id FROM versions WHERE folder = ? AND source = ? ORDER BY id DESC LIMIT 1 OFFSET ?))")))
        throw Query.lastError();
    const qint64 Oldest = QDateTime::currentSecsSinceEpoch() - qint64(FKeepDays) * 24 * 3600;
    for (const QVariant& Value :
         {QVariant(FFolder), QVariant(Source), QVariant(FNewest.at(Source).Id), QVariant(Oldest),
          QVariant(FFolder), QVariant(Source), QVariant(MaxVersions)})
        Query.addBindValue(Value);
    if (!Query.exec())
        throw Query.lastError();
    if (Query.numRowsAffected() > 0)
        Exec(QStringLiteral("PRAGMA incremental_vacuum"));
}

TAddResult
THistoryStore::Add(int Source, const QByteArray& Bytes, qint64 Time, const std::optional<TBaseline>& Baseline,
                   const QString& Address,
                   const std::function<TPassageChange(const QStringList&, const QStringList&)>& Compare)
{
    TAddResult Result;
    Result.Passages = PassagesOf(Source, Bytes);
    // Another copy may have moved the file aside as corrupt: the versions go to the file at the path.
    const bool Ready = FError.isEmpty() && !Replaced() ? true : Open();
    Result.MovedAside = std::exchange(FUntoldAside, QString());
    if (!Ready) {
        Result.Error = FError;
        return Result;
    }
    // A write lock from the start: a second copy waits for it instead of failing half-way.
    if (!Exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        Result.Error = FError;
        return Result;
    }
    try {
        TNewest Newest = THistoryStore::Newest(Source);
        if (Newest.Id == 0 && Baseline && Baseline->Bytes != Bytes) {
            const QStringList Passages = PassagesOf(Source, Baseline->Bytes);
            const qint64 Id = *Insert(Source, Baseline->Bytes, Baseline->Time, Passages, 0, Address);
            Newest = TNewest{Id, Baseline->Bytes, Passages};
        }
        Result.First = Newest.Id == 0;
        Result.Previous = Newest.Passages;
        const TPassageChange Change = Newest.Id != 0 && Newest.Bytes == Bytes ? TPassageChange{}
                                      : Compare ? Compare(Newest.Passages, Result.Passages)
                                                : ComparePassages(Newest.Passages, Result.Passages);
        if (Newest.Id == 0 ||
            (Newest.Bytes != Bytes && (!Compare || !Change.Added.isEmpty() || Change.Removed > 0))) {
            const qint64 Id = *Insert(Source, Bytes, Time, Change.Added, Change.Removed, Address);
            Newest = TNewest{Id, Bytes, Result.Passages};
            Result.Stored = true;
            Result.New = Change.Added;
            Result.Removed = Change.Removed;
        }
        FNewest[Source] = Newest;
        if (Result.Stored)
            Prune(Source);
        if (!Exec(QStringLiteral("COMMIT")))
            throw QSqlError(QString(), FError);
    } catch (const QSqlError& Error) {
        QSqlQuery(QStringLiteral("ROLLBACK"), FDatabase);
        FNewest.erase(Source);
        Fail(Error);
        Result.Stored = false;
        Result.Error = FError;
    }
    // Written after the write lock is let go, so that another copy's versions never wait for it: the
    // feed is made from the database as it stands, and a feed that cannot be written costs the
    // version nothing.
    if (Result.Stored)
        if (const QString Error = WriteFeed(*this, FeedPath(FPath)); !Error.isEmpty())
            qWarning("tickerwell: %s", qUtf8Printable(Error));
    return Result;
}

std::vector<TVersionInfo> THistoryStore::Versions(int Source)
{
    std::vector<TVersionInfo> Versions;
    QSqlQuery Query(FDatabase);
    Query.setForwardOnly(true);
    // A statement that cannot be prepared (a full disk, a lock) fails with its own reason, not with
    // the bound values' count.
    if (!Query.prepare(Source < 0
                           ? QStringLiteral("SELECT id, source, time, size, added, removed FROM versions "
                                            "WHERE folder = ? ORDER BY time DESC, id DESC")
                           : QStringLiteral("SELECT id, source, time, size, added, removed FROM versions "
                                            "WHERE folder = ? AND source = ? ORDER BY id DESC"))) {
        Fail(Query.lastError());
        return Versions;
    }
    Query.addBindValue(FFolder);
    if (Source >= 0)
        Query.addBindValue(Source);
    if (!Query.exec()) {
        Fail(Query.lastError());
        return Versions;
    }
    while (Query.next())
        Versions.push_back({Query.value(0).toLongLong(), Query.value(1).toInt(), Query.value(2).toLongLong(),
                            Query.value(3).toLongLong(), Query.value(4).toInt(), Query.value(5).toInt()});
    return Versions;
}

std::optional<QByteArray> THistoryStore::Body(qint64 Id)
{
    QSqlQuery Query(FDatabase);
    if (!Query.prepare(QStringLiteral("SELECT body FROM versions WHERE id = ?")))
        return std::nullopt;
    Query.addBindValue(Id);
    if (!Query.exec() || !Query.next())
        return std::nullopt;
    return qUncompress(Query.value(0).toByteArray());
}

std::optional<QByteArray> THistoryStore::PreviousBody(qint64 Id)
{
    QSqlQuery Query(FDatabase);
    if (!Query.prepare(
            QStringLiteral("SELECT before.id FROM versions AS before, versions AS this WHERE this.id = ? "
                           "AND before.folder = this.folder AND before.source = this.source "
                           "AND before.id < this.id ORDER BY before.id DESC LIMIT 1")))
        return std::nullopt;
    Query.addBindValue(Id);
    if (!Query.exec())
        return std::nullopt;
    if (!Query.next())
        return QByteArray();
    return Body(Query.value(0).toLongLong());
}

std::vector<TFeedVersion> THistoryStore::FeedVersions(int Limit)
{
    std::vector<TFeedVersion> Versions;
    QSqlQuery Query(FDatabase);
    Query.setForwardOnly(true);
    const bool Prepared = Query.prepare(
        QStringLiteral("SELECT id, source, time, %1, removed FROM versions WHERE source != ? "
                       "ORDER BY id DESC LIMIT ?")
            .arg(FFeedColumns ? QStringLiteral("address, news") : QStringLiteral("NULL, NULL")));
    Query.addBindValue(IndexSource);
    Query.addBindValue(Limit);
    if (!Prepared || !Query.exec()) {
        Fail(Query.lastError());
        return Versions;
    }
    std::vector<std::size_t> Unknown; // versions stored before their passages were kept
    while (Query.next()) {
        Versions.push_back({Query.value(0).toLongLong(), Query.value(1).toInt(), Query.value(2).toLongLong(),
                            Query.value(3).toString(), PassagesFromText(Query.value(4).toString()),
                            Query.value(5).toInt()});
        if (Query.value(4).isNull())
            Unknown.push_back(Versions.size() - 1);
    }
    Query.finish();
    for (const std::size_t Index : Unknown) {
        TFeedVersion& Version = Versions[Index];
        const std::optional<QByteArray> Before = PreviousBody(Version.Id);
        const std::optional<QByteArray> Bytes = Body(Version.Id);
        if (!Before || !Bytes)
            continue;
        const TPassageChange Change =
            ComparePassages(PassagesOf(Version.Source, *Before), PassagesOf(Version.Source, *Bytes));
        Version.New = Change.Added;
        Version.Removed = Change.Removed;
        if (FReadOnly || !FFeedColumns)
            continue;
        QSqlQuery Keep(FDatabase);
        if (!Keep.prepare(QStringLiteral("UPDATE versions SET news = ? WHERE id = ?")))
            continue;
        Keep.addBindValue(PassagesText(Change.Added));
        Keep.addBindValue(Version.Id);
        Keep.exec();
    }
    // A baseline is stored after its source's first version is asked for, with an older time.
    std::stable_sort(Versions.begin(), Versions.end(),
                     [](const TFeedVersion& A, const TFeedVersion& B) { return A.Time > B.Time; });
    return Versions;
}
