// Reading, editing and writing the sources file, keeping every line it does not change.
#include "OwnSources.h"

#include "AtomicFile.h"
#include "IniValue.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

namespace {
constexpr std::string_view CaptionKey = "caption";
constexpr std::string_view AddressKey = "address";
constexpr std::string_view StartKey = "start";
constexpr std::string_view EndKey = "end";
constexpr std::string_view OnKey = "on";
constexpr std::string_view NextIdKey = "next-id";
constexpr std::string_view Yes = "yes";
constexpr std::string_view No = "no";

// Written at the top of a new file, for the person who opens it.
constexpr std::string_view Preface =
    "# Tickerwell: własne źródła, po jednej sekcji [id] na źródło; sekcje [1] do [5] to stałe źródła.\n"
    "# Klucze: caption, address, start, end, on (yes albo no). W wartości w cudzysłowie\n"
    "# \\\" \\\\ \\n \\r \\t i \\xHH oznaczają cudzysłów, ukośnik, koniec wiersza, CR, tabulator i bajt.";

// Ids have at most nine digits.
constexpr int HighestId = 999'999'999;

// A positive number without leading zeros of at most nine digits, else 0.
int Number(std::string_view Text)
{
    int Value = 0;
    if (Text.empty() || Text.front() == '0' || Text.size() > 9 ||
        !std::all_of(Text.begin(), Text.end(), [](char C) { return C >= '0' && C <= '9'; }))
        return 0;
    std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    return Value;
}

std::string Quoted(std::string_view Text)
{
    return "„" + std::string(Text) + "”";
}
} // namespace

std::string CaptionRefusal(std::string_view Caption)
{
    if (!IsUtf8(Caption))
        return "nazwa nie jest tekstem UTF-8";
    if (Caption.empty())
        return "nazwa jest pusta";
    if (std::any_of(Caption.begin(), Caption.end(),
                    [](char C) { return static_cast<unsigned char>(C) < 0x20 || C == 0x7F; }))
        return "nazwa nie może zawierać końca wiersza, tabulatora ani innych znaków sterujących";
    if (const std::size_t Length = Utf8Length(Caption); Length > MaxCaptionLength)
        return "nazwa ma " + std::to_string(Length) + " znaków, a może mieć najwyżej " +
               std::to_string(MaxCaptionLength);
    return {};
}

std::string AddressRefusal(std::string_view Address)
{
    std::string Lower(Address.substr(0, 8));
    std::transform(Lower.begin(), Lower.end(), Lower.begin(),
                   [](char C) { return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C; });
    const std::size_t Scheme = Lower.starts_with("http://") ? 7 : Lower.starts_with("https://") ? 8 : 0;
    if (Scheme == 0)
        return "adres musi zaczynać się od http:// albo https://";
    if (Address.size() == Scheme || Address[Scheme] == '/')
        return "w adresie brak nazwy serwera";
    if (!IsUtf8(Address) || std::any_of(Address.begin(), Address.end(), [](char C) {
            return static_cast<unsigned char>(C) <= 0x20 || C == 0x7F;
        }))
        return "adres nie może zawierać spacji ani znaków sterujących";
    return {};
}

std::string OwnPageFileName(int Id)
{
    return "zrodlo" + std::to_string(Id) + ".htm";
}

