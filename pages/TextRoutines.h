// Text routines on single-byte text: replacing every occurrence of a pattern, bringing text into
// line form (every line ended by CR LF) and cutting a fragment out between two markers, with the
// position arithmetic (Find, Sub) they are built on.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Position (from 1) of the first occurrence of Pattern in Text; 0 when there is none and when
// Pattern or Text is empty.
std::ptrdiff_t Find(std::string_view Pattern, std::string_view Text);

// Count characters of Text from position Index; an Index below 1 counts as 1, an Index past the end
// or a negative Count gives the empty text, a Count past the end is cut there. A view into Text.
std::string_view Sub(std::string_view Text, std::ptrdiff_t Index, std::ptrdiff_t Count);

// Replaces every occurrence of Pattern in Text, leftmost first and without overlaps; the inserted
// Replacement is never searched again. An empty Pattern leaves Text unchanged.
std::string ReplaceAll(std::string_view Pattern, std::string_view Replacement, std::string_view Text);

// Splits Text into lines at CR LF, a lone CR or a lone LF, stops at the first NUL, and joins the
// lines with CR LF after each one, the last included.
std::string NormalizeLines(std::string_view Text);

// Where a cut found its markers in Text: the position (from 1) of the first StartMarker, and that of
// the first EndMarker from there on, counted in the line form of the text; 0 for a marker that is
// not found, an empty one included.
struct TMarkerPositions
{
    std::ptrdiff_t Start = 0;
    std::ptrdiff_t End = 0;
};

struct TMarkerCut
{
    std::string Fragment;
    TMarkerPositions At;
};

// Cuts Text (in line form) from the first StartMarker through the first EndMarker after it, both
// included; the fragment is in line form. Missing or empty markers follow fixed edge rules.
TMarkerCut CutBetweenMarkers(std::string_view Text, std::string_view StartMarker, std::string_view EndMarker);
