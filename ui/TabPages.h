// TTabPages: what the page tabs of the five and those of one's own share. Their pages are laid out
// by the same formulas; a round starts with its progress on the status line while its tab is shown,
// hands its versions to the history and to a shell's refreshes, and ends with its page in the tab's
// view or its failure on the tab's mark.
#pragma once

#include "SourceRound.h"

#include <QString>

class QLabel;
class QTabWidget;
class QWidget;
class TRefreshRequests;
class TSciager;
class TSectionHistory;
class TSourceWatch;
class TWebBrowser;

struct TTabPages
{
    QTabWidget* Tabs = nullptr;
    QLabel* Status = nullptr;
    TSourceRound* Round = nullptr;
    TSourceWatch* Watch = nullptr;
    TSectionHistory* History = nullptr;
    TRefreshRequests* Requests = nullptr; // a shell's refreshes, told of every round
    QString LastUpdatePrefix;             // of the status line

    // Sizes a tab page, its view and its link label by the window's outer Width and Height.
    static void Size(QWidget* Sheet, QWidget* View, QWidget* Link, int Width, int Height, int LinkY);
    // Starts the round of Request; Ended runs when its page file is written. Null when no thread can
    // start for it: the source then stays idle and the next refresh tries again.
    TSciager* Launch(const TRoundRequest& Request, TSourceRound::TDone Ended) const;
    // Shows an ended round: Address (the page file, or the index source's quotes page) in View, with
    // LastUpdate set to the time and Warning on the tab's mark. A page that could not be saved or shown
    // is named on the status line once; the tab's mark keeps the failure.
    void Show(const TRoundResult& Result, TWebBrowser* View, const QString& Address, const QString& Warning,
              QString& LastUpdate) const;
};
