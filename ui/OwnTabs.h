// TOwnTabs: the tabs of one's own sources, after the fifth. At every refresh they follow the sources
// file (made, renamed, moved, removed), each with the page view and link label of the five; their
// downloads run at most MaxOwnDownloads at once, the rest waiting their turn; the tab menu removes
// a source of one's own.
#pragma once

#include "OwnSources.h"
#include "SourceTable.h"
#include "TabPages.h"

#include <QList>
#include <QObject>
#include <QString>
#include <array>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>

class QAction;
class QLabel;
class QWidget;
class TClickLabel;
class TSciager;
class TTabMenu;
class TWebBrowser;

struct TOwnTabsPlace
{
    QWidget* Window; // filters the tab pages' show and resize events, as it does the five's
    TTabPages Pages; // their rounds run and show as the five's do
    TTabMenu* Menu;
    QLabel* LinkModel; // a link label of the five, whose looks the link labels take
    std::function<std::string()> PageFolder;
    std::function<void()> OnIdle; // runs when the last download of one's own has ended
};

class TOwnTabs : public QObject
{
public:
    explicit TOwnTabs(const TOwnTabsPlace& Place);

    // Reads the sources file, brings the tabs in line with it and starts the downloads of those that
    // are idle, or of those among Only (source indexes) where given. Throws ESourcesFile for a broken
    // file; the tabs then stay as they are.
    void Refresh(const std::optional<QList<int>>& Only = std::nullopt);
    // A download of one's own runs or waits; of Source.
    bool Busy() const;
    // Whether Source downloads, the five's flags being Five; for -1 whether any source does.
    bool Downloading(int Source, const std::array<bool, SourceCount>& Five) const;
    // Sizes the tab pages, their views and link labels by the formulas of the five.
    void Arrange(int Width, int Height, int LinkY);
    // The address of Source as its link label shows it; empty when it has no tab.
    QString Address(int Source) const;
    // Tab is shown now: only its download shows progress. True when it is a tab of one's own, whose
    // status line this then shows.
    bool ShowStatus(int Tab);

private:
    struct TTab
    {
        TOwnSource Source;
        QWidget* Sheet = nullptr;
        TWebBrowser* View = nullptr;
        TClickLabel* Link = nullptr;
        TSciager* Worker = nullptr; // while its download runs
        bool Busy = false;          // running or waiting
        QString LastUpdate;
    };

    std::pair<std::string, std::string> Texts(int Source) const;
    void Sync(const TSourcesFile& File);
    TTab& Make(const TOwnSource& Source);
    void Size(TTab& Tab) const;
    void Drop(int Source);
    void Start(int Source);
    void StartWaiting();
    void Complete(const TRoundResult& Result);
    void Remove(int Source);

    TOwnTabsPlace P;
    std::map<int, TTab> FTabs; // by source index
    std::deque<int> FWaiting;
    int FRunning = 0;
    QAction* FRemoveItem;
    int FWidth = 0;
    int FHeight = 0;
    int FLinkY = 0;
};
