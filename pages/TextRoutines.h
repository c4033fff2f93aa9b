// Text routines on single-byte text: replacing every occurrence of a pattern, bringing text into
// line form (every line ended by CR LF) and cutting a fragment out between two markers.
#pragma once

#include <string>
#include <string_view>

// Replaces every occurrence of Pattern in Text, leftmost first and without overlaps; the inserted
// Replacement is never searched again. An empty Pattern leaves Text unchanged.
std::string ReplaceAll(std::string_view Pattern, std::string_view Replacement, std::string_view Text);

// Splits Text into lines at CR LF, a lone CR or a lone LF, stops at the first NUL, and joins the
// lines with CR LF after each one, the last included.
std::string NormalizeLines(std::string_view Text);

// Cuts Text (in line form) from the first StartMarker through the first EndMarker after it, both
// included; the result is in line form. Missing or empty markers follow fixed edge rules.
std::string CutBetweenMarkers(std::string_view Text, std::string_view StartMarker, std::string_view EndMarker);
