// What the commands on zrodla.ini share: the file read and written around a change, and the fields
// of a source of one's own taken from the options.
#pragma once

#include "Command.h"
#include "OwnSources.h"

#include <functional>

// Runs Change on zrodla.ini in the working directory and returns its status; Change saves the file
// itself. A broken file, or a caption, address or list that the file refuses, ends with 2; a file
// that cannot be written ends with 1, the old file untouched; the reason goes to standard error.
int OnSourcesFile(const std::function<int(TSourcesFile& File)>& Change);

// Writes the --caption, --address, --start, --end, --on and --off given into Source, the texts read
// in the locale's encoding; 0, or the status of the usage error printed.
int ReadSourceOptions(const QCommandLineParser& Parser, TOwnSource& Source);
