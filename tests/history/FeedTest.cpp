// The feed of changes, read by Debian's python3-feedparser.
#include "Feed.h"
#include "HistoryStore.h"
#include "TempDir.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <gtest/gtest.h>

namespace {
// The entries feedparser reads in the feed at Path (title, link, id, time, content); a feed it finds
// malformed fails the test.
QJsonArray FeedEntries(const QString& Path)
{
    QProcess Python;
    // Debian's interpreter, whose modules the package installs.
    Python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral(R"(
import calendar, feedparser, json, sys
d = feedparser.parse(sys.argv[1])
print(json.dumps({"bozo": d.bozo, "error": str(d.get("bozo_exception", "")),
                  "entries": [{"title": e.title, "link": e.get("link", ""), "id": e.id,
                               "updated": calendar.timegm(e.updated_parsed),
                               "content": e.content[0].value} for e in d.entries]}))
)"),
                                                      Path});
    const bool Ran = Python.waitForFinished(60000) && Python.exitCode() == 0;
    const QJsonObject Parsed = QJsonDocument::fromJson(Python.readAllStandardOutput()).object();
    EXPECT_TRUE(Ran && Parsed["bozo"].toInt() == 0)
        << Python.readAllStandardError().toStdString() << Parsed["error"].toString().toStdString();
    return Parsed["entries"].toArray();
}

QByteArray Page(const QStringList& Passages)
{
    QByteArray Bytes = "<html><head><meta charset=\"utf-8\"></head><body>";
    for (const QString& Passage : Passages)
        Bytes += "<p>" + Passage.toUtf8() + "</p>";
    return Bytes + "</body></html>";
}

class TFeedTest : public testing::Test
{
protected:
    QString Database() const { return QString::fromStdString(Dir.Dir() + "history.sqlite"); }
    QString Feed() const { return QString::fromStdString(Dir.Dir() + "zmiany.atom"); }
    TTempDir Dir;
    const qint64 Noon = QDateTime(QDate(2026, 3, 2), QTime(12, 0), Qt::UTC).toSecsSinceEpoch();
};

TEST_F(TFeedTest, HostilePassagesComeOutAsTextInAFeedTheParserReadsInOrder)
{
    const QString Long = QString(90, QLatin1Char('x')) + QStringLiteral("😀");
    // Source, passages as the page holds them (entities and all), address.
    const std::tuple<int, QStringList, QString> Versions[] = {
        {0, {"Sesja &amp; kurs", "Stary"}, "https://example.org/a?x=1&y=2"},
        {3, {"&lt;script&gt;alert(1)&lt;/script&gt;", "]]&gt; koniec"}, "http://d/"},
        {0,
         {"Sesja &amp; kurs", QStringLiteral("Za\x01\x1f\u00bfółć &#1;&#65535;")},
         "https://example.org/a?x=1&y=2"},
        {1, {Long}, QString()},
    };
    {
        THistoryStore Store(Database(), QStringLiteral("/prog/"));
        int I = 0;
        for (const auto& [Source, Passages, Address] : Versions)
            ASSERT_TRUE(Store.Add(Source, Page(Passages), Noon + 60 * I++, {}, Address).Stored);
        // The index source's versions are addresses, not commentary: they stay out.
        ASSERT_TRUE(Store.Add(IndexSource, "https://q/?sesid=1", Noon + 600, {}, "http://i/").Stored);
    }
    const QJsonArray Entries = FeedEntries(Feed());
    ASSERT_EQ(Entries.size(), 4) << QJsonDocument(Entries).toJson().toStdString();
    // Title, link, content.
    const std::array<QString, 3> Expected[] = {
        {"Stormer Futures: " + QString(79, QLatin1Char('x')) + QChar(0x2026), "",
         "<ul><li>" + Long + "</li></ul><p>Usunięte fragmenty: 0</p>"},
        // &#1; reads as U+FFFD, as in a browser; the control characters and U+FFFF are left out.
        {QStringLiteral("Wirek & Borta: Za\u00bfółć \ufffd"), "https://example.org/a?x=1&y=2",
         QStringLiteral("<ul><li>Za\u00bfółć \ufffd</li></ul><p>Usunięte fragmenty: 1</p>")},
        {"doakcji.pl: <script>alert(1)</script>", "http://d/",
         "<ul><li>&lt;script&gt;alert(1)&lt;/script&gt;</li><li>]]&gt; koniec</li></ul><p>Usunięte "
         "fragmenty: 0</p>"},
        {"Wirek & Borta: Sesja & kurs", "https://example.org/a?x=1&y=2",
         "<ul><li>Sesja &amp; kurs</li><li>Stary</li></ul><p>Usunięte fragmenty: 0</p>"},
    };
    for (int I = 0; I < 4; ++I) {
        const QJsonObject Entry = Entries[I].toObject();
        const auto& [Title, Link, Content] = Expected[I];
        EXPECT_EQ(Entry["title"].toString().toStdString(), Title.toStdString()) << I;
        // Without an address the entry has no link (the parser then offers its id).
        if (!Link.isEmpty()) {
            EXPECT_EQ(Entry["link"].toString().toStdString(), Link.toStdString()) << I;
        }
        EXPECT_EQ(Entry["content"].toString().toStdString(), Content.toStdString()) << I;
        EXPECT_EQ(Entry["updated"].toInteger(), Noon + (3 - I) * 60) << "entries newest first";
        EXPECT_TRUE(Entry["id"].toString().startsWith("tag:")) << Entry["id"].toString().toStdString();
    }
}

