// Build steps of the four commentary sources: wrap the cut fragment in the source's header and
// trailer and rewrite its links.
#pragma once

#include <string>

// Builds the page file text of commentary source 0 to 3 from the fragment cut out of its page.
std::string BuildFragmentPage(int SourceIndex, std::string Fragment);
