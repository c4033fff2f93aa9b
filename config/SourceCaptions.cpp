// Captions and page files of the five and of one's own sources.
#include "SourceCaptions.h"

std::string SourceCaption(int Source, const TSourcesFile& File)
{
    if (Source >= 0 && !IsOwnSource(Source))
        return std::string(SourceTable[static_cast<std::size_t>(Source)].Caption);
    if (const std::optional<TOwnSource> Own = File.Source(Source + 1))
        return Own->Caption;
    return "źródło " + std::to_string(Source + 1);
}

std::string SourceCaption(int Source)
{
    TSourcesFile File;
    if (IsOwnSource(Source))
        try {
            File = LoadSourcesFile(OwnSourcesFileName);
        } catch (const ESourcesFile&) {
            // Named by its id below; the commands that read the file report it themselves.
        }
    return SourceCaption(Source, File);
}

std::string SourcePageFileName(int Source)
{
    return IsOwnSource(Source) ? OwnPageFileName(Source + 1)
                               : std::string(SourceTable[static_cast<std::size_t>(Source)].PageFileName);
}
