// The history store's columns that the feed of changes reads: the source's address and the new
// passages of each version, added to a file made before the feed.
#include "HistoryStore.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

bool THistoryStore::AddColumns()
{
    if (!CountFeedColumns())
        return false;
    if (FFeedColumns || FReadOnly)
        return true;
    // Under the write lock and counted again there: two copies that open an older file at once
    // add the columns once.
    if (!Exec(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    const bool Added =
        CountFeedColumns() &&
        (FFeedColumns || (Exec(QStringLiteral("ALTER TABLE versions ADD COLUMN address TEXT")) &&
                          Exec(QStringLiteral("ALTER TABLE versions ADD COLUMN news TEXT")))) &&
        Exec(QStringLiteral("COMMIT"));
    if (!Added)
        QSqlQuery(QStringLiteral("ROLLBACK"), FDatabase);
    FFeedColumns = Added;
    return Added;
}

// Whether the versions have the feed's columns, in FFeedColumns; false when the file cannot say.
bool THistoryStore::CountFeedColumns()
{
    QSqlQuery Query(FDatabase);
    if (!Query.exec(QStringLiteral("SELECT count(*) FROM pragma_table_info('versions') WHERE name IN "
                                   "('address', 'news')")) ||
        !Query.next()) {
        Fail(Query.lastError());
        return false;
    }
    FFeedColumns = Query.value(0).toInt() == 2;
    return true;
}
