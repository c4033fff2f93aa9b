// TPopupMenu: a popup menu component over QMenu with top-level items that can be the default (shown
// bold) or disabled; the tray icon opens it on a right click and runs its default item on a double
// click.
#pragma once

#include "Component.h"

#include <QMenu>
#include <QPoint>
#include <QPointer>
#include <memory>
#include <vector>

class TPopupMenu;

class TMenuItem : public QObject
{
    Q_OBJECT
public:
    QString Caption() const;
    bool Default() const { return FDefault; }
    // Only one item of a menu is the default: setting it clears the others.
    void SetDefault(bool Value);
    bool Enabled() const;
    void SetEnabled(bool Value);
    bool IsSeparator() const;

    // Does what choosing the item does: calls OnClick with the item as Sender.
    void Click();
    TNotifyEvent OnClick;

    QAction* Action() const { return FAction; }

private:
    friend class TPopupMenu;
    TMenuItem(TPopupMenu* Menu, QAction* Action);

    TPopupMenu* FMenu;
    QAction* FAction;
    bool FDefault = false;
};

class TPopupMenu : public TComponent
{
    Q_OBJECT
public:
    explicit TPopupMenu(QObject* Owner = nullptr);
    ~TPopupMenu() override;

    // Appends a top-level item; a Caption of "-" makes a separator.
    TMenuItem* Add(const QString& Caption, TNotifyEvent OnClick = {});
    int Count() const { return int(FItems.size()); }
    TMenuItem* Items(int Index) const;

    // Whether the menu opens by itself on a right click of the control or tray icon it belongs to.
    bool AutoPopup = true;
    // The component that opened the menu last.
    QPointer<QObject> PopupComponent;

    // Shows the menu with its left edge at (X, Y) and waits until it closes; then the chosen item's
    // OnClick runs, outside Qt's event code, so that its errors reach the caller.
    virtual void Popup(int X, int Y);

    // Replaces the modal QMenu::exec of Popup, for tests: receives the menu and the point and returns
    // the chosen action (or nullptr).
    using TExecHook = std::function<QAction*(QMenu& Menu, const QPoint& At)>;
    void SetExecHook(TExecHook Hook) { FExecHook = std::move(Hook); }

    QMenu* Menu() const { return FMenu.get(); }

private:
    friend class TMenuItem;
    void DefaultChanged(TMenuItem* Item);

    std::unique_ptr<QMenu> FMenu;
    std::vector<TMenuItem*> FItems; // children of this object
    TExecHook FExecHook;
};
