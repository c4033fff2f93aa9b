// The shell commands, one file each; app/CommandLine.cpp declares their options and picks one.
#pragma once

#include "Command.h"

// --check [FILE]: the configuration file checked against the sites (app/CheckCommand.cpp).
int RunCheckCommand(const QCommandLineParser& Parser);
// --history [N]: the stored versions listed (app/HistoryCommand.cpp).
int RunHistoryCommand(const QCommandLineParser& Parser);
// --set-source N: for one of the five, the lines of dane.txt given (--address, --start, --end), the
// texts taken in the locale's encoding and written in Windows-1250; for a source of one's own, its
// entry in zrodla.ini (also --caption, --on, --off); for either, its rules in zrodla.ini (--ignore,
// --trigger, --new-only). 0 when written, 1 when a file could not be (the old one untouched), 2 for
// bad arguments or a broken zrodla.ini (app/SetSource.cpp).
int RunSetSource(const QCommandLineParser& Parser);
// --refresh-once [N ...]: one refresh without a window, or by the window running from the same page
// folder (app/RefreshOnce.cpp).
int RunRefreshOnceCommand(const QCommandLineParser& Parser);
// --sources: every source and its rules listed (app/SourcesCommand.cpp).
int RunSourcesCommand(const QCommandLineParser& Parser);
// --add-source: a source of one's own added to zrodla.ini, its id printed; 2 for a refused caption
// or address or a full list (app/AddSource.cpp).
int RunAddSource(const QCommandLineParser& Parser);
// --remove-source ID: a source of one's own and its page file removed; 1 when there is none, 2 for
// the ids of the five (app/RemoveSource.cpp).
int RunRemoveSource(const QCommandLineParser& Parser);
// --feed: the feed of changes printed (app/FeedCommand.cpp).
int RunFeedCommand(const QCommandLineParser& Parser);
// --channels: the notification channels listed with their last results (app/ChannelCommands.cpp).
int RunChannelsCommand(const QCommandLineParser& Parser);
// --add-channel KIND ADDRESS [--to ADDR ...] [--user NAME]: a channel added, its token or password
// read from standard input into the keyring; 1 when the secret cannot be kept (nothing is added), 2
// for a refused kind or address.
int RunAddChannel(const QCommandLineParser& Parser);
// --remove-channel N: a channel and its secret removed; 2 when there is no channel N.
int RunRemoveChannel(const QCommandLineParser& Parser);
// --test-channels: a test message through every channel that is on, a line each; 1 when any failed.
int RunTestChannels(const QCommandLineParser& Parser);
