// TSectionHistory: the window's side of the history. It marks in each tab the passages that the
// round found new since the user last saw that tab, counts them in the tab's tooltip, gives the
// first of them to the change notification, and opens the history windows.
#pragma once

#include "SourceTable.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <array>
#include <functional>
#include <map>
#include <optional>

class QTabWidget;
class QWidget;
class THistoryWindow;
class TSourceRound;
class TSourceWatch;
class TWebBrowser;
struct TRoundResult;

class TSectionHistory : public QObject
{
    Q_OBJECT
public:
    // Window shows Tabs, whose page views are Views; Watch keeps their tooltips and sends the
    // notifications. Round stores the versions and counts their news against the passages last seen.
    TSectionHistory(QWidget* Window, QTabWidget* Tabs, const std::array<TWebBrowser*, SourceCount>& Views,
                    TSourceWatch* Watch, TSourceRound* Round);

    // A round has ended; where the history has its version, the marks and counts follow.
    void Kept(const TRoundResult& Result);
    // Runs Done on this thread once every version handed over so far is stored and compared.
    void AfterPending(std::function<void()> Done);
    // Opens the history window of Source, or brings its open one to the front.
    void OpenWindow(int Source);
    // The passages of Source new since its tab was last seen, and the count of those gone since.
    QStringList NewPassages(int Source) const;
    int RemovedPassages(int Source) const;
    // The trigger word of Source's news since its tab was last seen; empty when they hold none.
    QString Trigger(int Source) const;
    // The page view of a tab of one's own, from its making until Forget.
    void SetView(int Source, TWebBrowser* View) { FSources[Source].View = View; }
    // A tab of one's own has gone: its marks and its history window go with it.
    void Forget(int Source);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    struct TSource
    {
        TWebBrowser* View = nullptr;     // while it has a tab
        std::optional<QStringList> Seen; // passages of the version last seen
        QStringList Shown;               // passages of the version in the tab
        int Removed = 0;
        QString Error;
        QString News; // the first passage new since the tab was last seen, or the one holding a trigger word
        QString Trigger;
        QPointer<THistoryWindow> Window;
    };

    const TSource* Find(int Source) const;
    TWebBrowser* View(int Source) const;
    bool Visible(int Source) const;
    void Look();
    void Leave(int Source);
    void ShowNote(int Source);

    QWidget* FWindow;
    QTabWidget* FTabs;
    // By source index: the five, then one's own that have a tab.
    std::map<int, TSource> FSources;
    TSourceWatch* FWatch;
    TSourceRound* FRound;
    int FCurrent;
};

// "3 nowe fragmenty, 1 usunięty": the passages added and removed, in Polish; empty for none.
QString PassageCounts(int Added, int Removed);
