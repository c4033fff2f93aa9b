// THistoryStore: the stored versions of every source's section in one SQLite file shared by all
// program folders, each row marked with its folder. Used from one thread only.
#pragma once

#include "PassageDiff.h"
#include "SourceTable.h"

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <optional>
#include <sys/types.h>
#include <utility>
#include <vector>

struct TVersionInfo
{
    qint64 Id = 0;
    int Source = 0;
    qint64 Time = 0; // seconds since the epoch, UTC
    qint64 Size = 0; // bytes of the page file
    int Added = 0;   // passages new against the version before it
    int Removed = 0; // passages gone against the version before it
};

// A page file found on disk before the source's first stored version.
struct TBaseline
{
    QByteArray Bytes;
    qint64 Time = 0; // its modification time
};

struct TAddResult
{
    bool Stored = false;  // false when the bytes equal the newest version, or on error
    bool First = false;   // the source had no version before, nor a baseline
    QStringList Previous; // passages of the newest version before this one
    QStringList Passages; // passages of the given bytes
    QString Error;        // why the version could not be stored, in Polish; empty when it could
    QString MovedAside;   // where a corrupt database was moved since the last Add; empty when none was
    QStringList New;      // a stored version's passages new against the version before it
    int Removed = 0;      // and the number of that version's passages it no longer has
};

// A stored version as the feed of changes shows it.
struct TFeedVersion
{
    qint64 Id = 0;
    int Source = 0;
    qint64 Time = 0;
    QString Address; // the source's address when it was stored; empty when not known
    QStringList New; // passages new against the version before it
    int Removed = 0;
};

class THistoryStore
{
public:
    static constexpr int MaxVersions = 2000;
    static constexpr int DefaultKeepDays = 365;

    // The database of this user: tickerwell/history.sqlite under $XDG_DATA_HOME.
    static QString DefaultPath();

    // Opens the database at Path for the rows of program folder Folder, creating it where there is
    // none. A file that is no SQLite database or fails its check is renamed aside to
    // "<name>.corrupt-<date-time>" (with its journal files) and a new one is started. ReadOnly opens
    // an existing file without changing anything.
    THistoryStore(const QString& Path, const QString& Folder, bool ReadOnly = false);
    ~THistoryStore();
    THistoryStore(const THistoryStore&) = delete;
    THistoryStore& operator=(const THistoryStore&) = delete;

    // Why the database cannot be used, in Polish; empty while it can. An unusable database is
    // opened again at the next Add.
    const QString& Error() const { return FError; }
    // Where a corrupt file was moved on opening; empty when none was.
    const QString& MovedAside() const { return FMovedAside; }

    // Stores Bytes as Source's newest version at Time unless they equal the newest stored version.
    // Opens the database again first when it failed, or when the file at Path is no longer the one
    // open (another copy moved it aside).
    // Baseline is stored first when the source has no version yet. Keeps at most MaxVersions per
    // source and drops those older than the days kept, except the newest. Address is the source's
    // address, kept for the feed of changes, which is written anew beside the database. Compare, when
    // given, finds the passages new and gone in place of ComparePassages (a source's rules), and
    // Bytes in which it finds no change count as the newest version too.
    TAddResult Add(int Source, const QByteArray& Bytes, qint64 Time,
                   const std::optional<TBaseline>& Baseline = {}, const QString& Address = {},
                   const std::function<TPassageChange(const QStringList&, const QStringList&)>& Compare = {});
    // How many days back versions are kept from the next stored version on.
    void SetKeepDays(int Days) { FKeepDays = Days; }

    // The versions of Source (all sources for -1), newest first.
    std::vector<TVersionInfo> Versions(int Source = -1);
    // The page-file bytes of version Id, and of the version of its source before it (empty when none).
    std::optional<QByteArray> Body(qint64 Id);
    std::optional<QByteArray> PreviousBody(qint64 Id);
    // The newest Limit versions of every program folder's page sources (the index source's
    // addresses left out), newest first. Versions stored before their passages were kept get them
    // compared from their bodies, and kept where the database may be written.
    std::vector<TFeedVersion> FeedVersions(int Limit);

private:
    bool Open();
    bool Replaced() const;
    void Close();
    bool Exec(const QString& Statement);
    void Fail(const class QSqlError& Error);
    bool AddColumns();
    bool CountFeedColumns();
    std::optional<qint64> Insert(int Source, const QByteArray& Bytes, qint64 Time, const QStringList& New,
                                 int Removed, const QString& Address);
    void Prune(int Source);

    // The newest stored version of a source, as last read or written.
    struct TNewest
    {
        qint64 Id = 0;
        QByteArray Bytes;
        QStringList Passages;
    };
    // Throws QSqlError.
    TNewest Newest(int Source);

    QString FPath;
    QString FFolder;
    bool FReadOnly;
    bool FFeedColumns = false; // the file has the columns of the feed (older files lack them)
    int FKeepDays = DefaultKeepDays;
    QString FConnection;
    QSqlDatabase FDatabase;
    QString FError;
    QString FMovedAside;
    QString FUntoldAside;                           // moved aside, not yet in a TAddResult
    std::optional<std::pair<dev_t, ino_t>> FOpened; // device and inode of the file opened
    std::map<int, TNewest> FNewest;
};
