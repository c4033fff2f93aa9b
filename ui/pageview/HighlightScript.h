// HighlightScript: the style and script that mark a page's new passages in its view.
#pragma once

#include <QStringList>

// A script that marks the block elements whose text is one of Passages (compared as PagePassages
// reads them) with a yellow background and an amber bar on the left, after removing earlier marks,
// and returns how many it marked, or -1 when the view's document is not parsed yet.
QString HighlightScript(const QStringList& Passages);
