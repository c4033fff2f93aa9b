// Hands each refresh's changes to the channels once the history has compared them.
#include "ChannelHooks.h"

#include "Channels.h"
#include "NtfyIcon.h"
#include "SectionHistory.h"
#include "SourceCaptions.h"
#include "SourceWatch.h"
#include "TrayHint.h"

#include <QLabel>
#include <algorithm>

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
            // One's own sources are named and addressed as the sources file has them now.
            TSourcesFile Own;
            if (std::ranges::any_of(Sources, IsOwnSource))
                try {
                    Own = LoadSourcesFile(OwnSourcesFileName);
                } catch (const ESourcesFile&) {
                }
            for (int Source : Sources) {
                const std::optional<TOwnSource> Entry = Own.Source(Source + 1);
                const QString Address = !IsOwnSource(Source) ? Links[Source]->text()
                                        : Entry              ? QString::fromStdString(Entry->Address)
                                                             : QString();
                Changes.Sources.push_back({Source + 1, QString::fromStdString(SourceCaption(Source, Own)),
                                           Address, History->NewPassages(Source),
                                           History->RemovedPassages(Source), TriggerOf(History, Source)});
            }
            Channels->Send(Changes);
        });
    };
    // The tooltip names the last failed channel until a send goes through again.
    QObject::connect(Channels, &TChannels::Finished, Tray,
                     [Tray](const QString&, bool Sent, const QString& Result) {
                         TTrayHint::Of(Tray)->Set(THintLine::ChannelFailure, Sent ? QString() : Result);
                     });
}
