// RunConfigCheck: the command-line check of a configuration file. It reads the file as a refresh
// does, downloads every source that has an address in parallel with the download worker, applies
// each source's markers as the page builder does and reports every source in a block of its own.
#pragma once

#include <string>

// Checks FileName and prints the report on standard output, in the locale's encoding; runs the
// event loop of the existing QCoreApplication until every download has ended. Returns the exit
// status: 0 when every source with an address downloaded and found what it needs (both markers,
// or the session id for the index source), 1 otherwise, 2 when the file cannot be read (the
// reader's message then goes to standard error).
int RunConfigCheck(const std::string& FileName);
