// The shell's side of the refresh hand-over: one writer per page folder.
#include "RefreshHandOver.h"

#include "Command.h"
#include "PageFolder.h"
#include "SingleInstance.h"

#include <QCoreApplication>

std::optional<int> HandRefreshToWindow(const QList<int>& Sources)
{
    const std::optional<TRefreshReply> Reply =
        TSingleInstance::RequestRefresh(PageFolder(QCoreApplication::applicationDirPath()), Sources);
    if (!Reply)
        return std::nullopt;
    for (const QString& Line : Reply->Lines)
        Print(stdout, Line + QLatin1Char('\n'));
    if (!Reply->Error.isEmpty())
        Print(stderr, QStringLiteral("tickerwell: %1\n").arg(Reply->Error));
    return Reply->ExitCode;
}
