// The history listing: one query over the stored versions, counts included, bodies untouched.
#include "HistoryList.h"

#include "HistoryStore.h"
#include "SourceCaptions.h"
#include "Windows1250.h"

#include <QDateTime>
#include <QFileInfo>

int RunHistoryList(const QString& Database, const QString& ProgramDir, int Source, std::FILE* Out,
                   std::FILE* Errors)
{
    const auto Tell = [Errors](const QString& Message) {
        std::fputs(Utf8ToLocale(QStringLiteral("tickerwell: %1\n").arg(Message).toStdString()).c_str(),
                   Errors);
    };
    // An empty listing says where it looked, so that a wrong folder or database shows.
    const QString None =
        QStringLiteral("brak zapisanych wersji stron z folderu %1 w %2").arg(ProgramDir, Database);
    // No file yet: nothing has been stored.
    if (!QFileInfo::exists(Database)) {
        Tell(None);
        return 0;
    }
    THistoryStore Store(Database, ProgramDir, true);
    std::vector<TVersionInfo> Versions;
    if (Store.Error().isEmpty())
        Versions = Store.Versions(Source);
    if (!Store.Error().isEmpty()) {
        Tell(QStringLiteral("historia niedostępna: %1").arg(Store.Error()));
        return 2;
    }
    if (Versions.empty())
        Tell(None);
    // Captions of one's own sources from the file; a removed one's versions are listed by its id.
    TSourcesFile Sources;
    try {
        Sources = LoadSourcesFile(OwnSourcesFileName);
    } catch (const ESourcesFile& Error) {
        Tell(QString::fromStdString(Error.what()));
    }
    std::string Lines;
    for (const TVersionInfo& Version : Versions)
        Lines += QStringLiteral("%1\t%2\t%3\t+%4 -%5\n")
                     .arg(QDateTime::fromSecsSinceEpoch(Version.Time)
                              .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                          QString::fromUtf8(SourceCaption(Version.Source, Sources)))
                     .arg(Version.Size)
                     .arg(Version.Added)
                     .arg(Version.Removed)
                     .toStdString();
    std::fputs(Utf8ToLocale(Lines).c_str(), Out);
    return 0;
}
