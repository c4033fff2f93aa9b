// RunHistoryList: `tickerwell --history [N]`, the stored versions listed in a shell.
#pragma once

#include <QString>
#include <cstdio>

// Prints one line per stored version of this program folder's sources (or of Source alone, an index from 0;
// one's own sources are named from the working directory's sources file),
// newest first: local time, tab caption, bytes and "+A -R", tab-separated. Database is the history
// file. Returns 0 (with a note on Errors when there is nothing to list), or 2 with the reason on
// Errors when the file cannot be read.
int RunHistoryList(const QString& Database, const QString& ProgramDir, int Source, std::FILE* Out,
                   std::FILE* Errors);
