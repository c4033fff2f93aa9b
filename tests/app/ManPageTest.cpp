// Every option that --help prints has an entry of its own in the manual page's OPTIONS.
#include "ProgramRun.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(ManPage, EveryOptionOfTheHelpHasAnEntryInOptions)
{
    QFile File(QStringLiteral(TKW_MAN_PAGE));
    ASSERT_TRUE(File.open(QIODevice::ReadOnly)) << TKW_MAN_PAGE;
    const QString Page = QString::fromUtf8(File.readAll()).remove(QLatin1Char('\\'));
    const qsizetype Begin = Page.indexOf(QStringLiteral("\n.SH OPTIONS\n"));
    const QString Options = Page.mid(Begin, Page.indexOf(QStringLiteral("\n.SH "), Begin + 1) - Begin);
    // The entries' headlines: the line after each .TP.
    QStringList Documented;
    for (const auto& Match : QRegularExpression(QStringLiteral("\n\\.TP\n([^\n]*)")).globalMatch(Options))
        Documented << Match.captured(1);

    const TTempDir Dir;
    const TRun Help = RunProgram(Dir, {QStringLiteral("--help")});
    ASSERT_EQ(Help.Status, 0);
    QStringList Printed;
    for (const auto& Match : QRegularExpression(QStringLiteral("^ +(?:-[a-z], )?(--[a-z][a-z-]*)"),
                                                QRegularExpression::MultilineOption)
                                 .globalMatch(Help.Out))
        Printed << Match.captured(1);
    ASSERT_TRUE(Printed.contains(QStringLiteral("--check"))) << Help.Out.toStdString();
    for (const QString& Option : Printed)
        EXPECT_TRUE(std::any_of(Documented.begin(), Documented.end(),
                                [&](const QString& Headline) {
                                    return QRegularExpression(QRegularExpression::escape(Option) + "\\b(?!-)")
                                        .match(Headline)
                                        .hasMatch();
                                }))
            << Option.toStdString() << " has no entry in the manual page's OPTIONS";
}
