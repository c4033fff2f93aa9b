// The merge of the settings dialog's edits of the sources' values with dane.txt as the file is when
// they are saved, so that changes made to the file meanwhile are kept.
#pragma once

#include "Configuration.h"
#include "ConfigurationWriter.h"

#include <string>
#include <vector>

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
