// The five followed sources in their fixed order: for each source index, the names of the window's
// controls that belong to it and its local page file. The completion handler of source i is the
// window's Worker<i>Terminate.
#pragma once

#include <array>
#include <string_view>

inline constexpr int SourceCount = 5;

struct TSourceEntry
{
    std::string_view CheckBox;   // enables the source
    std::string_view TabSheet;   // tab page at position i of PageControl1
    std::string_view WebBrowser; // page view on that tab
    std::string_view LinkLabel;  // shows the source's address
    std::string_view PageFileName;
};

inline constexpr std::array<TSourceEntry, SourceCount> SourceTable{{
    {"CheckBox3", "TabSheet1", "WebBrowser1", "Label5", "1wirek&borta.htm"},
    {"CheckBox4", "TabSheet2", "WebBrowser2", "Label6", "2stormerfut.htm"},
    {"CheckBox4", "TabSheet3", "WebBrowser3", "Label7", "3stormer.htm"},
    {"CheckBox6", "TabSheet4", "WebBrowser4", "Label8", "4doakcji.htm"},
    {"CheckBox5", "TabSheet5", "WebBrowser5", "Label9", "5swiat.htm"},
}};

// The source whose page is the index page rather than a commentary fragment.
inline constexpr int IndexSource = 4;
