// Fuzz target for the text routines against bytewise references; input: Pattern 0xFF Replacement
// 0xFF Text.
#include "FuzzCheck.h"
#include "TextRoutines.h"

#include <cstdint>
#include <string>

namespace {
// Cuts the part up to the next separator off Input; without one the whole of Input.
std::string_view TakePart(std::string_view& Input)
{
    const std::size_t At = Input.find('\xFF');
    const std::string_view Part = Input.substr(0, At);
    Input.remove_prefix(At == std::string_view::npos ? Input.size() : At + 1);
    return Part;
}

// Left to right; the search goes on after the inserted text, which is never searched again.
std::string ReplaceAllReference(std::string_view Pattern, std::string_view Replacement, std::string_view Text)
{
    std::string Out;
    std::size_t From = 0;
    for (std::size_t At; !Pattern.empty() && (At = Text.find(Pattern, From)) != std::string_view::npos;
         From = At + Pattern.size())
        Out.append(Text.substr(From, At - From)).append(Replacement);
    return Out.append(Text.substr(From));
}

// Lines split at CR LF, a lone CR or a lone LF up to the first NUL, each followed by CR LF.
std::string NormalizeLinesReference(std::string_view Text)
{
    Text = Text.substr(0, Text.find('\0'));
    std::string Out;
    for (std::size_t At = 0; At < Text.size();) {
        const std::size_t End = std::min(Text.find_first_of("\r\n", At), Text.size());
        Out.append(Text.substr(At, End - At)).append("\r\n");
        At = End + (End < Text.size() && Text[End] == '\r');
        At += At < Text.size() && Text[At] == '\n';
    }
    return Out;
}

// From the first start marker in the text as given (or from its start) through the first end
// marker after it in line form; without one, as many characters as the end marker has less one.
std::string CutReference(std::string_view Text, std::string_view StartMarker, std::string_view EndMarker)
{
    const std::size_t Start = StartMarker.empty() ? std::string_view::npos : Text.find(StartMarker);
    const std::string Head =
        NormalizeLinesReference(Start == std::string_view::npos ? Text : Text.substr(Start));
    const std::size_t End = EndMarker.empty() ? std::string::npos : Head.find(EndMarker);
    const std::ptrdiff_t Count =
        (End == std::string::npos ? 0 : std::ptrdiff_t(End) + 1) + std::ssize(EndMarker) - 1;
    return NormalizeLinesReference(Head.substr(0, std::size_t(std::max<std::ptrdiff_t>(Count, 0))));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    std::string_view Input(reinterpret_cast<const char*>(Data), Size);
    const std::string_view Pattern = TakePart(Input), Replacement = TakePart(Input), Text = Input;
    FUZZ_CHECK(ReplaceAll(Pattern, Replacement, Text) == ReplaceAllReference(Pattern, Replacement, Text));
    FUZZ_CHECK(NormalizeLines(Text) == NormalizeLinesReference(Text));
    for (const std::string& Page : {std::string(Text), NormalizeLines(Text)})
        FUZZ_CHECK(CutBetweenMarkers(Page, Pattern, Replacement).Fragment ==
                   CutReference(Page, Pattern, Replacement));
    return 0;
}
