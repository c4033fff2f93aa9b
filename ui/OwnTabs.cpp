// The tabs of one's own sources: made from the sources file, their downloads and pages, removal.
#include "OwnTabs.h"

#include "ClickLabel.h"
#include "RefreshRequests.h"
#include "Sciager.h"
#include "SectionHistory.h"
#include "SourceRound.h"
#include "SourceTabs.h"
#include "SourceWatch.h"
#include "TabMenu.h"
#include "WebBrowser.h"

#include <QAction>
#include <QDesktopServices>
#include <QFile>
#include <QMessageBox>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>
#include <algorithm>
#include <cstdio>

namespace {
QString TabText(const std::string& Caption)
{
    return QString::fromStdString(Caption).replace(QLatin1Char('&'), QStringLiteral("&&"));
}
} // namespace

TOwnTabs::TOwnTabs(const TOwnTabsPlace& Place) : QObject(Place.Window), P(Place)
{
    P.Pages.Tabs->setUsesScrollButtons(true);
    FRemoveItem = P.Menu->Add(QStringLiteral("Usuń źródło..."),
                              [this](int Tab) { Remove(SourceOfTab(P.Pages.Tabs, Tab)); });
    P.Menu->Opening = [this](int Tab) {
        FRemoveItem->setVisible(FTabs.contains(SourceOfTab(P.Pages.Tabs, Tab)));
    };
    // The window's markers are those of the five; one's own read theirs from the sources file.
    P.Pages.Round->MarkersAtEnd = [this, Five = P.Pages.Round->MarkersAtEnd](int Source) {
        return Source >= SourceCount ? Texts(Source) : Five(Source);
    };
}

void TOwnTabs::Refresh(const std::optional<QList<int>>& Only)
{
    Sync(LoadSourcesFile(OwnSourcesFileName));
    for (auto& [Source, Tab] : FTabs) {
        if (Tab.Busy || (Only && !Only->contains(Source)))
            continue;
        Tab.Busy = true;
        FWaiting.push_back(Source);
    }
    StartWaiting();
}

bool TOwnTabs::Busy() const
{
    return FRunning > 0 || !FWaiting.empty();
}

bool TOwnTabs::Downloading(int Source, const std::array<bool, SourceCount>& Five) const
{
    if (Source < 0)
        return std::ranges::any_of(Five, std::identity()) || Busy();
    if (Source < SourceCount)
        return Five[static_cast<std::size_t>(Source)];
    const auto Found = FTabs.find(Source);
    return Found != FTabs.end() && Found->second.Busy;
}

// Starts the downloads waiting their turn while fewer than MaxOwnDownloads run.
void TOwnTabs::StartWaiting()
{
    while (FRunning < MaxOwnDownloads && !FWaiting.empty()) {
        const int Next = FWaiting.front();
        FWaiting.pop_front();
        Start(Next);
    }
}

// The start and end texts of Source as last read; none for a tab gone meanwhile.
std::pair<std::string, std::string> TOwnTabs::Texts(int Source) const
{
    const auto Found = FTabs.find(Source);
    if (Found == FTabs.end())
        return {};
    return {Found->second.Source.StartText, Found->second.Source.EndText};
}

// The sources that are on get a tab each, in the file's order after the fifth; the others lose theirs.
void TOwnTabs::Sync(const TSourcesFile& File)
{
    std::vector<TOwnSource> On = File.Sources();
    std::erase_if(On, [](const TOwnSource& Source) { return !Source.On; });
    std::vector<int> Gone;
    for (const auto& [Source, Tab] : FTabs)
        if (std::ranges::none_of(On, [Source](const TOwnSource& Own) { return Own.Id - 1 == Source; }))
            Gone.push_back(Source);
    for (const int Source : Gone) {
        Drop(Source);
        // A source removed from the file (by the settings dialog) takes its page file along.
        if (!File.Source(Source + 1))
            std::remove((P.PageFolder() + OwnPageFileName(Source + 1)).c_str());
    }
    int Wanted = SourceCount;
    for (const TOwnSource& Source : On) {
        const auto Found = FTabs.find(Source.Id - 1);
        TTab& Tab = Found != FTabs.end() ? Found->second : Make(Source);
        Tab.Source = Source;
        Tab.Link->setText(QString::fromStdString(Source.Address));
        Tab.Link->adjustSize();
        P.Pages.Tabs->tabBar()->moveTab(P.Pages.Tabs->indexOf(Tab.Sheet), Wanted);
        P.Pages.Tabs->setTabText(Wanted++, TabText(Source.Caption));
    }
}

