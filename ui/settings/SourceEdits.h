// The sources' values as the settings dialog edits them, and the merge of its edits with dane.txt
// as the file is when they are saved, so that changes made to the file meanwhile are kept.
#pragma once

#include "ConfigurationWriter.h"

#include <array>
#include <string>
#include <vector>

// Address, start marker and end marker of each source: bytes of the file.
using TSourceValues = std::array<std::array<std::string, 3>, SourceCount>;

// Reads FileName's values into Values; throws EInOutError as LoadConfiguration does, after storing
// the values read before the error.
void ReadSourceValues(const char* FileName, TSourceValues& Values);

// A field changed both in the dialog and in the file since the dialog read it, to different values.
struct TFieldConflict
{
    int Source;
    int Field;
    std::string OnDisk;
};

struct TSourceMerge
{
    // The sources with a field changed in the dialog: that field as edited, the others as on disk.
    TSourceChanges Changes;
    std::vector<TFieldConflict> Conflicts;
};

// Edited holds the values Read at open, changed in the dialog; OnDisk the file's values now.
TSourceMerge MergeSourceEdits(const TSourceValues& Read, const TSourceValues& Edited,
                              const TSourceValues& OnDisk);

// MergeSourceEdits with the values FileName holds now; a missing file holds none. Throws EInOutError
// when the file cannot be read.
TSourceMerge MergeWithFile(const char* FileName, const TSourceValues& Read, const TSourceValues& Edited);
