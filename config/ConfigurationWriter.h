// SaveSources: writes new lines for some sources into a configuration file and keeps every other
// byte of it, atomically and with a backup of the previous file.
#pragma once

#include "AtomicFile.h"
#include "SourceTable.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The three lines of one source, as bytes of the file (Windows-1250).
struct TSourceLines
{
    std::string Address;
    std::string StartMarker;
    std::string EndMarker;
};

// The sources to rewrite; the others keep their lines.
using TSourceChanges = std::array<std::optional<TSourceLines>, SourceCount>;

// Why the file could not be written, in Polish (UTF-8); nothing on disk changed.
using EConfigurationWrite = EFileWrite;

// Why Value cannot be a line of the file (a CR or LF would split it, a Ctrl-Z would end the file
// there), in Polish; empty when it can.
std::string LineRefusal(std::string_view Value);

// The bytes of a file whose lines of the changed sources are replaced, each ending in CR LF, with
// all other bytes as in Old: other lines and their ends, lines after the fifteenth, a last line
// without an end, a Ctrl-Z and what follows it. Lines missing before a changed source are added
// empty. The values must pass LineRefusal.
std::string ReplaceSourceLines(std::string_view Old, const TSourceChanges& Changes);

// Writes Changes into FileName: a new file goes to a temporary file in the same folder, is flushed
// to disk and renamed over the old one, which is kept as FileName + ".bak". A missing file becomes
// one of fifteen lines. Throws EConfigurationWrite for a refused value, a file whose lines end in LF
// alone, a FileName that is not a regular file, or a folder that cannot be written, before anything
// changed on disk.
void SaveSources(const std::string& FileName, const TSourceChanges& Changes);
