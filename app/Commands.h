// The shell commands, one file each; app/CommandLine.cpp declares their options and picks one.
#pragma once

#include "Command.h"

// --check [FILE]: the configuration file checked against the sites (app/CheckCommand.cpp).
int RunCheckCommand(const QCommandLineParser& Parser);
// --history [N]: the stored versions listed (app/HistoryCommand.cpp).
int RunHistoryCommand(const QCommandLineParser& Parser);
// --set-source N with --address, --start, --end: one source's lines of dane.txt, the texts taken in
// the locale's encoding and written in Windows-1250. 0 when the file was written, 1 when it could
// not be (the old file untouched), 2 for bad arguments (app/SetSource.cpp).
int RunSetSource(const QCommandLineParser& Parser);
// --refresh-once [N ...]: one refresh without a window, or by the window running from the same page
// folder (app/RefreshOnce.cpp).
int RunRefreshOnceCommand(const QCommandLineParser& Parser);
// --feed: the feed of changes printed (app/FeedCommand.cpp).
int RunFeedCommand(const QCommandLineParser& Parser);