TSourcesFile TSourcesFile::Parse(std::string_view Text, const std::string& FileName)
{
    TSourcesFile File;
    std::size_t LineNumber = 0, HeaderLine = 0;
    int OwnCount = 0, HighestSection = 0;
    const auto Broken = [&](std::size_t Line, const std::string& What) {
        return ESourcesFile(FileName + ", wiersz " + std::to_string(Line) + ": " + What);
    };
    // An own source's section needs its caption and address.
    const auto Complete = [&] {
        const TSection& Section = File.Sections.back();
        if (Section.Id < FirstOwnId)
            return;
        for (const std::string_view Key : {CaptionKey, AddressKey})
            if (std::none_of(Section.Lines.begin(), Section.Lines.end(),
                             [&](const TLine& Line) { return Line.Key == Key; }))
                throw Broken(HeaderLine, "w sekcji [" + Section.Name + "] brak klucza " + Quoted(Key));
    };
    for (std::size_t Pos = 0; Pos < Text.size();) {
        ++LineNumber;
        const std::size_t End = std::min(Text.find('\n', Pos), Text.size());
        std::string_view Raw = Text.substr(Pos, End - Pos);
        Pos = End + 1;
        // CR LF line ends read as LF, and the file is written with LF.
        while (Raw.ends_with('\r'))
            Raw.remove_suffix(1);
        if (!IsUtf8(Raw))
            throw Broken(LineNumber, "to nie jest tekst UTF-8");
        const std::string_view Line = TrimBlanks(Raw);
        TSection& Current = File.Sections.back();
        if (Line.empty() || Line.starts_with('#') || Line.starts_with(';')) {
            Current.Lines.push_back({std::string(Raw), {}, {}});
            continue;
        }
        if (Line.starts_with('[')) {
            if (!Line.ends_with(']'))
                throw Broken(LineNumber, "nagłówek sekcji nie kończy się znakiem „]”");
            Complete();
            const std::string Name(TrimBlanks(Line.substr(1, Line.size() - 2)));
            if (Name.empty())
                throw Broken(LineNumber, "sekcja bez nazwy");
            if (std::any_of(File.Sections.begin(), File.Sections.end(),
                            [&](const TSection& Section) { return Section.Name == Name; }))
                throw Broken(LineNumber, "sekcja [" + Name + "] powtarza się");
            const int Id = Number(Name);
            if (Id >= FirstOwnId && ++OwnCount > MaxOwnSources)
                throw Broken(LineNumber, "więcej niż " + std::to_string(MaxOwnSources) + " własnych źródeł");
            HighestSection = std::max(HighestSection, Id);
            File.Sections.push_back({std::string(Raw), Name, Id, {}});
            HeaderLine = LineNumber;
            continue;
        }
        const std::size_t Equals = Line.find('=');
        if (Equals == std::string_view::npos)
            throw Broken(LineNumber, "brak znaku „=” między kluczem a wartością");
        const std::string Key(TrimBlanks(Line.substr(0, Equals)));
        if (Key.empty())
            throw Broken(LineNumber, "brak klucza przed znakiem „=”");
        std::string Reason;
        const std::optional<std::string> Value = DecodeValue(TrimBlanks(Line.substr(Equals + 1)), Reason);
        if (!Value)
            throw Broken(LineNumber, Reason);
        const bool Own = Current.Id >= FirstOwnId;
        const bool Single =
            Own ? Key == CaptionKey || Key == AddressKey || Key == StartKey || Key == EndKey || Key == OnKey
                : Current.Header.empty() && Key == NextIdKey;
        if (Single && std::any_of(Current.Lines.begin(), Current.Lines.end(),
                                  [&](const TLine& Other) { return Other.Key == Key; }))
            throw Broken(LineNumber, "klucz " + Quoted(Key) + " powtarza się");
        std::string Refusal;
        if (Own && Key == CaptionKey)
            Refusal = CaptionRefusal(*Value);
        else if (Own && Key == AddressKey)
            Refusal = AddressRefusal(*Value);
        else if (Own && Key == OnKey && *Value != Yes && *Value != No)
            Refusal = "on przyjmuje yes albo no";
        else if (Single && Key == NextIdKey) {
            File.NextId = Number(*Value);
            if (File.NextId < FirstOwnId)
                Refusal = "next-id to liczba od " + std::to_string(FirstOwnId) + " wzwyż";
        }
        if (!Refusal.empty())
            throw Broken(LineNumber, Refusal);
        Current.Lines.push_back({std::string(Raw), Key, *Value});
    }
    Complete();
    File.NextId = std::max({File.NextId, HighestSection + 1, FirstOwnId});
    return File;
}

std::string TSourcesFile::Text() const
{
    std::string Out;
    for (const TSection& Section : Sections) {
        if (!Section.Header.empty())
            Out.append(Section.Header).append("\n");
        for (const TLine& Line : Section.Lines)
            Out.append(Line.Raw).append("\n");
    }
    return Out;
}

std::vector<TOwnSource> TSourcesFile::Sources() const
{
    std::vector<TOwnSource> Own;
    for (const TSection& Section : Sections)
        if (Section.Id >= FirstOwnId)
            Own.push_back(*Source(Section.Id));
    return Own;
}

std::optional<TOwnSource> TSourcesFile::Source(int Id) const
{
    if (Id < FirstOwnId || !Find(Id))
        return std::nullopt;
    const auto First = [&](std::string_view Key) {
        const std::vector<std::string> All = Values(Id, Key);
        return All.empty() ? std::string() : All.front();
    };
    return TOwnSource{
        Id, First(CaptionKey), First(AddressKey), First(StartKey), First(EndKey), First(OnKey) != No};
}

int TSourcesFile::Add(TOwnSource Source)
{
    Check(Source);
    if (Sources().size() >= static_cast<std::size_t>(MaxOwnSources))
        throw ESourcesFile("jest już " + std::to_string(MaxOwnSources) +
                           " własnych źródeł; usuń któreś, zanim dodasz następne");
    if (NextId > HighestId)
        throw ESourcesFile("wyczerpały się numery źródeł; zmień next-id w pliku");
    Source.Id = NextId++;
    AddSection(Source.Id);
    Write(Source);
    SetIn(Sections.front(), NextIdKey, {std::to_string(NextId)});
    return Source.Id;
}

void TSourcesFile::Update(const TOwnSource& Source)
{
    if (Source.Id < FirstOwnId || !Find(Source.Id))
        throw ESourcesFile("nie ma źródła " + std::to_string(Source.Id));
    Check(Source);
    Write(Source);
}

bool TSourcesFile::Remove(int Id)
{
    if (Id < FirstOwnId)
        return false;
    const auto Section = std::find_if(Sections.begin(), Sections.end(),
                                      [&](const TSection& Candidate) { return Candidate.Id == Id; });
    if (Section == Sections.end())
        return false;
    Sections.erase(Section);
    return true;
}

