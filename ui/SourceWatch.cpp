// Tab marks, tooltips, notifications and the signalling tray icon of the sources' refreshes.
#include "SourceWatch.h"

#include "ChannelMessage.h"
#include "DesktopNotifier.h"
#include "NtfyIcon.h"
#include "ProgramSettings.h"
#include "SignalFrames.h"
#include "SourceTabs.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QTabWidget>
#include <algorithm>

namespace {
const QString NotificationsKey = QStringLiteral("Powiadomienia");
constexpr std::uint16_t SignalInterval = 500; // a calm blink of the tray icon's dot
constexpr qsizetype NewsLength = 120;         // of the new passage quoted in a notification

// A blue dot: news on the tab.
QIcon ChangeMark()
{
    QPixmap Mark(16, 16);
    Mark.fill(Qt::transparent);
    QPainter Painter(&Mark);
    Painter.setRenderHint(QPainter::Antialiasing);
    Painter.setPen(Qt::NoPen);
    Painter.setBrush(QColor(0x1E, 0x6F, 0xD9));
    Painter.drawEllipse(QRectF(3, 3, 10, 10));
    Painter.end();
    return Mark;
}

QIcon IconOf(TSourceMark Mark)
{
    switch (Mark) {
    case TSourceMark::None:
        break;
    case TSourceMark::Changed:
        return ChangeMark();
    case TSourceMark::Warning:
        return QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation);
    case TSourceMark::Failed:
        return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    }
    return {};
}
} // namespace

TSourceWatch::TSourceWatch(QWidget* Window, QTabWidget* Tabs, TNotificationIcon* Tray)
    : QObject(Window), FWindow(Window), FTabs(Tabs), FTray(Tray), FNotifier(new TDesktopNotifier(Tray, this))
{
    FNotificationsOn = ProgramSettings().value(NotificationsKey, true).toBool();
    FNotifier->OnActivated = [this] {
        if (OnShowSource && FNotified >= 0)
            OnShowSource(FNotified);
    };
}

void TSourceWatch::SetNotificationsOn(bool Value)
{
    FNotificationsOn = Value;
    ProgramSettings().setValue(NotificationsKey, Value);
}

bool TSourceWatch::WindowShown() const
{
    return FWindow->isVisible() && !FWindow->isMinimized();
}

void TSourceWatch::Failed(int Source, const QString& Time, const QString& Reason)
{
    State(Source).Fail(Time, Reason);
    Speak(Source, Streak(Source).Failed(QDateTime::currentDateTime(), Reason));
    ShowState(Source);
}

void TSourceWatch::Shown(int Source, const QString& Time, bool Changed, const QString& Warning, bool Notifies)
{
    State(Source).Succeed(Time, Warning, Changed);
    Speak(Source, Streak(Source).Succeeded());
    if (Changed && Notifies && std::ranges::find(FPending, Source) == FPending.end())
        FPending.push_back(Source);
    Look();
    ShowState(Source);
}

void TSourceWatch::RefreshEnded()
{
    // Changes seen in the meantime are not news.
    std::erase_if(FPending, [this](int Source) { return !State(Source).Unseen; });
    if (FPending.empty())
        return;
    std::sort(FPending.begin(), FPending.end());
    if (Changed)
        Changed(FPending);
    if (!WindowShown())
        Signal(true);
    if (FNotificationsOn) {
        QStringList Captions;
        for (int Source : FPending)
            Captions << TabCaption(FTabs, Source);
        FNotified = FPending.front();
        const QString Body = ChangeSummary(Captions);
        if (!News) {
            FNotifier->Notify(QStringLiteral("Tickerwell"), Body);
        } else {
            // The second line quotes the first new passage, known once the history has compared.
            News(FPending, [this, Body](const QString& First) {
                FNotifier->Notify(QStringLiteral("Tickerwell"),
                                  First.isEmpty() ? Body
                                  : First.size() > NewsLength
                                      ? Body + QLatin1Char('\n') + First.left(NewsLength - 1) + QChar(0x2026)
                                      : Body + QLatin1Char('\n') + First);
            });
        }
    }
    FPending.clear();
}

// A notice of a failing source, or of its return; a click on it shows the source's tab.
void TSourceWatch::Speak(int Source, const QString& Notice)
{
    if (Notice.isEmpty() || !FNotificationsOn)
        return;
    FNotified = Source;
    FNotifier->Notify(QStringLiteral("Tickerwell"), Notice);
}

void TSourceWatch::Look()
{
    if (!WindowShown())
        return;
    Signal(false);
    const int Current = SourceOfTab(FTabs, FTabs->currentIndex());
    if (Current >= 0 && State(Current).Unseen) {
        State(Current).Unseen = false;
        ShowState(Current);
    }
}

void TSourceWatch::SetNote(int Source, const QString& Note)
{
    if (State(Source).Note == Note)
        return;
    State(Source).Note = Note;
    ShowState(Source);
}

void TSourceWatch::ShowState(int Source)
{
    const int Tab = TabOfSource(FTabs, Source);
    if (Tab < 0)
        return;
    FTabs->setTabIcon(Tab, IconOf(State(Source).Mark()));
    FTabs->setTabToolTip(Tab, State(Source).Tooltip());
    emit StateShown(Source);
}

const TSourceState& TSourceWatch::State(int Source) const
{
    static const TSourceState None;
    const auto Found = FSources.find(Source);
    return Found != FSources.end() ? Found->second.State : None;
}

// A source's run of failures, named by its tab's caption.
TFailureStreak& TSourceWatch::Streak(int Source)
{
    std::optional<TFailureStreak>& Run = FSources[Source].Streak;
    if (!Run)
        Run.emplace(TabCaption(FTabs, Source));
    return *Run;
}

void TSourceWatch::Forget(int Source)
{
    FSources.erase(Source);
    std::erase(FPending, Source);
}

void TSourceWatch::Signal(bool Value)
{
    if (Value && FTray->Icons()->Count() == 0) {
        MakeSignalFrames(FTray->Icon()->Image(), *FTray->Icons());
        FTray->SetInterval(SignalInterval);
    }
    FTray->SetAnimated(Value);
}
