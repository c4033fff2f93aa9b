// The shell commands' shared error line, terminal text and argument bytes.
#include "Command.h"

#include "Windows1250.h"

int UsageError(const QString& Message)
{
    Print(stderr, QStringLiteral("tickerwell: %1\nTry 'tickerwell --help'.\n").arg(Message));
    return UsageStatus;
}

void Print(std::FILE* Stream, const QString& Text)
{
    std::fputs(Utf8ToLocale(Text.toStdString()).c_str(), Stream);
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
