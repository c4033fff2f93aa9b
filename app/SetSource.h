// RunSetSource: tickerwell --set-source N [--address URL] [--start TEXT] [--end TEXT], which writes
// one source's lines of dane.txt in the working directory without a display.
#pragma once

// True when the arguments ask for --set-source.
bool AsksForSetSource(int argc, char** argv);

// Takes the texts in the locale's encoding (UTF-8 under the C locale) and writes them in
// Windows-1250. Returns 0 when the file was written, 1 when it could not be (with the reason on
// standard error, the old file untouched), 2 for bad arguments.
int RunSetSource(int argc, char** argv);
