// THistory: the history store on a thread of its own, so that its disk work never holds up the
// window. Jobs run in the order given; their results come back on the thread that gave them.
#pragma once

#include "HistoryStore.h"
#include "Mailbox.h"

#include <QObject>
#include <QThread>
#include <functional>
#include <memory>

class THistory : public QObject
{
    Q_OBJECT
public:
    // The store opens the database at Path for program folder Folder with the first job.
    THistory(const QString& Path, const QString& Folder, QObject* Parent = nullptr);
    // Waits for the jobs already given and closes the store; results not yet delivered are dropped.
    ~THistory() override;

    // Runs Job on the store's thread, then Done with its result on this object's thread.
    template <typename TResult>
    void Run(std::function<TResult(THistoryStore&)> Job, std::function<void(TResult)> Done)
    {
        Post([this, Job = std::move(Job), Done = std::move(Done)](THistoryStore& Store) {
            auto Result = std::make_shared<TResult>(Job(Store));
            FReplies->Post([Done, Result] { Done(std::move(*Result)); });
        });
    }
    // Runs Done once every job given before it has finished.
    void AfterPending(std::function<void()> Done);

private:
    void Post(std::function<void(THistoryStore&)> Job);

    QThread FThread;
    TMailbox* FJobs;    // lives on FThread
    TMailbox* FReplies; // lives on this object's thread
    QString FPath;
    QString FFolder;
    std::unique_ptr<THistoryStore> FStore; // made, used and destroyed on FThread
};
