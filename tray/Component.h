// TComponent: the component model the tray builds on: an owned QObject with the designing, loading
// and destroying states, an end-of-loading hook and notification when a referenced component goes.
#pragma once

#include "Persistent.h"

#include <QObject>
#include <functional>

using TNotifyEvent = std::function<void(QObject* Sender)>;

class TComponent : public QObject, public TPersistent
{
    Q_OBJECT
public:
    enum TComponentStateFlag : unsigned
    {
        csLoading = 1u << 0,
        csDesigning = 1u << 1,
        csDestroying = 1u << 2,
    };
    enum class TOperation
    {
        opInsert,
        opRemove
    };

    // Owner becomes the QObject parent, which deletes the component with itself.
    explicit TComponent(QObject* Owner = nullptr);

    unsigned ComponentState() const { return FComponentState; }
    bool Designing() const { return (FComponentState & csDesigning) != 0; }
    bool Destroying() const { return (FComponentState & csDestroying) != 0; }
    bool Loading() const { return (FComponentState & csLoading) != 0; }

    // For a host that edits components instead of running them.
    void SetDesigning(bool Value);

    // A host that sets the stored properties of a component calls BeginLoading before and Loaded
    // after; Loaded is also the end-of-loading hook that descendants extend.
    void BeginLoading();
    virtual void Loaded();

    // Asks to be told through Notification(Other, opRemove) when Other is destroyed.
    void FreeNotification(QObject* Other);
    void RemoveFreeNotification(QObject* Other);

    QString ClassName() const override;

protected:
    virtual void Notification(QObject* Component, TOperation Operation);

    // Descendants call this first in their destructors.
    void MarkDestroying() { FComponentState |= csDestroying; }

private:
    void OtherDestroyed(QObject* Gone);

    unsigned FComponentState = 0;
};
