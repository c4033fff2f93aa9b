// Markers picked from a selection.
#include "MarkerPick.h"

#include "TextRoutines.h"

#include <algorithm>

namespace {
std::size_t CommonPrefix(std::string_view Page, std::size_t A, std::size_t B)
{
    std::size_t Length = 0;
    while (B + Length < Page.size() && Page[A + Length] == Page[B + Length])
        ++Length;
    return Length;
}
} // namespace

TMarkerPick PickMarker(std::string_view Page, std::size_t Begin, std::size_t End, std::ptrdiff_t From,
                       bool KeepLast)
{
    TMarkerPick Pick;
    End = std::min(End, Page.size());
    Begin = std::min(Begin, End);
    std::string_view Selection = Page.substr(Begin, End - Begin);
    const std::size_t FirstBreak = Selection.find_first_of("\r\n");
    if (FirstBreak != std::string_view::npos) {
        Pick.CutToLine = true;
        if (KeepLast) {
            const std::size_t LastBreak = Selection.find_last_of("\r\n");
            Begin += LastBreak + 1;
            Selection = Selection.substr(LastBreak + 1);
        } else {
            Selection = Selection.substr(0, FirstBreak);
        }
    }
    Pick.Marker = Selection;
    if (Selection.empty())
        return Pick;
    Pick.Selected = static_cast<std::ptrdiff_t>(Begin) + 1;
    const std::ptrdiff_t Origin = std::max<std::ptrdiff_t>(From, 1);
    const std::ptrdiff_t InTail =
        Find(Selection, Sub(Page, Origin, static_cast<std::ptrdiff_t>(Page.size())));
    Pick.Found = InTail == 0 ? 0 : Origin + InTail - 1;
    if (Pick.Found == 0 || Pick.Found >= Pick.Selected)
        return Pick;

    // Every earlier occurrence shares the selection's first bytes for a while; a text one byte
    // longer than the longest such share is found at the selection first.
    std::size_t Longest = 0;
    for (std::size_t At = static_cast<std::size_t>(Pick.Found - 1); At < Begin;) {
        Longest = std::max(Longest, CommonPrefix(Page, At, Begin));
        const std::ptrdiff_t Next =
            Find(Selection, Page.substr(At + 1, Begin - At - 1 + Selection.size() - 1));
        if (Next == 0)
            break;
        At += static_cast<std::size_t>(Next);
    }
    const std::size_t LineEnd = std::min(Page.find_first_of("\r\n", Begin), Page.size());
    if (Begin + Longest + 1 <= LineEnd)
        Pick.Lengthened = Page.substr(Begin, Longest + 1);
    return Pick;
}
