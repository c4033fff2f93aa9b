// BuildSourcePage: everything one download of a source comes to, worked out in one pass over the
// downloaded bytes, for the window and the check alike.
#pragma once

#include "TextRoutines.h"

#include <string>
#include <string_view>

struct TSourcePage
{
    // The page file: the fragment page of a commentary source, the index page in line form.
    std::string FileBytes;
    // Commentary sources: the section cut out between the markers, and where they were found.
    std::string Fragment;
    TMarkerPositions Markers;
    // Index source: the session id found on the page (may be empty) and the quotes page for it.
    std::string Sesid;
    std::string QuotesAddress;
};

// Brings the downloaded bytes of Source into line form once and builds from them.
TSourcePage BuildSourcePage(int Source, std::string_view Downloaded, std::string_view StartMarker,
                            std::string_view EndMarker);
