// Warnings about the bytes of a configuration file.
#include "ConfigFileWarnings.h"

#include "ConfigText.h"

#include <algorithm>

namespace {
constexpr std::size_t ReadLineCount = 15;

// The line an editor shows Pos on: every CR LF, lone CR and lone LF before it ends a line.
std::size_t EditorLine(std::string_view Text, std::size_t Pos)
{
    std::size_t Line = 1;
    for (std::size_t I = 0; I < Pos; ++I)
        if (Text[I] == '\n' || (Text[I] == '\r' && (I + 1 == Text.size() || Text[I + 1] != '\n')))
            ++Line;
    return Line;
}

// Position of the first multi-byte UTF-8 sequence when every byte above 127 belongs to a valid
// one; npos otherwise. Polish Windows-1250 text hardly ever passes for UTF-8.
std::size_t FirstUtf8Sequence(std::string_view Text)
{
    std::size_t First = std::string_view::npos;
    for (std::size_t I = 0; I < Text.size(); ++I) {
        const auto Byte = static_cast<unsigned char>(Text[I]);
        if (Byte < 0x80)
            continue;
        std::size_t Continuation = 0;
        if (Byte >= 0xC2 && Byte < 0xE0)
            Continuation = 1;
        else if (Byte >= 0xE0 && Byte < 0xF0)
            Continuation = 2;
        else if (Byte >= 0xF0 && Byte < 0xF5)
            Continuation = 3;
        if (Continuation == 0 || I + Continuation >= Text.size())
            return std::string_view::npos;
        for (std::size_t K = 1; K <= Continuation; ++K)
            if ((static_cast<unsigned char>(Text[I + K]) & 0xC0) != 0x80)
                return std::string_view::npos;
        First = std::min(First, I);
        I += Continuation;
    }
    return First;
}

// Lines as the reader takes them; the number of the last line that holds any text.
std::size_t LastLineWithText(std::string_view Text)
{
    std::size_t Line = 1;
    std::size_t Last = 0;
    for (std::size_t I = 0; I < Text.size(); ++I) {
        if (const std::size_t End = LineEndLength(Text, I)) {
            I += End - 1;
            ++Line;
        } else
            Last = Line;
    }
    return Last;
}
} // namespace

std::vector<std::string> ConfigFileWarnings(std::string_view Bytes)
{
    std::vector<std::string> Warnings;
    const std::string_view Text = Bytes.substr(0, Bytes.find(EndOfText));
    constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
    if (Text.starts_with(Utf8Bom))
        Warnings.push_back("plik zaczyna się znacznikiem BOM (UTF-8), który program czyta jako początek "
                           "pierwszego adresu: zapisz plik w kodowaniu Windows-1250 bez BOM");
    else if (Text.starts_with("\xFF\xFE") || Text.starts_with("\xFE\xFF"))
        Warnings.push_back("plik zaczyna się znacznikiem BOM (UTF-16), a program czyta tekst Windows-1250: "
                           "zapisz plik w kodowaniu Windows-1250");
    // The mark itself is not counted as UTF-8 text.
    const std::size_t Skipped = Text.starts_with(Utf8Bom) ? Utf8Bom.size() : 0;
    const std::size_t Utf8 = FirstUtf8Sequence(Text.substr(Skipped));
    if (Utf8 != std::string_view::npos)
        Warnings.push_back(
            "wiersz " + std::to_string(EditorLine(Text, Skipped + Utf8)) +
            " zawiera tekst UTF-8, a program czyta Windows-1250, więc takie znaki nie pasują do "
            "stron w Windows-1250: zapisz plik w kodowaniu Windows-1250");
    for (std::size_t At = Text.find('\n'); At != std::string_view::npos; At = Text.find('\n', At + 1)) {
        if (At > 0 && Text[At - 1] == '\r')
            continue;
        Warnings.push_back("wiersz " + std::to_string(EditorLine(Text, At)) +
                           " kończy się samym LF, bez CR; program czyta LF jako zwykły znak, więc ten wiersz "
                           "i następne zlewają się w jeden: zapisz plik z końcami linii CR LF");
        break;
    }
    const std::size_t Lines = LastLineWithText(Text);
    if (Lines > ReadLineCount)
        Warnings.push_back("plik ma " + std::to_string(Lines) +
                           " wierszy z tekstem; program czyta tylko pierwsze 15, dalsze pomija");
    return Warnings;
}
