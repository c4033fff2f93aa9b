// The popup menu component and its items.
#include "PopupMenu.h"

TMenuItem::TMenuItem(TPopupMenu* Menu, QAction* Action) : QObject(Menu), FMenu(Menu), FAction(Action) {}

QString TMenuItem::Caption() const
{
    return IsSeparator() ? QStringLiteral("-") : FAction->text();
}

void TMenuItem::SetDefault(bool Value)
{
    if (Value == FDefault)
        return;
    FDefault = Value;
    FMenu->DefaultChanged(this);
}

bool TMenuItem::Enabled() const
{
    return FAction->isEnabled();
}

void TMenuItem::SetEnabled(bool Value)
{
    FAction->setEnabled(Value);
}

bool TMenuItem::IsSeparator() const
{
    return FAction->isSeparator();
}

void TMenuItem::Click()
{
    if (OnClick)
        OnClick(this);
}

TPopupMenu::TPopupMenu(QObject* Owner) : TComponent(Owner), FMenu(std::make_unique<QMenu>()) {}

TPopupMenu::~TPopupMenu()
{
    MarkDestroying();
}

TMenuItem* TPopupMenu::Add(const QString& Caption, TNotifyEvent OnClick)
{
    QAction* Action = Caption == QLatin1String("-") ? FMenu->addSeparator() : FMenu->addAction(Caption);
    auto* Item = new TMenuItem(this, Action);
    Item->OnClick = std::move(OnClick);
    FItems.push_back(Item);
    return Item;
}

TMenuItem* TPopupMenu::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index).toStdString());
    return FItems[std::size_t(Index)];
}

void TPopupMenu::Popup(int X, int Y)
{
    const QPoint At(X, Y);
    // The menu runs its own event loop, in which anything may happen, this menu's deletion included.
    const QPointer<TPopupMenu> Self(this);
    QAction* Chosen = FExecHook ? FExecHook(*FMenu, At) : FMenu->exec(At);
    if (Self.isNull() || Chosen == nullptr)
        return;
    for (TMenuItem* Item : FItems) {
        if (Item->Action() == Chosen) {
            Item->Click();
            return;
        }
    }
}

void TPopupMenu::DefaultChanged(TMenuItem* Item)
{
    if (Item->Default()) {
        for (TMenuItem* Other : FItems) {
            if (Other != Item)
                Other->FDefault = false;
        }
    }
    // QMenu shows its default action in bold.
    FMenu->setDefaultAction(Item->Default() ? Item->Action() : nullptr);
}
