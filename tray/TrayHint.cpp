// The tray tooltip's lines put together.
#include "TrayHint.h"

#include "NtfyIcon.h"

#include <QStringList>

TTrayHint::TTrayHint(TNotificationIcon* Tray) : QObject(Tray), FTray(Tray) {}

TTrayHint* TTrayHint::Of(TNotificationIcon* Tray)
{
    if (auto* Hint = Tray->findChild<TTrayHint*>(QString(), Qt::FindDirectChildrenOnly))
        return Hint;
    return new TTrayHint(Tray);
}

void TTrayHint::Set(THintLine Line, const QString& Text)
{
    FLines[std::size_t(Line)] = Text;
    QStringList Shown;
    for (const QString& Each : FLines)
        if (!Each.isEmpty())
            Shown << Each;
    FTray->SetHint(Shown.join(QLatin1Char('\n')));
}
