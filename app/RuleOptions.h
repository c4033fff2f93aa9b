// A source's rules from the options: --ignore, --trigger and --new-only.
#pragma once

#include "Command.h"
#include "OwnSources.h"

bool HasRuleOptions(const QCommandLineParser& Parser);

// Writes the rules given into the section of source Id in File. The values of --ignore or --trigger
// replace that list, empty ones left out, so that a single empty value clears it. Returns 0, or the
// status of the usage error printed: an expression that does not compile is named with PCRE's error
// and its position.
int ReadRuleOptions(const QCommandLineParser& Parser, TSourcesFile& File, int Id);
