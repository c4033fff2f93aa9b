// The shell's side of the refresh hand-over: one writer per page folder.
#include "RefreshHandOver.h"

#include "Command.h"
#include "PageFolder.h"
#include "SingleInstance.h"

#include <QCoreApplication>
#include <cstdio>

std::optional<int> HandRefreshToWindow(const QList<int>& Sources)
{
    const std::optional<TRefreshReply> Reply =
        TSingleInstance::RequestRefresh(PageFolder(QCoreApplication::applicationDirPath()), Sources);
    if (!Reply)
        return std::nullopt;
    // In UTF-8 whatever the locale, as the refresh without a window prints them.
    for (const QString& Line : Reply->Lines)
        std::fputs((Line + QLatin1Char('\n')).toUtf8().constData(), stdout);
    if (!Reply->Error.isEmpty())
        Print(stderr, QStringLiteral("tickerwell: %1\n").arg(Reply->Error));
    return Reply->ExitCode;
}
