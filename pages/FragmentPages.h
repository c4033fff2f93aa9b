// Build steps of the four commentary sources: cut the fragment, wrap it in the source's header and
// trailer and rewrite its links.
#pragma once

#include <string>
#include <string_view>

// Builds the page file text of commentary source 0 to 3 from the downloaded page in line form.
std::string BuildFragmentPage(int SourceIndex, std::string_view Page, std::string_view StartMarker,
                              std::string_view EndMarker);
