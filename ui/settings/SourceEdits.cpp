// Merging the dialog's edits with the file.
#include "SourceEdits.h"

TSourceMerge MergeSourceEdits(const TSourceValues& Read, const TSourceValues& Edited,
                              const TSourceValues& OnDisk)
{
    TSourceMerge Merge;
    for (int Source = 0; Source < SourceCount; ++Source) {
        std::array<std::string, 3> Lines = OnDisk[Source];
        bool Changed = false;
        for (int Field = 0; Field < 3; ++Field) {
            const std::string& Value = Edited[Source][Field];
            if (Value == Read[Source][Field])
                continue;
            Changed = true;
            Lines[Field] = Value;
            const std::string& Now = OnDisk[Source][Field];
            if (Now != Read[Source][Field] && Now != Value)
                Merge.Conflicts.push_back({Source, Field, Now});
        }
        if (Changed && Lines != OnDisk[Source])
            Merge.Changes[Source] = TSourceLines{Lines[0], Lines[1], Lines[2]};
    }
    return Merge;
}

TSourceMerge MergeWithFile(const char* FileName, const TSourceValues& Read, const TSourceValues& Edited)
{
    TSourceValues OnDisk;
    try {
        ReadSourceValues(FileName, OnDisk);
    } catch (const EInOutError& Failure) {
        if (Failure.ErrorCode != 2)
            throw;
        OnDisk = {};
    }
    return MergeSourceEdits(Read, Edited, OnDisk);
}
