// RunProgram: the real program, run in a folder of its own without a display; what it printed and
// its exit status.
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

// Runs the program in Dir without a display, in a UTF-8 locale, with the NAME=value entries of Set
// added to its environment; Status -1 when it did not end by itself.
inline TRun RunProgram(const TTempDir& Dir, const QStringList& Arguments, const QStringList& Set = {})
{
    QProcess Program;
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    Environment.remove(QStringLiteral("DISPLAY"));
    Environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    for (const QString& Entry : Set)
        Environment.insert(Entry.section(QLatin1Char('='), 0, 0), Entry.section(QLatin1Char('='), 1));
    Program.setProcessEnvironment(Environment);
    Program.setWorkingDirectory(QString::fromStdString(Dir.Path().string()));
    Program.start(QStringLiteral(TKW_PROGRAM), Arguments);
    if (!Program.waitForFinished(60000) || Program.exitStatus() != QProcess::NormalExit)
        return {-1, {}, {}};
    return {Program.exitCode(), QString::fromUtf8(Program.readAllStandardOutput()),
            QString::fromUtf8(Program.readAllStandardError())};
}
