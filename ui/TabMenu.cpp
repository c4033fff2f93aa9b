// The tab bar's context menu.
#include "TabMenu.h"

#include "Application.h"

#include <QMenu>
#include <QTabBar>
#include <QTabWidget>

TTabMenu::TTabMenu(QTabWidget* Tabs) : QObject(Tabs), FMenu(new QMenu(Tabs))
{
    QTabBar* Bar = Tabs->tabBar();
    Bar->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Bar, &QTabBar::customContextMenuRequested, this, [this, Bar](const QPoint& At) {
        FSource = Bar->tabAt(At);
        if (FSource < 0)
            return;
        if (Opening)
            Opening(FSource);
        FMenu->popup(Bar->mapToGlobal(At));
    });
}

QAction* TTabMenu::Add(const QString& Text, std::function<void(int Source)> Run)
{
    QAction* Item = FMenu->addAction(Text);
    connect(Item, &QAction::triggered, this, [this, Run = std::move(Run)] {
        if (FSource >= 0)
            TApplication::Guarded([&] { Run(FSource); });
    });
    return Item;
}
