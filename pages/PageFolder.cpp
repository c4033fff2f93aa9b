// The page folder: the program's own folder where writable, else the user's data folder.
#include "PageFolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <unistd.h>

QString PageFolder(const QString& ProgramDir)
{
    // access() asks the kernel, so a read-only mount and the user's groups count as they will
    // when the page file is written.
    if (access(QFile::encodeName(ProgramDir).constData(), W_OK | X_OK) == 0)
        return ProgramDir;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/tickerwell");
}

QString MakePageFolder(const QString& ProgramDir)
{
    const QString Folder = PageFolder(ProgramDir);
    if (Folder != ProgramDir)
        QDir().mkpath(Folder);
    return Folder;
}
