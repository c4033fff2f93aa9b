// Hands each refresh's changes to the channels once the history has compared them.
#include "ChannelHooks.h"

#include "Channels.h"
#include "NtfyIcon.h"
#include "SectionHistory.h"
#include "SourceWatch.h"
#include "TrayHint.h"

#include <QLabel>

namespace {
std::optional<QString> TriggerOf(const TSectionHistory* History, int Source)
{
    const QString Word = History->Trigger(Source);
    return Word.isEmpty() ? std::nullopt : std::optional(Word);
}
} // namespace

void InstallChannels(TSourceWatch* Watch, TSectionHistory* History, TNotificationIcon* Tray,
                     const std::array<QLabel*, SourceCount>& Links)
{
    auto* Channels = new TChannels(Watch);
    Watch->Changed = [History, Links, Channels](const std::vector<int>& Sources) {
        History->AfterPending([History, Links, Channels, Sources] {
            TRefreshChanges Changes{QDateTime::currentDateTime(), {}};
            for (int Source : Sources)
                Changes.Sources.push_back({Source + 1, QString::fromUtf8(SourceTable[Source].Caption),
                                           Links[Source]->text(), History->NewPassages(Source),
                                           History->RemovedPassages(Source), TriggerOf(History, Source)});
            Channels->Send(Changes);
        });
    };
    // The tooltip names the last failed channel until a send goes through again.
    QObject::connect(Channels, &TChannels::Finished, Tray,
                     [Tray](const QString&, bool Sent, const QString& Result) {
                         TTrayHint::Of(Tray)->Set(THintLine::ChannelFailure, Sent ? QString() : Result);
                     });
}
