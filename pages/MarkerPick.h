// PickMarker: a marker taken from a selection in a page, where the cut would find it, and the
// shortest lengthening that makes the cut find it at the selection.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct TMarkerPick
{
    std::string Marker;          // the selected bytes, within one line
    bool CutToLine = false;      // the selection spanned lines and was cut to one
    std::ptrdiff_t Selected = 0; // position (from 1) of the marker in the page
    std::ptrdiff_t Found = 0;    // position (from 1) where the cut finds it; 0 when it does not
    // The shortest text that starts at the selection, stays on its line and is found nowhere
    // between the search's start and the selection; empty when Found is the selection or none
    // exists.
    std::string Lengthened;
};

// Takes the bytes [Begin, End) of Page (in line form) as a marker that the cut looks for from
// position From (from 1) on: 1 for a start marker, the start marker's position for an end marker.
// A selection across lines keeps its first line for a start marker, its last for an end marker
// (KeepLast), so that the cut still begins or ends where the user pointed.
TMarkerPick PickMarker(std::string_view Page, std::size_t Begin, std::size_t End, std::ptrdiff_t From,
                       bool KeepLast);
