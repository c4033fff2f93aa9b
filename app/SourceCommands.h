// The source commands without a display: --sources, --add-source, --remove-source, and
// --set-source for the sources of one's own, on zrodla.ini in the working directory.
#pragma once

// True when the arguments ask for --sources, --add-source or --remove-source, or for --set-source
// with the id of a source of one's own (6 and up).
bool AsksForSourceCommand(int argc, char** argv);

// Takes the texts in the locale's encoding. Returns 0 when done; 2 for bad arguments, a refused
// caption or address, a full list, a source 1 to 5 to remove or a broken zrodla.ini (named on
// standard error); 1 for --remove-source of a source that is not there, and when the file could
// not be written (with the reason, the old file untouched).
int RunSourceCommand(int argc, char** argv);