// A tab page laid out as the five's: the page view, made when first shown, and the link label.
TOwnTabs::TTab& TOwnTabs::Make(const TOwnSource& Source)
{
    const int Index = Source.Id - 1;
    TTab& Tab = FTabs[Index];
    Tab.Sheet = new QWidget;
    Tab.Sheet->setObjectName(QStringLiteral("OwnTab%1").arg(Source.Id));
    SetTabSource(Tab.Sheet, Index);
    Tab.View = new TWebBrowser(Tab.Sheet);
    Tab.View->setGeometry(8, 8, 521, 353);
    Tab.Link = new TClickLabel(Tab.Sheet);
    Tab.Link->setGeometry(8, 362, 113, 13);
    Tab.Link->setFont(P.LinkModel->font());
    Tab.Link->setStyleSheet(P.LinkModel->styleSheet());
    Tab.Link->setCursor(P.LinkModel->cursor());
    connect(Tab.Link, &TClickLabel::clicked, this,
            [Link = Tab.Link] { QDesktopServices::openUrl(QUrl::fromUserInput(Link->text())); });
    Tab.Sheet->installEventFilter(P.Window);
    P.Pages.Tabs->addTab(Tab.Sheet, TabText(Source.Caption));
    P.Pages.History->SetView(Index, Tab.View);
    Size(Tab);
    return Tab;
}

void TOwnTabs::Arrange(int Width, int Height, int LinkY)
{
    FWidth = Width;
    FHeight = Height;
    FLinkY = LinkY;
    for (auto& [Source, Tab] : FTabs)
        Size(Tab);
}

void TOwnTabs::Size(TTab& Tab) const
{
    if (FWidth == 0)
        return;
    TTabPages::Size(Tab.Sheet, Tab.View, Tab.Link, FWidth, FHeight, FLinkY);
}

// The tab goes; a download still running for it ends unheard.
void TOwnTabs::Drop(int Source)
{
    P.Pages.History->Forget(Source);
    P.Pages.Watch->Forget(Source);
    std::erase(FWaiting, Source);
    // Out of the list first: the tab control shows another page while this one goes.
    QWidget* Sheet = FTabs.at(Source).Sheet;
    FTabs.erase(Source);
    delete Sheet;
}

void TOwnTabs::Start(int Source)
{
    TTab& Tab = FTabs.at(Source);
    ++FRunning;
    Tab.Worker = P.Pages.Launch({.Source = Source,
                                 .Address = Tab.Source.Address,
                                 .StartMarker = Tab.Source.StartText,
                                 .EndMarker = Tab.Source.EndText},
                                [this](const TRoundResult& Result) { Complete(Result); });
    if (!Tab.Worker) { // without a thread the source stays idle
        --FRunning;
        Tab.Busy = false;
    }
}

void TOwnTabs::Complete(const TRoundResult& Result)
{
    --FRunning;
    P.Pages.Requests->Ended(Result);
    if (const auto Found = FTabs.find(Result.Source); Found != FTabs.end()) {
        TTab& Tab = Found->second;
        Tab.Busy = false;
        Tab.Worker = nullptr;
        P.Pages.Show(Result, Tab.View, QFile::decodeName(Result.PagePath.c_str()), QString(), Tab.LastUpdate);
    }
    StartWaiting();
    if (!Busy() && P.OnIdle)
        P.OnIdle();
}

QString TOwnTabs::Address(int Source) const
{
    const auto Found = FTabs.find(Source);
    return Found == FTabs.end() ? QString() : Found->second.Link->text();
}

bool TOwnTabs::ShowStatus(int Tab)
{
    const int Shown = SourceOfTab(P.Pages.Tabs, Tab);
    for (auto& [Source, Own] : FTabs)
        if (Own.Worker)
            Own.Worker->ShowProgress = Source == Shown;
    const auto Found = FTabs.find(Shown);
    if (Found == FTabs.end())
        return false;
    P.Pages.Status->setText(Found->second.Worker ? Found->second.Worker->StatusText
                                                 : P.Pages.LastUpdatePrefix + Found->second.LastUpdate);
    return true;
}

// Removes the source from the file after the user agrees, and its page file; its history stays.
void TOwnTabs::Remove(int Source)
{
    if (!FTabs.contains(Source))
        return;
    const QString Caption = QString::fromStdString(FTabs.at(Source).Source.Caption);
    if (QMessageBox::question(P.Window, QStringLiteral("Tickerwell"),
                              QStringLiteral("Usunąć źródło „%1”? Jego plik strony zostanie usunięty, a "
                                             "historia zostaje.")
                                  .arg(Caption)) != QMessageBox::Yes)
        return;
    TSourcesFile File = LoadSourcesFile(OwnSourcesFileName);
    if (File.Remove(Source + 1))
        SaveSourcesFile(OwnSourcesFileName, File);
    std::remove((P.PageFolder() + OwnPageFileName(Source + 1)).c_str());
    Drop(Source);
}
