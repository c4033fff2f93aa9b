// TForm1: the program's window. It wires the controls of its design to the refresh, the download
// workers and the page builders, and lays out its two modes: the compact strip and the full window.
#pragma once

#include "SiteConstants.h"
#include "SourceTable.h"
#include "TrayLayer.h"

#include <QDeadlineTimer>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "ui_TKW.h"

class QTimer;
class TMenuItem;
class TNotificationIcon;
class TPopupMenu;
class TSciager;
class TSourceWatch;

class TForm1 : public QWidget, public Ui::TForm1
{
    Q_OBJECT
public:
    // Without a TrayLayer the tray icon goes to the desktop's notification area.
    explicit TForm1(QWidget* Parent = nullptr, std::unique_ptr<TTrayLayer> TrayLayer = nullptr);

    void Timer1Timer();
    void ArrangeControls();
    void CheckBox2Click();
    void PageControl1Change();
    void CheckBox1Click();
    void Button2Click();
    void Label3Click();
    void Label4Click();
    void Label5Click();
    void Label6Click();
    void Label7Click();
    void Label8Click();
    void Label9Click();
    void AppMinimize();
    void NotificationIcon1Click();
    void Open1Click();
    void Exit1Click();

    void Worker0Terminate(TSciager* Sender);
    void Worker1Terminate(TSciager* Sender);
    void Worker2Terminate(TSciager* Sender);
    void Worker3Terminate(TSciager* Sender);
    void Worker4Terminate(TSciager* Sender);

    // Outer size: the frame including the window manager's decorations, where there are any.
    int OuterWidth() const;
    int OuterHeight() const;
    void SetOuterWidth(int Width);
    void SetOuterHeight(int Height);

    QTimer* Timer1;
    TPopupMenu* PopupMenu1;
    TMenuItem* Open1;
    TMenuItem* Notifications1;
    TMenuItem* N1;
    TMenuItem* Exit1;
    TNotificationIcon* NotificationIcon1;
    // Outcomes and unseen changes of the sources, their tab marks and notifications.
    TSourceWatch* Watch;
    std::array<TSciager*, SourceCount> Worker{};
    std::array<bool, SourceCount> Busy{};
    std::array<std::string, SourceCount> StartMarker;
    std::array<std::string, SourceCount> EndMarker;
    std::array<QString, SourceCount> LastUpdate;
    // Why the last completion of a source could not be saved or shown; empty when it could.
    std::array<QString, SourceCount> PageError;
    std::string ProgramDir;
    quint16 SavedHeight = 0;
    quint16 SavedWidth = 0;

    static inline const QString StartCaption = QStringLiteral("S  T  A  R  T");
    static inline const QString RefreshCaption = QStringLiteral("Manual refresh");
    static inline const QString LastUpdatePrefix = QStringLiteral("Ostatnia aktualizacja ");
    static inline const QString HomePage = QStringLiteral("tkw.example.org");
    static inline const QString MailAddress = QStringLiteral("tkw@example.org");

protected:
    void changeEvent(QEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void moveEvent(QMoveEvent* Event) override;
    bool nativeEvent(const QByteArray& EventType, void* Message, qintptr* Result) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void FormCreate();
    void LaunchWorker(int Source, const std::string& Address);
    void CompleteDownload(int Source);
    bool ShowPage(int Source, const std::string& Page);
    void SetSizeable(bool Sizeable);
    void ApplySizeLimits();
    QMargins FrameMargins() const;
    void FollowFrame();
    void GuardedRefresh(bool Tick);
    void OpenAddress(const QString& Address);
    void BringBack();
    QLabel* LinkLabel(int Source) const;
    TWebBrowser* PageView(int Source) const;

    bool Sizeable = true;
    // The window manager's frame as it was when the outer size was last set; none before framing.
    QMargins AppliedMargins;
    // Where the frame stays while the window manager frames the window anew after a change of
    // border, until KeepFrameUntil.
    std::optional<QPoint> KeptFramePosition;
    QDeadlineTimer KeepFrameUntil;
    static constexpr int FrameSettleTime = 3000; // ms
    // While a refresh's error box is open, a failing timer tick opens no second one.
    bool RefreshErrorOpen = false;
};
