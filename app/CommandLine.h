// The command line: --check [FILE], --history [N], --refresh-once [N ...], --help and --version run
// without a window, and so does an option the program does not know; the window takes no arguments
// beyond the toolkit's own.
#pragma once

#include <QStringList>

// True when the arguments hold an option other than the toolkit's own: --check, --history,
// --refresh-once, --help, --version or one the program does not know.
bool AsksForCommandLine(int argc, char** argv);

// Runs the options on a QCoreApplication, so without a display; returns the exit status (2 for a
// command line it does not understand).
int RunCommandLine(int argc, char** argv);

// For the window, with the toolkit's own options already taken out of Arguments: notes on standard
// error that anything left beyond the program name is ignored.
void NoteIgnoredArguments(const QStringList& Arguments);
