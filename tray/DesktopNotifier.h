// TDesktopNotifier: desktop notifications through the freedesktop notification service on the
// session bus, or, where that service is absent, through the tray icon's message balloon.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class TNotificationIcon;

class TDesktopNotifier : public QObject
{
    Q_OBJECT
public:
    // Fallback is the tray icon whose balloon shows the notification when the service cannot; the
    // notifier takes its OnBalloonClick.
    explicit TDesktopNotifier(TNotificationIcon* Fallback, QObject* Parent = nullptr);

    // Sends one notification; it replaces the previous one while that is still shown. Returns at
    // once: the service answers later, and only a failed answer falls back to the balloon.
    void Notify(const QString& Summary, const QString& Body);

    // Runs when the user chooses the default action of the last notification, or clicks its balloon.
    std::function<void()> OnActivated;

private slots:
    void ActionInvoked(uint Id, const QString& Action);
    void NotificationClosed(uint Id, uint Reason);

private:
    // Asks the service now on the bus whether it reads markup; until it answers, it may.
    void AskCapabilities();

    TNotificationIcon* FFallback;
    uint FShown = 0;             // id of the last notification while the service shows it
    std::optional<bool> FMarkup; // the service reads markup in bodies, so their text is escaped
    quint64 FAsked = 0;          // questions asked, so that only the last one's answer counts
};
