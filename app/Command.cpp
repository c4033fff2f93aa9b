// The shell commands' shared error lines, terminal text and argument bytes.
#include "Command.h"

#include "Application.h"
#include "Configuration.h"
#include "PageCharset.h"
#include "Windows1250.h"

#include <clocale>
#include <langinfo.h>

int UsageError(const QString& Message)
{
    Print(stderr, QStringLiteral("tickerwell: %1\nTry 'tickerwell --help'.\n").arg(Message));
    return UsageStatus;
}

int CommandError(int Status, const QString& Message)
{
    Print(stderr, QStringLiteral("tickerwell: %1\n").arg(Message));
    return Status;
}

void Print(std::FILE* Stream, const QString& Text)
{
    std::fputs(Utf8ToLocale(Text.toStdString()).c_str(), Stream);
}

int ConfigurationReadError(const std::string& FileName, const EInOutError& Error)
{
    Print(stderr, QStringLiteral("%1: %2\n")
                      .arg(QString::fromStdString(FileName),
                           TApplication::ErrorBoxText(QString::fromUtf8(Error.what()))));
    return 2;
}

void ErrorBoxesToStandardError()
{
    TApplication::SetErrorBoxHook([](const QString& Text) { Print(stderr, Text + QLatin1Char('\n')); });
}

QString ArgumentFromBytes(const char* Bytes)
{
    return QString::fromLatin1(Bytes);
}

std::string ArgumentBytes(const QString& Argument)
{
    return Argument.toLatin1().toStdString();
}

QString ArgumentText(const QString& Argument)
{
    return QString::fromUtf8(Argument.toLatin1());
}

int SourceIdArgument(const QString& Argument)
{
    bool Number = false;
    const int Id = Argument.toInt(&Number);
    return Number && Id > 0 && QString::number(Id) == Argument ? Id : 0;
}

std::string ArgumentCharset()
{
    const std::string Charset = nl_langinfo(CODESET);
    return Charset == "ANSI_X3.4-1968" ? "UTF-8" : Charset;
}

std::optional<std::string> ArgumentUtf8(const QString& Argument)
{
    return Recode(ArgumentBytes(Argument), ArgumentCharset(), "UTF-8");
}

int NoTextError(const QString& Option)
{
    return UsageError(
        QStringLiteral("%1: wartość nie jest tekstem w kodowaniu %2 (ustawienia regionalne „%3”)")
            .arg(Option, QString::fromStdString(ArgumentCharset()),
                 QString::fromLocal8Bit(std::setlocale(LC_CTYPE, nullptr))));
}
