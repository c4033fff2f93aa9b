// TTabMenu: the context menu of the page tabs.
#pragma once

#include <QObject>
#include <functional>

class QAction;
class QMenu;
class QTabWidget;

// Context menu of the page tabs: each item runs with the source of the tab that was clicked.
class TTabMenu : public QObject
{
public:
    explicit TTabMenu(QTabWidget* Tabs); // parented to Tabs; shows on right-click of a tab
    QAction* Add(const QString& Text, std::function<void(int Source)> Run);
    // Runs with the tab clicked before the menu shows, so that items can suit that tab; may be unset.
    std::function<void(int Tab)> Opening;

private:
    QMenu* FMenu;
    int FSource = -1; // the tab the menu was opened on
};
