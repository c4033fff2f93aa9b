// The per-source state of refreshes and the warning about a page's markers.
#include "SourceState.h"

void TSourceState::Fail(const QString& Time, const QString& Reason)
{
    LastAttempt = Time;
    Failure = Reason;
}

void TSourceState::Succeed(const QString& Time, const QString& PageWarning, bool Changed)
{
    LastAttempt = LastSuccess = Time;
    Failure.clear();
    Warning = PageWarning;
    Unseen = Unseen || Changed;
}

TSourceMark TSourceState::Mark() const
{
    if (!Failure.isEmpty())
        return TSourceMark::Failed;
    if (Unseen)
        return TSourceMark::Changed;
    return Warning.isEmpty() ? TSourceMark::None : TSourceMark::Warning;
}

QString TSourceState::Tooltip() const
{
    if (LastAttempt.isEmpty())
        return {};
    if (!Failure.isEmpty())
        return Failure + QStringLiteral(" (") + LastAttempt + QStringLiteral("); ") +
               (LastSuccess.isEmpty() ? QStringLiteral("jeszcze bez udanej aktualizacji")
                                      : QStringLiteral("ostatnia udana aktualizacja ") + LastSuccess);
    QString Text = QStringLiteral("Ostatnia aktualizacja ") + LastSuccess;
    if (Unseen)
        Text += QStringLiteral("; strona zmieniła się");
    if (!Warning.isEmpty())
        Text += QStringLiteral("; ostrzeżenie: ") + Warning;
    return Text;
}

QString MarkerWarning(const TMarkerPositions& At)
{
    if (At.Start == 0)
        return QStringLiteral("nie znaleziono znacznika początku na stronie");
    if (At.End == 0)
        return QStringLiteral("nie znaleziono znacznika końca na stronie");
    return {};
}
