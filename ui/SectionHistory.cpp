// The history's hooks in the window: versions handed to the store, marks, counts and windows.
#include "SectionHistory.h"

#include "DesktopNotifier.h"
#include "History.h"
#include "HistoryWindow.h"
#include "SourceRound.h"
#include "SourceTabs.h"
#include "SourceWatch.h"
#include "WebBrowser.h"

#include <QEvent>
#include <QTabWidget>

namespace {
// The Polish noun form for Count: one, a few (2-4, not 12-14), many.
QString Form(int Count, const char* One, const char* Few, const char* Many)
{
    const bool IsFew = Count % 10 >= 2 && Count % 10 <= 4 && (Count % 100 < 12 || Count % 100 > 14);
    return QString::number(Count) + QLatin1Char(' ') +
           QString::fromUtf8(Count == 1 ? One
                             : IsFew    ? Few
                                        : Many);
}
} // namespace

QString PassageCounts(int Added, int Removed)
{
    QStringList Parts;
    if (Added > 0)
        Parts << Form(Added, "nowy fragment", "nowe fragmenty", "nowych fragmentów");
    if (Removed > 0)
        Parts << Form(Removed, "usunięty", "usunięte", "usuniętych");
    return Parts.join(QStringLiteral(", "));
}

TSectionHistory::TSectionHistory(QWidget* Window, QTabWidget* Tabs,
                                 const std::array<TWebBrowser*, SourceCount>& Views, TSourceWatch* Watch,
                                 TSourceRound* Round)
    : QObject(Window), FWindow(Window), FTabs(Tabs), FWatch(Watch), FRound(Round),
      FCurrent(SourceOfTab(Tabs, Tabs->currentIndex()))
{
    for (int Source = 0; Source < SourceCount; ++Source)
        FViews[Source] = Views[Source];
    Window->installEventFilter(this);
    Round->CompareWith = [this](int Source) { return FSeen[Source]; };
    // A notification quotes the first passage new on the first of its tabs that has one.
    Watch->News = [this](const std::vector<int>& Sources, std::function<void(const QString&)> Done) {
        AfterPending([this, Sources, Done] {
            for (int Source : Sources)
                if (!FNews[Source].isEmpty())
                    return Done(FNews[Source]);
            Done({});
        });
    };
    connect(Tabs, &QTabWidget::currentChanged, this, [this](int Current) {
        if (FViews.contains(FCurrent))
            Leave(FCurrent);
        FCurrent = SourceOfTab(FTabs, Current);
        Look();
    });
}

bool TSectionHistory::Visible(int Source) const
{
    return FWindow->isVisible() && !FWindow->isMinimized() &&
           SourceOfTab(FTabs, FTabs->currentIndex()) == Source;
}

void TSectionHistory::AfterPending(std::function<void()> Done)
{
    FRound->History().AfterPending(std::move(Done));
}

QStringList TSectionHistory::NewPassages(int Source) const
{
    const auto View = FViews.find(Source);
    return View != FViews.end() ? View->second->Highlight() : QStringList();
}

QString TSectionHistory::Trigger(int Source) const
{
    const auto Word = FTrigger.find(Source);
    return Word != FTrigger.end() ? Word->second : QString();
}

void TSectionHistory::Kept(const TRoundResult& Round)
{
    // A round that stored nothing (a failed download or write) leaves the marks as they are, as does
    // one of a tab gone meanwhile.
    if (!Round.Kept || !FViews.contains(Round.Source))
        return;
    const int Source = Round.Source;
    const TKeptVersion& Result = *Round.Kept;
    if (!FSeen[Source])
        FSeen[Source] = Result.Added.First || !Result.Added.Error.isEmpty() ? Result.Added.Passages
                                                                            : Result.Added.Previous;
    FShown[Source] = Result.Added.Passages;
    FError[Source] = Result.Added.Error;
    if (!Result.Added.MovedAside.isEmpty())
        FWatch->Notifier()->Notify(QStringLiteral("Tickerwell"),
                                   QStringLiteral("Baza historii była uszkodzona: zaczęto nową, a starą "
                                                  "zachowano jako %1")
                                       .arg(Result.Added.MovedAside));
    // The quotes page is the live site: nothing of it is marked.
    const bool Marks = Source != IndexSource;
    FNews[Source] = !Marks                             ? QString()
                    : !Result.TriggerPassage.isEmpty() ? Result.TriggerPassage
                                                       : Result.New.value(0);
    FTrigger[Source] = Marks ? Result.Trigger : QString();
    FRemoved[Source] = Marks ? Result.Removed : 0;
    FViews[Source]->SetHighlight(Marks ? Result.New : QStringList(), Result.Triggers);
    ShowNote(Source);
    if (Visible(Source))
        FSeen[Source] = FShown[Source];
}

void TSectionHistory::Look()
{
    const int Current = SourceOfTab(FTabs, FTabs->currentIndex());
    if (Current >= 0 && Visible(Current) && FSeen[Current])
        FSeen[Current] = FShown[Current];
}

// The marks go when the user leaves the tab; the next refresh marks what is new since.
void TSectionHistory::Leave(int Source)
{
    FViews[Source]->SetHighlight({});
    FNews[Source].clear();
    FTrigger[Source].clear();
    FRemoved[Source] = 0;
    ShowNote(Source);
}

void TSectionHistory::ShowNote(int Source)
{
    QStringList Note;
    if (const QString Counts =
            PassageCounts(static_cast<int>(FViews[Source]->Highlight().size()), FRemoved[Source]);
        !Counts.isEmpty())
        Note << Counts;
    if (!FError[Source].isEmpty())
        Note << QStringLiteral("historia niedostępna: ") + FError[Source];
    FWatch->SetNote(Source, Note.join(QStringLiteral("; ")));
}

bool TSectionHistory::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::Show || Event->type() == QEvent::WindowStateChange)
        QMetaObject::invokeMethod(this, &TSectionHistory::Look, Qt::QueuedConnection);
    return QObject::eventFilter(Watched, Event);
}

void TSectionHistory::OpenWindow(int Source)
{
    if (!FViews.contains(Source))
        return;
    if (!FWindows[Source]) {
        FWindows[Source] = new THistoryWindow(FRound->History(), Source, FWindow);
    }
    FWindows[Source]->show();
    FWindows[Source]->raise();
    FWindows[Source]->activateWindow();
}

void TSectionHistory::Forget(int Source)
{
    if (const QPointer<THistoryWindow> Window = FWindows[Source])
        delete Window;
    FShown.erase(Source);
    FViews.erase(Source);
    FSeen.erase(Source);
    FRemoved.erase(Source);
    FError.erase(Source);
    FNews.erase(Source);
    FTrigger.erase(Source);
    FWindows.erase(Source);
}
