// The component model's state flags and removal notification.
#include "Component.h"

TComponent::TComponent(QObject* Owner) : QObject(Owner) {}

void TComponent::SetDesigning(bool Value)
{
    if (Value)
        FComponentState |= csDesigning;
    else
        FComponentState &= ~unsigned(csDesigning);
}

void TComponent::BeginLoading()
{
    FComponentState |= csLoading;
}

void TComponent::Loaded()
{
    FComponentState &= ~unsigned(csLoading);
}

void TComponent::FreeNotification(QObject* Other)
{
    if (Other == nullptr)
        return;
    // Unique: asking twice must not notify twice. QObject::destroyed carries the object while its
    // QObject part still exists; the notification only compares the pointer.
    connect(Other, &QObject::destroyed, this, &TComponent::OtherDestroyed, Qt::UniqueConnection);
}

void TComponent::RemoveFreeNotification(QObject* Other)
{
    if (Other != nullptr)
        disconnect(Other, &QObject::destroyed, this, &TComponent::OtherDestroyed);
}

QString TComponent::ClassName() const
{
    return QString::fromLatin1(metaObject()->className());
}

void TComponent::Notification(QObject*, TOperation) {}

void TComponent::OtherDestroyed(QObject* Gone)
{
    Notification(Gone, TOperation::opRemove);
}
