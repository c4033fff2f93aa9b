// The history's thread and its job queue, a mailbox living on that thread.
#include "History.h"

#include <future>

THistory::THistory(const QString& Path, const QString& Folder, QObject* Parent)
    : QObject(Parent), FJobs(new TMailbox), FReplies(new TMailbox(this)), FPath(Path), FFolder(Folder)
{
    FThread.setObjectName(QStringLiteral("history"));
    FJobs->moveToThread(&FThread);
    FThread.start(QThread::LowPriority);
}

THistory::~THistory()
{
    // The database connection belongs to the thread that made it, and goes there.
    std::promise<void> Closed;
    FJobs->Post([this, &Closed] {
        FStore.reset();
        Closed.set_value();
    });
    Closed.get_future().wait();
    FThread.quit();
    FThread.wait();
    delete FJobs;
}

void THistory::Post(std::function<void(THistoryStore&)> Job)
{
    FJobs->Post([this, Job = std::move(Job)] {
        if (!FStore)
            FStore = std::make_unique<THistoryStore>(FPath, FFolder);
        Job(*FStore);
    });
}

void THistory::AfterPending(std::function<void()> Done)
{
    FJobs->Post([this, Done = std::move(Done)] { FReplies->Post(Done); });
}