std::vector<std::string> TSourcesFile::Values(int Id, std::string_view Key) const
{
    std::vector<std::string> Found;
    if (const TSection* Section = Find(Id))
        for (const TLine& Line : Section->Lines)
            if (Line.Key == Key)
                Found.push_back(Line.Value);
    return Found;
}

void TSourcesFile::SetValues(int Id, std::string_view Key, const std::vector<std::string>& Values)
{
    TSection* Section = Find(Id);
    if (!Section && Id >= FirstOwnId)
        throw ESourcesFile("nie ma źródła " + std::to_string(Id));
    if (!Section && Values.empty())
        return;
    SetIn(Section ? *Section : AddSection(Id), Key, Values);
}

TSourcesFile::TSection* TSourcesFile::Find(int Id)
{
    return const_cast<TSection*>(std::as_const(*this).Find(Id));
}

const TSourcesFile::TSection* TSourcesFile::Find(int Id) const
{
    if (Id <= 0)
        return nullptr;
    const auto Section = std::find_if(Sections.begin(), Sections.end(),
                                      [&](const TSection& Candidate) { return Candidate.Id == Id; });
    return Section == Sections.end() ? nullptr : &*Section;
}

void TSourcesFile::SetIn(TSection& Section, std::string_view Key, const std::vector<std::string>& Values)
{
    std::vector<TLine>& Lines = Section.Lines;
    const auto HasKey = [&](const TLine& Line) { return Line.Key == Key; };
    std::vector<std::string> Old;
    for (const TLine& Line : Lines)
        if (HasKey(Line))
            Old.push_back(Line.Value);
    if (Old == Values)
        return;
    // New values take the place of the first old one; a new key goes after the section's last key,
    // or after its comments when it has none.
    std::size_t At =
        static_cast<std::size_t>(std::find_if(Lines.begin(), Lines.end(), HasKey) - Lines.begin());
    if (At == Lines.size()) {
        const auto Last =
            std::find_if(Lines.rbegin(), Lines.rend(), [](const TLine& Line) { return !Line.Key.empty(); });
        const auto Filled = std::find_if(Lines.rbegin(), Lines.rend(),
                                         [](const TLine& Line) { return !TrimBlanks(Line.Raw).empty(); });
        At = static_cast<std::size_t>(Lines.rend() - (Last != Lines.rend() ? Last : Filled));
    }
    std::erase_if(Lines, HasKey);
    std::vector<TLine> New;
    for (const std::string& Value : Values) {
        const std::string Written = EncodeValue(Value);
        New.push_back(
            {std::string(Key) + " =" + (Written.empty() ? "" : " " + Written), std::string(Key), Value});
    }
    Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(At), New.begin(), New.end());
}

void TSourcesFile::Check(const TOwnSource& Source)
{
    for (const std::string& Refusal : {CaptionRefusal(Source.Caption), AddressRefusal(Source.Address)})
        if (!Refusal.empty())
            throw ESourcesFile(Refusal);
}

void TSourcesFile::Write(const TOwnSource& Source)
{
    TSection& Section = *Find(Source.Id);
    SetIn(Section, CaptionKey, {Source.Caption});
    SetIn(Section, AddressKey, {Source.Address});
    SetIn(Section, StartKey, {Source.StartText});
    SetIn(Section, EndKey, {Source.EndText});
    SetIn(Section, OnKey, {std::string(Source.On ? Yes : No)});
}

TSourcesFile::TSection& TSourcesFile::AddSection(int Id)
{
    std::vector<TLine>& Before = Sections.back().Lines;
    if (Sections.size() == 1 && Before.empty())
        Before.push_back({std::string(Preface), {}, {}});
    // A blank line between sections, for the eye.
    if (!Before.empty() && !TrimBlanks(Before.back().Raw).empty())
        Before.push_back({});
    const std::string Name = std::to_string(Id);
    return Sections.emplace_back(TSection{"[" + Name + "]", Name, Id, {}});
}

TSourcesFile LoadSourcesFile(const std::string& Path)
{
    std::error_code Error;
    const auto Status = std::filesystem::status(Path, Error);
    if (Status.type() == std::filesystem::file_type::not_found)
        return {};
    if (!Error && !std::filesystem::is_regular_file(Status))
        throw ESourcesFile(Path + " nie jest zwykłym plikiem");
    std::ifstream In(Path, std::ios::binary);
    if (!In)
        throw ESourcesFile("Nie można odczytać " + Path + ": " + std::strerror(errno));
    const std::string Text(std::istreambuf_iterator<char>(In), {});
    if (In.bad())
        throw ESourcesFile("Nie można odczytać " + Path + ": " + std::strerror(errno));
    return TSourcesFile::Parse(Text, Path);
}

void SaveSourcesFile(const std::string& Path, const TSourcesFile& File)
{
    ReplaceFile(Path, File.Text());
}
