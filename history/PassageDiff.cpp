// The passage comparison over Debian's header-only dtl.
#include "PassageDiff.h"

#include <QHash>
#include <dtl/dtl.hpp>
#include <vector>

TPassageChange ComparePassages(const QStringList& Old, const QStringList& New)
{
    const std::vector<QString> A(Old.begin(), Old.end());
    const std::vector<QString> B(New.begin(), New.end());
    dtl::Diff<QString, std::vector<QString>> Diff(A, B);
    Diff.compose();
    QHash<QString, int> Deleted;
    std::vector<QString> Inserted;
    for (const auto& [Passage, Info] : Diff.getSes().getSequence()) {
        if (Info.type == dtl::SES_DELETE)
            ++Deleted[Passage];
        else if (Info.type == dtl::SES_ADD)
            Inserted.push_back(Passage);
    }
    TPassageChange Change;
    for (const QString& Passage : Inserted) {
        auto Moved = Deleted.find(Passage);
        if (Moved != Deleted.end() && *Moved > 0)
            --*Moved;
        else
            Change.Added.push_back(Passage);
    }
    for (int Count : std::as_const(Deleted))
        Change.Removed += Count;
    return Change;
}
