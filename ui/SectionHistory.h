// TSectionHistory: the window's side of the history. It hands every shown version to the history
// store, marks in each tab the passages that are new since the user last saw that tab, counts them
// in the tab's tooltip, gives the first of them to the change notification, and opens the history
// windows.
#pragma once

#include "HistoryStore.h"
#include "SourceTable.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <string>

class QTabWidget;
class QWidget;
class THistory;
class THistoryWindow;
class TSourceWatch;
class TWebBrowser;

class TSectionHistory : public QObject
{
    Q_OBJECT
public:
    // Window shows Tabs, whose page views are Views; Watch keeps their tooltips and sends the
    // notifications. ProgramDir gives the program folder whose history this is, read when the
    // history is first used.
    TSectionHistory(QWidget* Window, QTabWidget* Tabs, const std::array<TWebBrowser*, SourceCount>& Views,
                    TSourceWatch* Watch, std::function<std::string()> ProgramDir);

    // Source's page file at Path is about to be replaced: the first time in this run, the file is
    // kept in mind as the baseline for a source whose history is still empty.
    void Prepare(int Source, const std::string& Path);
    // Source shows Bytes now (the index source: the quotes address). Stores them off this thread;
    // the marks and counts follow when that is done.
    void Keep(int Source, const std::string& Bytes);
    // Runs Done on this thread once every version handed over so far is stored and compared.
    void AfterPending(std::function<void()> Done);
    // Opens the history window of Source, or brings its open one to the front.
    void OpenWindow(int Source);
    // The passages of Source new since its tab was last seen, and the count of those gone since.
    QStringList NewPassages(int Source) const;
    int RemovedPassages(int Source) const { return FRemoved[Source]; }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    struct TKept
    {
        TAddResult Added;
        QStringList New; // new since the version last seen
        int Removed = 0; // gone since then
    };

    THistory& History();
    bool Visible(int Source) const;
    void Kept(int Source, const TKept& Result);
    void Look();
    void Leave(int Source);
    void ShowNote(int Source);

    QWidget* FWindow;
    QTabWidget* FTabs;
    std::array<TWebBrowser*, SourceCount> FViews;
    TSourceWatch* FWatch;
    std::function<std::string()> FProgramDir;
    THistory* FHistory = nullptr;
    int FCurrent;
    std::array<bool, SourceCount> FPrepared{};
    std::array<std::optional<TBaseline>, SourceCount> FBaseline;
    std::array<std::optional<QStringList>, SourceCount> FSeen; // passages of the version last seen
    std::array<QStringList, SourceCount> FShown;               // passages of the version in the tab
    std::array<int, SourceCount> FRemoved{};
    std::array<QString, SourceCount> FError;
    std::array<QString, SourceCount> FNews; // the first passage new since the tab was last seen
    std::array<QPointer<THistoryWindow>, SourceCount> FWindows;
};

// "3 nowe fragmenty, 1 usunięty": the passages added and removed, in Polish; empty for none.
QString PassageCounts(int Added, int Removed);
