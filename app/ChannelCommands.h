// The channel commands without a display: --channels, --add-channel KIND ADDRESS [--to ADDR ...]
// [--user NAME] (its secret from standard input), --remove-channel N and --test-channels.
#pragma once

// True when the arguments ask for one of the channel commands.
bool AsksForChannelCommand(int argc, char** argv);

// Runs it: 0 when it did what it was asked (for --test-channels: every channel that is on went
// through), 1 when it could not (the reason on standard error), 2 for bad arguments.
int RunChannelCommand(int argc, char** argv);
