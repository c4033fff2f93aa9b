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
        FSources[Source].View = Views[Source];
    Window->installEventFilter(this);
    Round->CompareWith = [this](int Source) {
        const TSource* Found = Find(Source);
        return Found ? Found->Seen : std::nullopt;
    };
    // A notification quotes the first passage new on the first of its tabs that has one.
    Watch->News = [this](const std::vector<int>& Sources, std::function<void(const QString&)> Done) {
        AfterPending([this, Sources, Done] {
            for (int Source : Sources)
                if (const TSource* Found = Find(Source); Found && !Found->News.isEmpty())
                    return Done(Found->News);
            Done({});
        });
    };
    connect(Tabs, &QTabWidget::currentChanged, this, [this](int Current) {
        if (View(FCurrent))
            Leave(FCurrent);
        FCurrent = SourceOfTab(FTabs, Current);
        Look();
    });
}

const TSectionHistory::TSource* TSectionHistory::Find(int Source) const
{
    const auto Found = FSources.find(Source);
    return Found != FSources.end() ? &Found->second : nullptr;
}

// The page view of Source; none when it has no tab.
TWebBrowser* TSectionHistory::View(int Source) const
{
    const TSource* Found = Find(Source);
    return Found ? Found->View : nullptr;
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
    const TWebBrowser* Shown = View(Source);
    return Shown ? Shown->Highlight() : QStringList();
}

int TSectionHistory::RemovedPassages(int Source) const
{
    const TSource* Found = Find(Source);
    return Found ? Found->Removed : 0;
}

QString TSectionHistory::Trigger(int Source) const
{
    const TSource* Found = Find(Source);
    return Found ? Found->Trigger : QString();
}

void TSectionHistory::Kept(const TRoundResult& Round)
{
    // A round that stored nothing (a failed download or write) leaves the marks as they are, as does
    // one of a tab gone meanwhile.
    if (!Round.Kept || !View(Round.Source))
        return;
    const int Source = Round.Source;
    TSource& Entry = FSources[Source];
    const TKeptVersion& Result = *Round.Kept;
    if (!Entry.Seen)
        Entry.Seen = Result.Added.First || !Result.Added.Error.isEmpty() ? Result.Added.Passages
                                                                         : Result.Added.Previous;
    Entry.Shown = Result.Added.Passages;
    Entry.Error = Result.Added.Error;
    if (!Result.Added.MovedAside.isEmpty())
        FWatch->Notifier()->Notify(QStringLiteral("Tickerwell"),
                                   QStringLiteral("Baza historii była uszkodzona: zaczęto nową, a starą "
                                                  "zachowano jako %1")
                                       .arg(Result.Added.MovedAside));
    // The quotes page is the live site: nothing of it is marked.
    const bool Marks = Source != IndexSource;
    Entry.News = !Marks                             ? QString()
                 : !Result.TriggerPassage.isEmpty() ? Result.TriggerPassage
                                                    : Result.New.value(0);
    Entry.Trigger = Marks ? Result.Trigger : QString();
    Entry.Removed = Marks ? Result.Removed : 0;
    Entry.View->SetHighlight(Marks ? Result.New : QStringList(), Result.Triggers);
    ShowNote(Source);
    if (Visible(Source))
        Entry.Seen = Entry.Shown;
}

void TSectionHistory::Look()
{
    const int Current = SourceOfTab(FTabs, FTabs->currentIndex());
    if (const auto Found = FSources.find(Current);
        Found != FSources.end() && Visible(Current) && Found->second.Seen)
        Found->second.Seen = Found->second.Shown;
}

// The marks go when the user leaves the tab; the next refresh marks what is new since.
void TSectionHistory::Leave(int Source)
{
    TSource& Entry = FSources[Source];
    Entry.View->SetHighlight({});
    Entry.News.clear();
    Entry.Trigger.clear();
    Entry.Removed = 0;
    ShowNote(Source);
}

void TSectionHistory::ShowNote(int Source)
{
    const TSource& Entry = FSources[Source];
    QStringList Note;
    if (const QString Counts = PassageCounts(static_cast<int>(Entry.View->Highlight().size()), Entry.Removed);
        !Counts.isEmpty())
        Note << Counts;
    if (!Entry.Error.isEmpty())
        Note << QStringLiteral("historia niedostępna: ") + Entry.Error;
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
    if (!View(Source))
        return;
    QPointer<THistoryWindow>& Window = FSources[Source].Window;
    if (!Window)
        Window = new THistoryWindow(FRound->History(), Source, FWindow);
    Window->show();
    Window->raise();
    Window->activateWindow();
}

void TSectionHistory::Forget(int Source)
{
    if (const TSource* Found = Find(Source))
        delete Found->Window.data();
    FSources.erase(Source);
}
