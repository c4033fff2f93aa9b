// TForm1: the program's window. It wires the controls of its design to the refresh, the download
// workers and the page builders, and lays out its two modes: the compact strip and the full window.
#pragma once

#include "SourceTable.h"

#include <QString>
#include <QWidget>
#include <array>
#include <string>

#include "ui_TKW.h"

class QTimer;
class TSciager;

class TForm1 : public QWidget, public Ui::TForm1
{
    Q_OBJECT
public:
    explicit TForm1(QWidget* Parent = nullptr);

    void Timer1Timer();
    void ArrangeControls();
    void CheckBox2Click();
    void PageControl1Change();
    void CheckBox1Click();
    void Button2Click();
    void Label3Click();
    void Label4Click();
    void LinkLabelClick(int Source);

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
    static inline const std::string AgentName = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0; Q312461";
    static inline const QString HomePage = QStringLiteral("tkw.example.org");
    static inline const QString MailAddress = QStringLiteral("tkw@example.org");

protected:
    void resizeEvent(QResizeEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void FormCreate();
    void LaunchWorker(int Source, const std::string& Address);
    void CompleteDownload(int Source);
    void ShowPage(int Source, const std::string& Page);
    void SetSizeable(bool Sizeable);
    void ApplySizeLimits();
    QLabel* LinkLabel(int Source) const;
    TWebBrowser* PageView(int Source) const;

    bool Sizeable = true;
};
