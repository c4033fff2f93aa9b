// TSourceWatch: keeps every source's outcome and unseen changes, shows them as tab marks and
// tooltips, tells the user of changes they cannot see (a desktop notification per refresh, a
// blinking tray icon while the window is in the tray) and of a source that keeps failing (one
// notification on its third failure in a row, one when it works again), and keeps the notification
// setting.
#pragma once

#include "FailureStreak.h"
#include "SourceState.h"

#include <QObject>
#include <functional>
#include <map>
#include <optional>
#include <vector>

class QTabWidget;
class QWidget;
class TDesktopNotifier;
class TNotificationIcon;

class TSourceWatch : public QObject
{
    Q_OBJECT
public:
    // Window holds Tabs, one per source; Tray is its tray icon. Reads the notification setting.
    TSourceWatch(QWidget* Window, QTabWidget* Tabs, TNotificationIcon* Tray);

    // A completed attempt of Source at Time: failed for Reason, or shown (changed or not, with a
    // warning about its page or none). A change that does not notify marks its tab quietly.
    void Failed(int Source, const QString& Time, const QString& Reason);
    void Shown(int Source, const QString& Time, bool Changed, const QString& Warning, bool Notifies = true);
    // Every source is idle again: sends one notification of the changes the user cannot see.
    void RefreshEnded();
    // The window or its current tab may have come into view: a shown tab's change is seen, and the
    // tray icon stops signalling.
    void Look();

    // Sets the note that ends Source's tooltip while its page is shown.
    void SetNote(int Source, const QString& Note);

    // Whether changes are notified; kept in the settings.
    bool NotificationsOn() const { return FNotificationsOn; }
    void SetNotificationsOn(bool Value);

    // Source's state; an empty one for a source not seen yet.
    const TSourceState& State(int Source) const;
    TSourceState& State(int Source) { return FSources[Source].State; }
    // Forgets a source of one's own whose tab has gone.
    void Forget(int Source);
    TDesktopNotifier* Notifier() const { return FNotifier; }

    // Brings the window back on the given tab; runs when the user clicks a notification.
    std::function<void(int Source)> OnShowSource;
    // Finds the first new passage of the changed Sources for the notification's second line, and
    // hands it (empty for none) to Done, possibly later; may be unset.
    std::function<void(const std::vector<int>& Sources, std::function<void(const QString&)> Done)> News;
    // Receives the changed Sources of a refresh that the desktop is told of, whether its
    // notifications are on or not; may be unset.
    std::function<void(const std::vector<int>& Sources)> Changed;

signals:
    // The source's tab mark and tooltip show its state anew.
    void StateShown(int Source);

private:
    bool WindowShown() const;
    void ShowState(int Source);
    void Signal(bool Value);
    void Speak(int Source, const QString& Notice);
    TFailureStreak& Streak(int Source);

    QWidget* FWindow;
    QTabWidget* FTabs;
    TNotificationIcon* FTray;
    TDesktopNotifier* FNotifier;
    struct TSource
    {
        TSourceState State;
        std::optional<TFailureStreak> Streak; // from its first refresh on
    };
    // By source index: the five, then one's own that have a tab.
    std::map<int, TSource> FSources;
    std::vector<int> FPending; // changed unseen since the last notification
    int FNotified = -1;        // first tab of the last notification
    bool FNotificationsOn = true;
};
