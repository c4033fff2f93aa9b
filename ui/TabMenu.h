// TTabMenu: the context menu of the page tabs, whose items act on the source of the tab clicked.
#pragma once

#include <QObject>
#include <functional>

class QAction;
class QMenu;
class QPoint;
class QTabWidget;

// Context menu of the page tabs: each item runs with the source of the tab that was clicked.
class TTabMenu : public QObject
{
public:
    explicit TTabMenu(QTabWidget* Tabs); // parented to Tabs; shows on right-click of a tab
    QAction* Add(const QString& Text, std::function<void(int Source)> Run);

private:
    void Show(const QPoint& At);

    QTabWidget* FTabs;
    QMenu* FMenu;
    int FClicked = -1;
};
