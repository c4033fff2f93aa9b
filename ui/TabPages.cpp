// The page tabs' shared layout and rounds.
#include "TabPages.h"

#include "LongTimeText.h"
#include "RefreshRequests.h"
#include "Sciager.h"
#include "SectionHistory.h"
#include "SourceTabs.h"
#include "SourceWatch.h"
#include "WebBrowser.h"

#include <QLabel>
#include <QTabWidget>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

void TTabPages::Size(QWidget* Sheet, QWidget* View, QWidget* Link, int Width, int Height, int LinkY)
{
    Link->move(Link->x(), LinkY);
    View->resize(std::abs(Width - 48), std::abs(Height - 148));
    Sheet->resize(std::abs(Width - 32), std::abs(Height - 123));
}

TSciager* TTabPages::Launch(const TRoundRequest& Request, TSourceRound::TDone Ended) const
{
    try {
        return Round->Launch(
            Request,
            [Tabs = Tabs, Status = Status, Source = Request.Source](TSciager* Worker) {
                Worker->ProgressControl = Status;
                Worker->ShowProgress = SourceOfTab(Tabs, Tabs->currentIndex()) == Source;
            },
            std::move(Ended),
            [History = History, Requests = Requests](const TRoundResult& Result) {
                History->Kept(Result);
                Requests->Completed(Result);
            });
    } catch (const std::system_error&) {
        return nullptr;
    }
}

void TTabPages::Show(const TRoundResult& Result, TWebBrowser* View, const QString& Address,
                     const QString& Warning, QString& LastUpdate) const
{
    const int Source = Result.Source;
    if (Result.Outcome == TRoundOutcome::DownloadFailed) {
        Watch->Failed(Source, LongTimeText(), Result.Failure());
        return;
    }
    QString StatusText;
    QString Failure;
    if (Result.Outcome == TRoundOutcome::WriteFailed) {
        StatusText = Result.Reason;
        Failure = Result.Failure();
    } else {
        try {
            View->Navigate(Address);
        } catch (const std::invalid_argument&) {
            StatusText = QStringLiteral("Nie można otworzyć strony");
            Failure = QStringLiteral("Błąd wyświetlania: przeglądarka odrzuciła adres");
        }
    }
    const QString Time = LongTimeText();
    const bool Shown = SourceOfTab(Tabs, Tabs->currentIndex()) == Source;
    if (!Failure.isEmpty()) {
        if (Shown)
            Status->setText(StatusText);
        Watch->Failed(Source, Time, Failure);
        return;
    }
    LastUpdate = Time;
    if (Shown)
        Status->setText(LastUpdatePrefix + Time);
    Watch->Shown(Source, Time, Result.Changed, Warning, Result.Notifies());
}
