// The notifier over Qt DBus: org.freedesktop.Notifications.Notify, its ActionInvoked and
// NotificationClosed signals, and the balloon fallback.
#include "DesktopNotifier.h"

#include "Application.h"
#include "Icon.h"
#include "NotificationHints.h"
#include "NtfyIcon.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QPointer>

namespace {
const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString DefaultAction = QStringLiteral("default");
} // namespace

TDesktopNotifier::TDesktopNotifier(TNotificationIcon* Fallback, QObject* Parent)
    : QObject(Parent), FFallback(Fallback)
{
    QDBusConnection Bus = QDBusConnection::sessionBus();
    Bus.connect(Service, Path, Service, QStringLiteral("ActionInvoked"), this,
                SLOT(ActionInvoked(uint, QString)));
    Bus.connect(Service, Path, Service, QStringLiteral("NotificationClosed"), this,
                SLOT(NotificationClosed(uint, uint)));
    // A service that starts or is replaced later may read markup where the one before did not.
    auto* Owner = new QDBusServiceWatcher(Service, Bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(Owner, &QDBusServiceWatcher::serviceOwnerChanged, this, &TDesktopNotifier::AskCapabilities);
    AskCapabilities();
    FFallback->OnBalloonClick = [this](QObject*) {
        if (OnActivated)
            OnActivated();
    };
}

void TDesktopNotifier::AskCapabilities()
{
    FMarkup.reset();
    const quint64 Asked = ++FAsked;
    auto* Capabilities =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(QDBusMessage::createMethodCall(
                                        Service, Path, Service, QStringLiteral("GetCapabilities"))),
                                    this);
    connect(Capabilities, &QDBusPendingCallWatcher::finished, this, [this, Asked](auto* Done) {
        Done->deleteLater();
        const QDBusPendingReply<QStringList> Reply = *Done;
        // An answer to an older question may come from the service that has gone since.
        if (Asked == FAsked && !Reply.isError())
            FMarkup = Reply.value().contains(QStringLiteral("body-markup"));
    });
}

void TDesktopNotifier::Notify(const QString& Summary, const QString& Body)
{
    const QDBusConnection Bus = QDBusConnection::sessionBus();
    const QPointer<TNotificationIcon> Fallback(FFallback);
    if (!Bus.isConnected()) {
        if (Fallback)
            Fallback->ShowBalloon(Summary, Body);
        return;
    }
    QDBusMessage Call = QDBusMessage::createMethodCall(Service, Path, Service, QStringLiteral("Notify"));
    // Bodies quote web pages: a service that reads markup, or may, gets them as text.
    const QString Text = FMarkup.value_or(true) ? QString(Body)
                                                      .replace(QLatin1Char('&'), QStringLiteral("&amp;"))
                                                      .replace(QLatin1Char('<'), QStringLiteral("&lt;"))
                                                      .replace(QLatin1Char('>'), QStringLiteral("&gt;"))
                                                : Body;
    Call << QStringLiteral("Tickerwell") << FShown << NotificationIcon() << Summary << Text
         << QStringList{DefaultAction, QStringLiteral("Pokaż")}
         << NotificationHints(Fallback ? Fallback->Icon()->Image() : QImage()) << -1;
    auto* Watcher = new QDBusPendingCallWatcher(Bus.asyncCall(Call), this);
    connect(Watcher, &QDBusPendingCallWatcher::finished, this, [this, Fallback, Summary, Body](auto* Done) {
        Done->deleteLater();
        const QDBusPendingReply<uint> Reply = *Done;
        if (Reply.isError()) {
            if (Fallback)
                Fallback->ShowBalloon(Summary, Body);
            return;
        }
        FShown = Reply.value();
    });
}

void TDesktopNotifier::ActionInvoked(uint Id, const QString& Action)
{
    if (Id == FShown && FShown != 0 && Action == DefaultAction && OnActivated)
        TApplication::Guarded([this] { OnActivated(); });
}

void TDesktopNotifier::NotificationClosed(uint Id, uint)
{
    if (Id == FShown)
        FShown = 0;
}
