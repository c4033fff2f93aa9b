// The configuration file writer.
#include "ConfigurationWriter.h"

#include "ConfigText.h"

#include <vector>

namespace {
struct TLine
{
    std::string Text;
    std::string End; // CR, CR LF, or empty for a last line without an end
};
} // namespace

std::string LineRefusal(std::string_view Value)
{
    if (Value.find('\r') != std::string_view::npos || Value.find('\n') != std::string_view::npos)
        return "zawiera koniec wiersza (CR lub LF), a każda wartość zajmuje jeden wiersz";
    if (Value.find(EndOfText) != std::string_view::npos)
        return "zawiera znak Ctrl-Z, na którym program kończy czytanie pliku";
    return {};
}

std::string ReplaceSourceLines(std::string_view Old, const TSourceChanges& Changes)
{
    const std::string_view Text = Old.substr(0, Old.find(EndOfText));
    const std::string_view Tail = Old.substr(Text.size());
    // The lines the reader takes, then whatever follows the fifteenth.
    std::vector<TLine> Lines;
    std::size_t Pos = 0;
    while (Pos < Text.size() && Lines.size() < ReadLineCount) {
        const std::size_t Cr = Text.find(LineEnd, Pos);
        if (Cr == std::string_view::npos) {
            Lines.push_back({std::string(Text.substr(Pos)), {}});
            Pos = Text.size();
            break;
        }
        const std::size_t EndLength = LineEndLength(Text, Cr);
        Lines.push_back({std::string(Text.substr(Pos, Cr - Pos)), std::string(Text.substr(Cr, EndLength))});
        Pos = Cr + EndLength;
    }
    const std::string_view Rest = Text.substr(Pos);

    for (int Source = 0; Source < SourceCount; ++Source) {
        if (!Changes[Source])
            continue;
        const std::size_t First = static_cast<std::size_t>(3 * Source);
        while (Lines.size() < First + 3) {
            if (!Lines.empty() && Lines.back().End.empty())
                Lines.back().End = WrittenLineEnd;
            Lines.push_back({{}, std::string(WrittenLineEnd)});
        }
        const TSourceLines& New = *Changes[Source];
        for (const auto& [Offset, Value] :
             {std::pair{0, &New.Address}, std::pair{1, &New.StartMarker}, std::pair{2, &New.EndMarker}})
            Lines[First + Offset] = {*Value, std::string(WrittenLineEnd)};
    }

    std::string Bytes;
    Bytes.reserve(Old.size() + 256);
    for (const TLine& Line : Lines)
        Bytes.append(Line.Text).append(Line.End);
    Bytes.append(Rest).append(Tail);
    return Bytes;
}

void SaveSources(const std::string& FileName, const TSourceChanges& Changes)
{
    const TReplacedFile Old = ReadReplacedFile(FileName);
    // New lines would go after the file's one long line, where nothing reads them.
    if (Old.Exists && EndsLinesInLf(std::string_view(Old.Bytes).substr(0, Old.Bytes.find(EndOfText))))
        throw EConfigurationWrite(FileName +
                                  " ma końce wierszy LF bez CR, a program kończy wiersz tylko na CR, "
                                  "więc czyta cały plik jako jeden wiersz: zapisz go z końcami "
                                  "linii CR LF; nic nie zapisano");
    for (const auto& Change : Changes) {
        if (!Change)
            continue;
        for (const std::string* Value : {&Change->Address, &Change->StartMarker, &Change->EndMarker})
            if (const std::string Refusal = LineRefusal(*Value); !Refusal.empty())
                throw EConfigurationWrite("Wartość " + Refusal + "; nic nie zapisano");
    }
    std::string Empty;
    for (std::size_t Line = 0; Line < ReadLineCount; ++Line)
        Empty += WrittenLineEnd;
    WriteReplacement(Old, ReplaceSourceLines(Old.Exists ? Old.Bytes : Empty, Changes));
}
