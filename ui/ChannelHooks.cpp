// Hands each refresh's changes to the channels once the history has compared them.
#include "ChannelHooks.h"

#include "Channels.h"
#include "NtfyIcon.h"
#include "SectionHistory.h"
#include "SourceCaptions.h"
#include "SourceTabs.h"
#include "SourceWatch.h"
#include "TrayHint.h"

namespace {
// The caption of Source's tab; a source of one's own whose tab has gone meanwhile is named by its id.
QString Caption(const QTabWidget* Tabs, int Source)
{
    const QString Shown = TabCaption(Tabs, Source);
    return Shown.isEmpty() ? QString::fromStdString(SourceCaption(Source, TSourcesFile())) : Shown;
}
} // namespace

void InstallChannels(TSourceWatch* Watch, TSectionHistory* History, TNotificationIcon* Tray,
                     const QTabWidget* Tabs, const std::function<QString(int Source)>& Address)
{
    auto* Channels = new TChannels(Watch);
    Watch->Changed = [History, Tabs, Address, Channels](const std::vector<int>& Sources) {
        History->AfterPending([History, Tabs, Address, Channels, Sources] {
            TRefreshChanges Changes{QDateTime::currentDateTime(), {}};
            for (int Source : Sources)
                Changes.Sources.push_back({Source + 1, Caption(Tabs, Source), Address(Source),
                                           History->NewPassages(Source), History->RemovedPassages(Source),
                                           History->Trigger(Source)});
            Channels->Send(Changes);
        });
    };
    // The tooltip names the last failed channel until a send goes through again.
    QObject::connect(Channels, &TChannels::Finished, Tray,
                     [Tray](const QString&, bool Sent, const QString& Result) {
                         TTrayHint::Of(Tray)->Set(THintLine::ChannelFailure, Sent ? QString() : Result);
                     });
}
