// HandRefreshToWindow: `tickerwell --refresh-once` while a window runs from the same page folder.
#pragma once

#include <QList>
#include <optional>

// Asks the window running from this program's page folder to refresh Sources (source indices;
// every source when empty), waits for its refresh to end and prints its lines on standard output in
// UTF-8 (or its reason on standard error). Returns the exit status, or no value when no window runs
// there and the command is to refresh by itself.
std::optional<int> HandRefreshToWindow(const QList<int>& Sources);
