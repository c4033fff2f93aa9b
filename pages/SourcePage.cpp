// One source's page, from the downloaded bytes to the page file and the markers' positions.
#include "SourcePage.h"

#include "FragmentPages.h"
#include "IndexPage.h"
#include "SourceTable.h"

TSourcePage BuildSourcePage(int Source, std::string_view Downloaded, std::string_view StartMarker,
                            std::string_view EndMarker)
{
    TSourcePage Page;
    std::string Lines = NormalizeLines(Downloaded);
    if (Source == IndexSource) {
        Page.Sesid = ExtractSesid(Lines);
        Page.QuotesAddress = QuotesPageAddress(Page.Sesid);
        Page.FileBytes = std::move(Lines);
        return Page;
    }
    TMarkerCut Cut = CutBetweenMarkers(Lines, StartMarker, EndMarker);
    Page.Markers = Cut.At;
    Page.Fragment = std::move(Cut.Fragment);
    Page.FileBytes = BuildFragmentPage(Source, Page.Fragment);
    return Page;
}
