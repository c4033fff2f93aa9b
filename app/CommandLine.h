// The command line: --check [FILE], --history [N], --help and --version run without a window; the
// window itself takes no arguments beyond the toolkit's own.
#pragma once

#include <QStringList>

// True when the arguments ask for --check, --history, --help or --version.
bool AsksForCommandLine(int argc, char** argv);

// Runs --check, --history, --help or --version on a QCoreApplication, so without a display; returns the exit
// status (2 for a command line it does not understand).
int RunCommandLine(int argc, char** argv);

// For the window, with the toolkit's own options already taken out of Arguments: prints a short
// error and returns 2 when anything is left beyond the program name, else returns 0.
int RejectArguments(const QStringList& Arguments);
