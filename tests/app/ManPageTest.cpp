// The manual page against the program: every option that --help prints has an entry of its own in
// the page's OPTIONS, so that an option added without its documentation fails here.
#include "ProgramRun.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {
// The text of a section of the page, up to the next section heading.
QString Section(const QString& Page, const QString& Name)
{
    const qsizetype Begin = Page.indexOf(QStringLiteral("\n.SH ") + Name + QLatin1Char('\n'));
    if (Begin < 0)
        return {};
    const qsizetype End = Page.indexOf(QStringLiteral("\n.SH "), Begin + 1);
    return Page.mid(Begin, End < 0 ? -1 : End - Begin);
}

// The long options named in the headlines (the line after each .TP) of Text.
QSet<QString> HeadlineOptions(const QString& Text)
{
    QSet<QString> Options;
    const QStringList Lines = Text.split(QLatin1Char('\n'));
    for (qsizetype Line = 1; Line < Lines.size(); ++Line) {
        if (Lines[Line - 1] != QLatin1String(".TP"))
            continue;
        const QString Headline = QString(Lines[Line]).remove(QLatin1Char('\\'));
        for (const auto& Match : QRegularExpression(QStringLiteral("--([a-z][a-z-]*)")).globalMatch(Headline))
            Options << Match.captured(1);
    }
    return Options;
}
} // namespace

TEST(ManPage, NamesEveryOptionOfTheHelpItsFilesAndItsEnvironment)
{
    QFile File(QStringLiteral(TKW_MAN_PAGE));
    ASSERT_TRUE(File.open(QIODevice::ReadOnly)) << TKW_MAN_PAGE;
    const QString Page = QString::fromUtf8(File.readAll());

    const TTempDir Dir;
    const TRun Help = RunProgram(Dir, {QStringLiteral("--help")});
    ASSERT_EQ(Help.Status, 0);
    QSet<QString> Printed;
    for (const auto& Match : QRegularExpression(QStringLiteral("^ +(?:-[a-z], )?--([a-z][a-z-]*)"),
                                                QRegularExpression::MultilineOption)
                                 .globalMatch(Help.Out))
        Printed << Match.captured(1);
    ASSERT_TRUE(Printed.contains(QStringLiteral("check"))) << Help.Out.toStdString();
    const QSet<QString> Documented = HeadlineOptions(Section(Page, QStringLiteral("OPTIONS")));
    for (const QString& Option : Printed)
        EXPECT_TRUE(Documented.contains(Option))
            << "--" << Option.toStdString() << " has no entry in OPTIONS";

    const QString Files = Section(Page, QStringLiteral("FILES"));
    for (const char* Name : {"dane.txt", "dane.txt.bak", "history.sqlite", "XDG_DATA_HOME/tickerwell"})
        EXPECT_TRUE(Files.contains(QLatin1String(Name))) << Name << " is not among the FILES";
    EXPECT_TRUE(
        Section(Page, QStringLiteral("ENVIRONMENT")).contains(QStringLiteral("TICKERWELL_QUOTES_SERVER")));
    const QString Status = Section(Page, QStringLiteral("EXIT STATUS"));
    for (const char* Option : {"check", "history", "set\\-source"})
        EXPECT_TRUE(Status.contains(QStringLiteral(".BR \\-\\-") + QLatin1String(Option)))
            << Option << " has no exit status";
}
