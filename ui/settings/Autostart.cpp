// The autostart entry.
#include "Autostart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <stdexcept>

namespace {
// A value of an Exec key, quoted as the desktop entry format asks.
QString Quoted(QString Value)
{
    Value.replace(QLatin1Char('\\'), QLatin1String("\\\\\\\\"));
    for (const char* Special : {"\"", "`", "$"})
        Value.replace(QLatin1String(Special), QLatin1String("\\\\") + QLatin1String(Special));
    Value.replace(QLatin1Char('%'), QLatin1String("%%"));
    return QLatin1Char('"') + Value + QLatin1Char('"');
}

// A value of a string key (an absolute path), escaped as the desktop entry format asks: a backslash
// doubled, a tab and a carriage return as \t and \r.
QString Escaped(QString Value)
{
    return Value.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('\t'), QLatin1String("\\t"))
        .replace(QLatin1Char('\r'), QLatin1String("\\r"));
}

[[noreturn]] void Fail(const QString& What, const QString& Why)
{
    throw std::runtime_error((What + QStringLiteral(": ") + Why).toStdString());
}
} // namespace

QString AutostartFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/tickerwell.desktop");
}

bool AutostartOn()
{
    return QFile::exists(AutostartFile());
}

void SetAutostart(bool On)
{
    const QString Path = AutostartFile();
    if (!On) {
        QFile Entry(Path);
        if (Entry.exists() && !Entry.remove())
            Fail(QStringLiteral("Nie można usunąć ") + Path, Entry.errorString());
        return;
    }
    // An entry is read line by line: a line feed would end the key there and could start another.
    for (const QString& Name : {QDir::currentPath(), QCoreApplication::applicationFilePath()})
        if (Name.contains(QLatin1Char('\n')))
            Fail(QStringLiteral("Nie można włączyć uruchamiania po zalogowaniu"),
                 QStringLiteral("nazwa %1 zawiera znak nowego wiersza, którego wpis autostartu nie może "
                                "przechować; zmień nazwę folderu")
                     .arg(Name));
    if (!QDir().mkpath(QFileInfo(Path).path()))
        Fail(QStringLiteral("Nie można utworzyć folderu ") + QFileInfo(Path).path(),
             QStringLiteral("brak dostępu"));
    QSaveFile Entry(Path);
    if (!Entry.open(QIODevice::WriteOnly))
        Fail(QStringLiteral("Nie można zapisać ") + Path, Entry.errorString());
    const QString Text =
        QStringLiteral("[Desktop Entry]\nType=Application\nName=Tickerwell\n"
                       "Exec=%1\nPath=%2\nIcon=tickerwell\nTerminal=false\n"
                       "X-GNOME-Autostart-enabled=true\n")
            .arg(Quoted(QCoreApplication::applicationFilePath()), Escaped(QDir::currentPath()));
    Entry.write(Text.toUtf8());
    if (!Entry.commit())
        Fail(QStringLiteral("Nie można zapisać ") + Path, Entry.errorString());
}
