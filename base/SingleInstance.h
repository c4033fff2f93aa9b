// TSingleInstance: one running copy per program folder. The first copy listens on a local socket
// named after its folder; a later start connects to it, asks it to show its window and ends. The
// same socket carries a shell's request to refresh the sources, answered when the refresh ends.
#pragma once

#include "RefreshReply.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QLocalServer;
class QLocalSocket;

class TSingleInstance : public QObject
{
    Q_OBJECT
public:
    using TReplyFn = std::function<void(const TRefreshReply&)>;

    // Longest wait for a refresh's answer: a download ends within ten minutes.
    static constexpr int RefreshWait = 12 * 60 * 1000;

    // Hands over to a copy already running from ProgramDir, or else becomes the one that listens,
    // replacing a socket that a crashed copy left behind.
    explicit TSingleInstance(const QString& ProgramDir, QObject* Parent = nullptr);

    // True when another copy runs from the same folder and has been asked to show itself.
    bool HandedOver() const { return FHandedOver; }

    // The socket's name for ProgramDir: one per user and folder.
    static QString ServerName(const QString& ProgramDir);

    // Asks the copy running from ProgramDir to refresh Sources (source indices; empty for every
    // source) and waits up to Wait ms for its reply. No value when no copy listens there; a copy
    // that ends or does not answer in time gives a reply with its Error and status 1.
    static std::optional<TRefreshReply> RequestRefresh(const QString& ProgramDir, const QList<int>& Sources,
                                                       int Wait = RefreshWait);

signals:
    // Another start from the same folder asks this copy to show its window.
    void Activated();
    // A shell asks this copy to refresh Sources (valid source indices; empty for every source).
    // Reply must be called once, when the refresh has ended; it does nothing once the asker is gone.
    void RefreshRequested(const QList<int>& Sources, const TReplyFn& Reply);

private:
    void Serve(QLocalSocket* Client);

    QLocalServer* Server = nullptr;
    bool FHandedOver = false;
};
