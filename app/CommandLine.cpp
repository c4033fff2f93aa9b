// The command-line options and their short errors.
#include "CommandLine.h"

#include "ConfigCheck.h"
#include "Configuration.h"
#include "Windows1250.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <cstring>

namespace {
const QCommandLineOption CheckOption(QStringLiteral("check"),
                                     QStringLiteral("Check the configuration FILE (default: dane.txt in the "
                                                    "working directory): download every source and look for "
                                                    "its markers, without a window."));

void SetUp(QCommandLineParser& Parser)
{
    Parser.setApplicationDescription(
        QStringLiteral("Tickerwell: Polish stock-market and futures commentary, kept up to date. "
                       "Without options it opens its window."));
    Parser.addHelpOption();
    Parser.addVersionOption();
    Parser.addOption(CheckOption);
    Parser.addOption({QStringLiteral("set-source"),
                      QStringLiteral("Write source N's lines (1-5, in tab order) of dane.txt in the working "
                                     "directory: --address URL, --start TEXT, --end TEXT."),
                      QStringLiteral("N")});
    Parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("The configuration file for --check."),
                                 QStringLiteral("[FILE]"));
}

void Print(std::FILE* Stream, const QString& Text)
{
    std::fputs(Utf8ToLocale(Text.toStdString()).c_str(), Stream);
}

int Fail(const QString& Message)
{
    Print(stderr, QStringLiteral("tickerwell: %1\nTry 'tickerwell --help'.\n").arg(Message));
    return 2;
}
} // namespace

bool AsksForCommandLine(int argc, char** argv)
{
    for (int I = 1; I < argc; ++I)
        for (const char* Option : {"--check", "--help", "-h", "-?", "--help-all", "--version", "-v"})
            if (std::strcmp(argv[I], Option) == 0)
                return true;
    return false;
}

int RunCommandLine(int argc, char** argv)
{
    QCoreApplication Application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tickerwell"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TICKERWELL_VERSION));
    QCommandLineParser Parser;
    SetUp(Parser);
    if (!Parser.parse(QCoreApplication::arguments()))
        return Fail(Parser.errorText());
    if (Parser.isSet(QStringLiteral("help")) || Parser.isSet(QStringLiteral("help-all"))) {
        const QString Help = Parser.helpText();
        Print(stdout, Help.endsWith(QLatin1Char('\n')) ? Help : Help + QLatin1Char('\n'));
        return 0;
    }
    if (Parser.isSet(QStringLiteral("version"))) {
        Print(stdout, QStringLiteral("tickerwell %1\n").arg(QCoreApplication::applicationVersion()));
        return 0;
    }
    const QStringList Files = Parser.positionalArguments();
    if (Files.size() > 1)
        return Fail(QStringLiteral("--check takes one FILE, not %1.").arg(Files.size()));
    const QString File = Files.value(0, QString::fromLatin1(ConfigurationFileName));
    return RunConfigCheck(QFile::encodeName(File).toStdString());
}

int RejectArguments(const QStringList& Arguments)
{
    if (Arguments.size() <= 1)
        return 0;
    QCommandLineParser Parser;
    SetUp(Parser);
    if (!Parser.parse(Arguments))
        return Fail(Parser.errorText());
    return Fail(QStringLiteral("Unexpected argument '%1': a FILE goes with --check.").arg(Arguments.at(1)));
}
