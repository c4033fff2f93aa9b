// Fuzz target for the text routines. The input is Pattern, byte 0xFF, Replacement, byte 0xFF, Text
// (missing parts are empty); CutBetweenMarkers takes Pattern and Replacement as its start and end
// markers. The results are checked against bytewise references and the routines' stated properties.
#include "FuzzCheck.h"
#include "TextRoutines.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {
constexpr char Separator = '\xFF';

// Cuts the part up to the next separator off Input; without one the whole of Input.
std::string_view TakePart(std::string_view& Input)
{
    const std::size_t At = Input.find(Separator);
    const std::string_view Part = Input.substr(0, At);
    Input.remove_prefix(At == std::string_view::npos ? Input.size() : At + 1);
    return Part;
}

// Line form: empty, or ending in CR LF, with CR and LF only as CR LF pairs and no NUL.
bool InLineForm(std::string_view Text)
{
    for (std::size_t I = 0; I < Text.size(); ++I) {
        if (Text[I] == '\0')
            return false;
        if (Text[I] == '\r' && (I + 1 == Text.size() || Text[I + 1] != '\n'))
            return false;
        if (Text[I] == '\n' && (I == 0 || Text[I - 1] != '\r'))
            return false;
    }
    return Text.empty() || Text.back() == '\n';
}

// Builds the result left to right; the search goes on after the inserted text, so a replacement is
// never searched again.
std::string ReplaceAllReference(std::string_view Pattern, std::string_view Replacement, std::string_view Text,
                                std::size_t& Matches)
{
    Matches = 0;
    if (Pattern.empty())
        return std::string(Text);
    std::string Out;
    std::size_t From = 0;
    for (std::size_t At; (At = Text.find(Pattern, From)) != std::string_view::npos;
         From = At + Pattern.size()) {
        Out.append(Text.substr(From, At - From)).append(Replacement);
        ++Matches;
    }
    return Out.append(Text.substr(From));
}

// Lines split at CR LF, lone CR or lone LF up to the first NUL, each followed by CR LF; byte by byte.
std::string NormalizeLinesReference(std::string_view Text)
{
    Text = Text.substr(0, Text.find('\0'));
    std::string Out;
    std::size_t At = 0;
    while (At < Text.size()) {
        std::size_t End = At;
        while (End < Text.size() && Text[End] != '\r' && Text[End] != '\n')
            ++End;
        Out.append(Text.substr(At, End - At)).append("\r\n");
        if (End < Text.size() && Text[End] == '\r')
            ++End;
        if (End < Text.size() && Text[End] == '\n')
            ++End;
        At = End;
    }
    return Out;
}

void CheckReplaceAll(std::string_view Pattern, std::string_view Replacement, std::string_view Text)
{
    const std::string Result = ReplaceAll(Pattern, Replacement, Text);
    std::size_t Matches;
    FUZZ_CHECK(Result == ReplaceAllReference(Pattern, Replacement, Text, Matches));
    FUZZ_CHECK(Result.size() + Matches * Pattern.size() == Text.size() + Matches * Replacement.size());
    if (Pattern.empty())
        FUZZ_CHECK(Result == Text);
}

void CheckNormalizeLines(std::string_view Text)
{
    const std::string Lines = NormalizeLines(Text);
    FUZZ_CHECK(InLineForm(Lines));
    FUZZ_CHECK(NormalizeLines(Lines) == Lines);
    FUZZ_CHECK(Lines == NormalizeLinesReference(Text));
}

void CheckCutBetweenMarkers(std::string_view Text, std::string_view StartMarker, std::string_view EndMarker)
{
    FUZZ_CHECK(InLineForm(CutBetweenMarkers(Text, StartMarker, EndMarker)));
    // Pages are handed over in line form; that path skips the normalisation of the tail.
    FUZZ_CHECK(InLineForm(CutBetweenMarkers(NormalizeLines(Text), StartMarker, EndMarker)));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    std::string_view Input(reinterpret_cast<const char*>(Data), Size);
    const std::string_view Pattern = TakePart(Input);
    const std::string_view Replacement = TakePart(Input);
    const std::string_view Text = Input;

    CheckReplaceAll(Pattern, Replacement, Text);
    CheckNormalizeLines(Text);
    CheckCutBetweenMarkers(Text, Pattern, Replacement);
    return 0;
}
