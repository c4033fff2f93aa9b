// The five followed sources in their fixed order: for each source index, its tab's caption and its
// local page file. The window's controls of source i sit at position i of their arrays, and its
// completion handler is the window's Worker<i>Terminate.
#pragma once

#include <array>
#include <string_view>

inline constexpr int SourceCount = 5;

struct TSourceEntry
{
    std::string_view Caption; // the tab's caption, as shown (a "&" is a plain character)
    std::string_view PageFileName;
};

inline constexpr std::array<TSourceEntry, SourceCount> SourceTable{{
    {"Wirek & Borta", "1wirek&borta.htm"},
    {"Stormer Futures", "2stormerfut.htm"},
    {"Stormer On-line", "3stormer.htm"},
    {"doakcji.pl", "4doakcji.htm"},
    {"Indeksy", "5swiat.htm"},
}};

// The source whose page is the index page rather than a commentary fragment.
inline constexpr int IndexSource = 4;
