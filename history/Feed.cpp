// The feed of changes, written with QXmlStreamWriter.
#include "Feed.h"

#include "PageFile.h"
#include "SourceCaptions.h"
#include "Windows1250.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamWriter>
#include <algorithm>
#include <cstdio>
#include <system_error>

namespace {
constexpr qsizetype TitleLength = 80; // of the new passage that follows the caption in a title
const QString AtomNamespace = QStringLiteral("http://www.w3.org/2005/Atom");
// The authority and date of the tag: URIs that name the feed and its entries.
const QString TagPrefix = QStringLiteral("tag:tkw.example.org,2026:");

// Text without the characters XML 1.0 does not allow: control characters other than tab and line
// ends, unpaired surrogates, U+FFFE and U+FFFF.
QString XmlText(const QString& Text)
{
    QString Clean;
    Clean.reserve(Text.size());
    for (qsizetype I = 0; I < Text.size(); ++I) {
        const QChar C = Text[I];
        if (C.isHighSurrogate() && I + 1 < Text.size() && Text[I + 1].isLowSurrogate()) {
            Clean += C;
            Clean += Text[++I];
            continue;
        }
        const char16_t Code = C.unicode();
        if ((Code < 0x20 && Code != u'\t' && Code != u'\n' && Code != u'\r') || C.isSurrogate() ||
            Code == 0xFFFE || Code == 0xFFFF)
            continue;
        Clean += C;
    }
    return Clean;
}

// Text cut to Length characters, the last of them an ellipsis when it was longer; a surrogate pair
// is never split.
QString Cut(const QString& Text, qsizetype Length)
{
    if (Text.size() <= Length)
        return Text;
    qsizetype Kept = Length - 1;
    if (Text[Kept - 1].isHighSurrogate())
        --Kept;
    return Text.left(Kept) + QChar(0x2026);
}

// RFC 3339 with the local offset, as "2026-12-07T14:05:00+01:00" ("Z" at UTC).
QString Rfc3339(qint64 Time)
{
    const QDateTime Local = QDateTime::fromSecsSinceEpoch(Time);
    return Local.toOffsetFromUtc(Local.offsetFromUtc()).toString(Qt::ISODate);
}

// The new passages as a list and the count of removed ones, as HTML.
QString ContentHtml(const TFeedVersion& Version)
{
    QString Html;
    if (!Version.New.isEmpty()) {
        Html += QStringLiteral("<ul>");
        for (const QString& Passage : Version.New)
            Html += QStringLiteral("<li>") + XmlText(Passage).toHtmlEscaped() + QStringLiteral("</li>");
        Html += QStringLiteral("</ul>");
    }
    return Html + QStringLiteral("<p>Usunięte fragmenty: %1</p>").arg(Version.Removed);
}

// The sources file for the captions of one's own sources, read only when a version is theirs; a broken
// file names them by their ids.
TSourcesFile OwnSourcesOf(const std::vector<TFeedVersion>& Versions)
{
    if (std::ranges::any_of(Versions,
                            [](const TFeedVersion& Version) { return IsOwnSource(Version.Source); }))
        try {
            return LoadSourcesFile(OwnSourcesFileName);
        } catch (const ESourcesFile&) {
        }
    return {};
}

void WriteEntry(QXmlStreamWriter& Xml, const TFeedVersion& Version, const TSourcesFile& Sources)
{
    const QString Caption = QString::fromUtf8(SourceCaption(Version.Source, Sources));
    Xml.writeStartElement(QStringLiteral("entry"));
    // A version without new passages is titled by what it lost, or by its markup alone.
    const QString What = !Version.New.isEmpty() ? Cut(XmlText(Version.New.front()), TitleLength)
                         : Version.Removed > 0 ? QStringLiteral("usunięte fragmenty: %1").arg(Version.Removed)
                                               : QStringLiteral("zmiana bez nowego tekstu");
    Xml.writeTextElement(QStringLiteral("title"), Caption + QStringLiteral(": ") + What);
    if (!Version.Address.isEmpty()) {
        Xml.writeEmptyElement(QStringLiteral("link"));
        Xml.writeAttribute(QStringLiteral("href"), XmlText(Version.Address));
    }
    Xml.writeTextElement(QStringLiteral("id"),
                         TagPrefix + QStringLiteral("version-%1-%2").arg(Version.Id).arg(Version.Time));
    Xml.writeTextElement(QStringLiteral("updated"), Rfc3339(Version.Time));
    Xml.writeStartElement(QStringLiteral("content"));
    Xml.writeAttribute(QStringLiteral("type"), QStringLiteral("html"));
    Xml.writeCharacters(ContentHtml(Version));
    Xml.writeEndElement();
    Xml.writeEndElement();
}
} // namespace

