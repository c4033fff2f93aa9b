// The caption and page file of any source by its index (one's own: id - 1): the five's from the
// source table, one's own from the sources file and their ids, so that every part names them alike.
#pragma once

#include "OwnSources.h"
#include "SourceTable.h"

#include <string>

// A source index from 5 on is a source of one's own, whose id is the index plus one.
constexpr bool IsOwnSource(int Source)
{
    return Source >= SourceCount;
}

// The caption of Source in File; a source of one's own no longer there (removed, its versions kept)
// is named by its id: "źródło 7".
std::string SourceCaption(int Source, const TSourcesFile& File);

// As above, reading the sources file of the working directory; a broken or missing file names one's
// own sources by their ids.
std::string SourceCaption(int Source);

// The page file of Source in the page folder: the source table's for the five, "zrodlo6.htm" and on
// for one's own.
std::string SourcePageFileName(int Source);
