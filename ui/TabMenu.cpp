// The page tabs' context menu.
#include "TabMenu.h"

#include <QMenu>
#include <QTabBar>
#include <QTabWidget>

TTabMenu::TTabMenu(QTabWidget* Tabs) : QObject(Tabs), FTabs(Tabs), FMenu(new QMenu(Tabs))
{
    QTabBar* Bar = Tabs->tabBar();
    Bar->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Bar, &QWidget::customContextMenuRequested, this, &TTabMenu::Show);
}

QAction* TTabMenu::Add(const QString& Text, std::function<void(int Source)> Run)
{
    QAction* Action = FMenu->addAction(Text);
    connect(Action, &QAction::triggered, this, [this, Run = std::move(Run)] {
        if (FClicked >= 0)
            Run(FClicked);
    });
    return Action;
}

void TTabMenu::Show(const QPoint& At)
{
    QTabBar* Bar = FTabs->tabBar();
    FClicked = Bar->tabAt(At);
    if (FClicked >= 0)
        FMenu->popup(Bar->mapToGlobal(At));
}