TEST_F(TFeedTest, HoldsTheNewestHundredAndComparesVersionsStoredBeforeTheFeed)
{
    // A database of the release before: no address, no passages kept with the versions.
    {
        QSqlDatabase Old = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
        Old.setDatabaseName(Database());
        ASSERT_TRUE(Old.open());
        QSqlQuery Query(Old);
        ASSERT_TRUE(
            Query.exec("CREATE TABLE versions (id INTEGER PRIMARY KEY, folder TEXT NOT NULL, source "
                       "INTEGER NOT NULL, time INTEGER NOT NULL, size INTEGER NOT NULL, added INTEGER "
                       "NOT NULL, removed INTEGER NOT NULL, body BLOB NOT NULL)"));
        for (const auto& [Time, Text] :
             {std::pair{Noon, "<p>a</p><p>b</p>"}, {Noon + 1, "<p>b</p><p>c</p>"}}) {
            Query.prepare("INSERT INTO versions (folder, source, time, size, added, removed, body) VALUES "
                          "('/prog/', 2, ?, 0, 0, 0, ?)");
            Query.addBindValue(Time);
            Query.addBindValue(qCompress(QByteArray(Text)));
            ASSERT_TRUE(Query.exec());
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("old"));
    {
        THistoryStore Reader(Database(), QString(), true);
        const std::vector<TFeedVersion> Versions = Reader.FeedVersions(FeedLength);
        ASSERT_EQ(Versions.size(), 2u);
        EXPECT_EQ(Versions[0].New, QStringList{"c"});
        EXPECT_EQ(Versions[0].Removed, 1);
        EXPECT_EQ(Versions[1].New, (QStringList{"a", "b"}));
    }
    THistoryStore Store(Database(), QStringLiteral("/prog/"));
    for (int I = 0; I < FeedLength; ++I)
        ASSERT_TRUE(Store.Add(I % 2, Page({QString::number(I)}), Noon + 10 + I, {}, "http://x/").Stored);
    const QJsonArray Entries = FeedEntries(Feed());
    ASSERT_EQ(Entries.size(), FeedLength);
    EXPECT_EQ(Entries.first()["title"].toString(), "Stormer Futures: 99");
    EXPECT_EQ(Entries.last()["title"].toString(), "Wirek & Borta: 0") << "the old versions have gone";

    // A feed that cannot be replaced costs the version nothing and leaves no temporary file behind.
    ASSERT_TRUE(QFile::remove(Feed()));
    std::filesystem::create_directory(Feed().toStdString());
    EXPECT_TRUE(Store.Add(0, Page({"after"}), Noon + 500).Stored);
    for (const auto& Entry : std::filesystem::directory_iterator(Dir.Path()))
        EXPECT_FALSE(Entry.path().filename().string().starts_with(".zmiany.atom."))
            << Entry.path().filename().string();
}
} // namespace
