// TForm1: the program's window. It wires the controls of its design to the refresh, the download
// workers and the page builders, and lays out its two modes: the compact strip and the full window.
#pragma once

#include "NtfyIcon.h"
#include "SingleInstance.h"
#include "SourceTable.h"
#include "TabPages.h"
#include "TrayLayer.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "ui_TKW.h"

class QTimer;
class TMenuItem;
class TOwnTabs;
class TPageViewRest;
class TPopupMenu;
class TRefreshRequests;
class TSciager;
class TSectionHistory;
class TSourceRound;
class TSourceWatch;
class TTabMenu;
class TWindowFrame;
struct TRoundResult;

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
    void Button2Click() { QCoreApplication::exit(1); }
    void Label3Click() { OpenAddress(HomePage); }
    void Label4Click()
    {
        OpenAddress(QStringLiteral("mailto:") + MailAddress + QStringLiteral("?subject=Tickerwell project"));
    }
    void Label5Click() { OpenAddress(Label5->text()); }
    void Label6Click() { OpenAddress(Label6->text()); }
    void Label7Click() { OpenAddress(Label7->text()); }
    void Label8Click() { OpenAddress(Label8->text()); }
    void Label9Click() { OpenAddress(Label9->text()); }
    void AppMinimize();
    void NotificationIcon1Click() { BringBack(); }
    void Open1Click() { BringBack(); }
    void Exit1Click() { QCoreApplication::quit(); }
    // A shell asks for a refresh of Sources (every source when empty), as a press of Button1 with
    // just those boxes checked; Reply gets one line per source once every download has ended.
    void RefreshOnRequest(const QList<int>& Sources, const TSingleInstance::TReplyFn& Reply);

    // The five completion handlers share one frame; each shows its source's round.
    void Worker0Terminate(const TRoundResult& Result) { CompleteDownload(Result); }
    void Worker1Terminate(const TRoundResult& Result) { CompleteDownload(Result); }
    void Worker2Terminate(const TRoundResult& Result) { CompleteDownload(Result); }
    void Worker3Terminate(const TRoundResult& Result) { CompleteDownload(Result); }
    void Worker4Terminate(const TRoundResult& Result) { CompleteDownload(Result); }

    QTimer* Timer1;
    TPopupMenu* PopupMenu1;
    TMenuItem* Open1;
    TMenuItem* Notifications1;
    TMenuItem* N1;
    TMenuItem* Exit1;
    TNotificationIcon* NotificationIcon1;
    // The outer frame: outer sizes and size limits.
    TWindowFrame* Frame;
    // Outcomes and unseen changes of the sources, their tab marks and notifications.
    TSourceWatch* Watch;
    // Every shown version kept, the new passages marked, the history windows.
    TSectionHistory* History;
    // The page tabs' context menu, whose items act on the tab clicked.
    TTabMenu* TabMenu;
    // The refreshes a shell waits for.
    TRefreshRequests* Requests;
    // Each source's round: its worker, page file and history.
    TSourceRound* Round;
    // What the five's tabs share with those of one's own: their layout, rounds and page showing.
    TTabPages TabPages;
    // The tabs of one's own sources, after the fifth.
    TOwnTabs* OwnTabs = nullptr;
    // The page views' rest while unseen: frozen tabs, and discarded views in the tray.
    TPageViewRest* Rest;
    std::array<TSciager*, SourceCount> Worker{};
    std::array<bool, SourceCount> Busy{};
    std::array<std::string, SourceCount> StartMarker;
    std::array<std::string, SourceCount> EndMarker;
    std::array<QString, SourceCount> LastUpdate;
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
    bool nativeEvent(const QByteArray& EventType, void* Message, qintptr* Result) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void FormCreate();
    void LaunchWorker(int Source, const std::string& Address);
    void CompleteDownload(const TRoundResult& Result);
    void GuardedRefresh(bool Tick);
    void OpenAddress(const QString& Address);
    void BringBack();
    void EndRefreshIfIdle();

    // The designed controls of each source, by source index.
    std::array<QWidget*, SourceCount> TabSheets;
    std::array<TWebBrowser*, SourceCount> PageViews;
    std::array<QLabel*, SourceCount> LinkLabels;
    bool Arranging = false;
    // The texts of the refreshes' error boxes that are open now.
    QStringList OpenRefreshErrors;
    // The sources the next Timer1Timer downloads in place of the checked boxes.
    std::optional<QList<int>> RequestedSources;
};
