// ComparePassages: what changed between the passages of two versions of a page.
#pragma once

#include <QStringList>

struct TPassageChange
{
    QStringList Added; // passages of the new version that are new or changed, in page order
    int Removed = 0;   // passages of the old version that are gone or changed
};

// An edit script over the two passage sequences (dtl's O(ND) difference); a passage that is deleted
// in one place and inserted in another has moved and counts as neither.
TPassageChange ComparePassages(const QStringList& Old, const QStringList& New);