QString FeedPath(const QString& Database)
{
    return QFileInfo(Database).absolutePath() + QStringLiteral("/zmiany.atom");
}

QByteArray BuildFeed(const std::vector<TFeedVersion>& Versions, qint64 Now)
{
    QByteArray Feed;
    QXmlStreamWriter Xml(&Feed);
    Xml.setAutoFormatting(true);
    Xml.writeStartDocument();
    Xml.writeDefaultNamespace(AtomNamespace);
    Xml.writeStartElement(AtomNamespace, QStringLiteral("feed"));
    Xml.writeTextElement(QStringLiteral("title"), QStringLiteral("Tickerwell: zmiany"));
    Xml.writeTextElement(QStringLiteral("id"), TagPrefix + QStringLiteral("zmiany"));
    Xml.writeTextElement(QStringLiteral("updated"), Rfc3339(Versions.empty() ? Now : Versions.front().Time));
    Xml.writeStartElement(QStringLiteral("author"));
    Xml.writeTextElement(QStringLiteral("name"), QStringLiteral("Tickerwell"));
    Xml.writeEndElement();
    Xml.writeTextElement(QStringLiteral("generator"), QStringLiteral("Tickerwell"));
    const TSourcesFile Sources = OwnSourcesOf(Versions);
    for (const TFeedVersion& Version : Versions)
        WriteEntry(Xml, Version, Sources);
    Xml.writeEndDocument();
    return Feed;
}

QString WriteFeed(THistoryStore& Store, const QString& Path)
{
    const std::vector<TFeedVersion> Versions = Store.FeedVersions(FeedLength);
    if (!Store.Error().isEmpty())
        return Store.Error();
    // No disk flush: the feed is made anew from the database after every version, and a rename over
    // the old file never shows a reader half a feed.
    const QByteArray Feed = BuildFeed(Versions, QDateTime::currentSecsSinceEpoch());
    try {
        WritePageFile(QFile::encodeName(Path).toStdString(),
                      {Feed.constData(), static_cast<std::size_t>(Feed.size())});
    } catch (const std::system_error& Error) {
        return QStringLiteral("nie można zapisać %1: %2")
            .arg(Path, QString::fromLocal8Bit(Error.code().message()));
    }
    return {};
}

int RunFeed(const QString& Database, std::FILE* Out, std::FILE* Errors)
{
    std::vector<TFeedVersion> Versions;
    if (QFileInfo::exists(Database)) {
        THistoryStore Store(Database, QString(), true);
        if (Store.Error().isEmpty())
            Versions = Store.FeedVersions(FeedLength);
        if (!Store.Error().isEmpty()) {
            const QString Message =
                QStringLiteral("tickerwell: historia niedostępna: %1\n").arg(Store.Error());
            std::fputs(Utf8ToLocale(Message.toStdString()).c_str(), Errors);
            return 2;
        }
    }
    if (Versions.empty())
        std::fputs(Utf8ToLocale("tickerwell: brak zapisanych wersji\n").c_str(), Errors);
    const QByteArray Feed = BuildFeed(Versions, QDateTime::currentSecsSinceEpoch());
    std::fwrite(Feed.constData(), 1, static_cast<std::size_t>(Feed.size()), Out);
    return 0;
}
