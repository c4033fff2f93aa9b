// RunProgram: the real program run in a folder without a display; its output and exit status.
#pragma once

#include "TempDir.h"

#include <QProcess>

struct TRun
{
    int Status;
    QString Out;
    QString Err;
    // The block of source N (from 1), up to the blank line that ends it.
    QString Block(int N) const
    {
        const auto Begin = Out.indexOf(QStringLiteral("[%1] ").arg(N));
        return Begin < 0 ? QString() : Out.mid(Begin, Out.indexOf(QStringLiteral("\n\n"), Begin) - Begin);
    }
};

// In a UTF-8 locale, with Set's NAME=value entries added and Input on standard input; Status -1
// when it did not end by itself. Program may be a shell that starts it.
inline TRun RunProgram(const TTempDir& Dir, const QStringList& Arguments, const QStringList& Set = {},
                       const QString& Program = QStringLiteral(TKW_PROGRAM), const QByteArray& Input = {})
{
    QProcess Process;
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    Environment.remove(QStringLiteral("DISPLAY"));
    Environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    for (const QString& Entry : Set)
        Environment.insert(Entry.section(QLatin1Char('='), 0, 0), Entry.section(QLatin1Char('='), 1));
    Process.setProcessEnvironment(Environment);
    Process.setWorkingDirectory(QString::fromStdString(Dir.Path().string()));
    Process.start(Program, Arguments);
    Process.write(Input);
    Process.closeWriteChannel();
    if (!Process.waitForFinished(60000) || Process.exitStatus() != QProcess::NormalExit)
        return {-1, {}, {}};
    return {Process.exitCode(), QString::fromUtf8(Process.readAllStandardOutput()),
            QString::fromUtf8(Process.readAllStandardError())};
}
