// TSourceState: what the window knows of one source's refreshes (when it was last tried and last
// shown, why its last attempt failed, what was amiss on its page, whether it changed unseen), its
// tab's mark and tooltip; and the warning about a page whose markers were not found.
#pragma once

#include "TextRoutines.h"

#include <QString>
#include <cstdint>

enum class TSourceMark : std::uint8_t
{
    None,
    Changed, // a change the user has not seen yet
    Warning, // the page is shown, but something was amiss on it
    Failed   // the last attempt failed; the previous page stays
};

struct TSourceState
{
    QString LastAttempt; // time of the last completed attempt; empty before the first
    QString LastSuccess; // time of the last attempt that showed a page
    QString Failure;     // why the last attempt failed, in Polish; empty when it did not
    QString Warning;     // what was amiss on the last shown page; empty when nothing
    bool Unseen = false; // changed since the user last saw the tab
    QString Note;        // what the history adds to a shown page's tooltip; empty when nothing

    void Fail(const QString& Time, const QString& Reason);
    void Succeed(const QString& Time, const QString& PageWarning, bool Changed);
    TSourceMark Mark() const;
    // The tab's tooltip in Polish; empty before the first attempt.
    QString Tooltip() const;
};

// What is amiss with the markers of a page: empty when the start marker and an end marker after it
// were found.
QString MarkerWarning(const TMarkerPositions& At);
