// Text routines: Find, Sub, ReplaceAll, NormalizeLines and CutBetweenMarkers. Each routine scans
// its input a fixed number of times and appends to one output sized up front, so pages of many
// megabytes cost time in proportion to their size.
#include "TextRoutines.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {
constexpr std::string_view LineBreak = "\r\n";

bool EndsLine(char C)
{
    // One comparison for the common case: every byte above CR is ordinary text.
    return static_cast<unsigned char>(C) <= '\r' && (C == '\r' || C == '\n' || C == '\0');
}

// The first CR, LF or NUL from P on, or End. Whole words of eight bytes none of which is below 14
// are passed at once; only words holding such a byte (a break, or a tab) are looked at bytewise.
const char* FindLineEnd(const char* P, const char* const End)
{
    constexpr std::uint64_t Ones = 0x0101010101010101, HighBits = 0x8080808080808080;
    for (;;) {
        for (std::uint64_t Word; End - P >= 8; P += 8) {
            std::memcpy(&Word, P, sizeof Word);
            if (((Word - Ones * 14) & ~Word & HighBits) != 0)
                break;
        }
        for (const char* const Stop = End - P >= 8 ? P + 8 : End; P != Stop; ++P)
            if (EndsLine(*P))
                return P;
        if (P == End)
            return End;
    }
}

// Whether NormalizeLines would return Text unchanged: no NUL, CR and LF only as CR LF pairs, and
// a CR LF at the end unless the text is empty.
bool InLineForm(std::string_view Text)
{
    const char* P = Text.data();
    const char* const End = P + Text.size();
    while ((P = FindLineEnd(P, End)) != End) {
        if (*P != '\r' || End - P < 2 || P[1] != '\n')
            return false;
        P += 2;
    }
    return Text.empty() || Text.back() == '\n';
}

// The first occurrence of a non-empty Pattern in Text from From on, or npos. glibc's memmem stays
// fast where string_view::find slows down: on patterns whose first byte is frequent, such as '<'.
std::size_t Search(std::string_view Text, std::string_view Pattern, std::size_t From = 0)
{
    if (From > Text.size() || Pattern.size() > Text.size() - From)
        return std::string_view::npos;
    const void* At = memmem(Text.data() + From, Text.size() - From, Pattern.data(), Pattern.size());
    return At ? static_cast<std::size_t>(static_cast<const char*>(At) - Text.data()) : std::string_view::npos;
}
} // namespace

std::ptrdiff_t Find(std::string_view Pattern, std::string_view Text)
{
    if (Pattern.empty() || Text.empty())
        return 0;
    const std::size_t At = Search(Text, Pattern);
    return At == std::string_view::npos ? 0 : static_cast<std::ptrdiff_t>(At) + 1;
}

std::string_view Sub(std::string_view Text, std::ptrdiff_t Index, std::ptrdiff_t Count)
{
    const auto Length = static_cast<std::ptrdiff_t>(Text.size());
    Index = std::max<std::ptrdiff_t>(Index, 1);
    if (Index > Length || Count < 0)
        return {};
    return Text.substr(static_cast<std::size_t>(Index - 1),
                       static_cast<std::size_t>(std::min(Count, Length - Index + 1)));
}

std::string ReplaceAll(std::string_view Pattern, std::string_view Replacement, std::string_view Text)
{
    if (Pattern.empty())
        return std::string(Text);
    // A longer replacement would make the result regrow and copy the page again; counting the
    // matches first sizes it exactly.
    std::size_t Size = Text.size();
    if (Replacement.size() > Pattern.size()) {
        for (std::size_t At = Search(Text, Pattern); At != std::string_view::npos;
             At = Search(Text, Pattern, At + Pattern.size()))
            Size += Replacement.size() - Pattern.size();
    }
    std::string Out;
    Out.reserve(Size);
    std::size_t Rest = 0;
    for (std::size_t At = Search(Text, Pattern); At != std::string_view::npos;
         At = Search(Text, Pattern, Rest)) {
        Out.append(Text.substr(Rest, At - Rest));
        Out.append(Replacement);
        Rest = At + Pattern.size();
    }
    Out.append(Text.substr(Rest));
    return Out;
}

std::string NormalizeLines(std::string_view Text)
{
    // Pages with lone LF breaks grow by a byte per line; room for lines of 16 characters or more
    // spares long pages a regrowth that copies them again.
    std::string Out;
    Out.reserve(Text.size() + Text.size() / 16 + LineBreak.size());
    const char* P = Text.data();
    const char* const End = P + Text.size();
    // A line starts only where neither the text nor a NUL stops the split, so a break at the very
    // end gives no empty last line and everything after the first NUL is dropped.
    while (P != End && *P != '\0') {
        const char* const LineStart = P;
        P = FindLineEnd(P, End);
        Out.append(LineStart, P);
        Out.append(LineBreak);
        if (P != End && *P == '\r')
            ++P;
        if (P != End && *P == '\n')
            ++P;
    }
    return Out;
}

TMarkerCut CutBetweenMarkers(std::string_view Text, std::string_view StartMarker, std::string_view EndMarker)
{
    // A missing or empty start marker gives position 0, which Sub takes as 1: Head is then the
    // whole text. Text in line form, as pages are handed over, is its own normalisation and needs
    // no copy.
    const std::ptrdiff_t Start = Find(StartMarker, Text);
    const std::string_view Tail = Sub(Text, Start, static_cast<std::ptrdiff_t>(Text.size()));
    const bool TailInLineForm = InLineForm(Tail);
    const std::string Normalized = TailInLineForm ? std::string() : NormalizeLines(Tail);
    const std::string_view Head = TailInLineForm ? Tail : std::string_view(Normalized);
    // A missing end marker leaves the first (length - 1) characters of Head; an empty one gives a
    // count of -1 and so the empty text.
    const std::ptrdiff_t E = Find(EndMarker, Head);
    const std::string_view Cut = Sub(Head, 1, E + static_cast<std::ptrdiff_t>(EndMarker.size()) - 1);
    // Head is in line form, and so is a piece from its start but for its last line's break: whole,
    // cut after its CR, or missing. Completing that break is what NormalizeLines would do.
    TMarkerCut Out{.At = {Start, E == 0 ? 0 : std::max<std::ptrdiff_t>(Start, 1) + E - 1}};
    Out.Fragment.reserve(Cut.size() + LineBreak.size());
    Out.Fragment.append(Cut);
    if (!Cut.empty() && Cut.back() != '\n')
        Out.Fragment.append(Cut.back() == '\r' ? "\n" : LineBreak);
    return Out;
}
