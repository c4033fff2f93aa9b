// The history's thread and its job queue, the event queue of an object living on that thread.
#include "History.h"

THistory::THistory(const QString& Path, const QString& Folder, QObject* Parent)
    : QObject(Parent), FContext(new QObject), FPath(Path), FFolder(Folder)
{
    FThread.setObjectName(QStringLiteral("history"));
    FContext->moveToThread(&FThread);
    FThread.start(QThread::LowPriority);
}

THistory::~THistory()
{
    // The database connection belongs to the thread that made it, and goes there.
    QMetaObject::invokeMethod(
        FContext, [this] { FStore.reset(); }, Qt::BlockingQueuedConnection);
    FThread.quit();
    FThread.wait();
    delete FContext;
}

void THistory::Post(std::function<void(THistoryStore&)> Job)
{
    QMetaObject::invokeMethod(FContext, [this, Job = std::move(Job)] {
        if (!FStore)
            FStore = std::make_unique<THistoryStore>(FPath, FFolder);
        Job(*FStore);
    });
}

void THistory::AfterPending(std::function<void()> Done)
{
    QMetaObject::invokeMethod(FContext, [this, Done = std::move(Done)] {
        QMetaObject::invokeMethod(this, Done, Qt::QueuedConnection);
    });
}
