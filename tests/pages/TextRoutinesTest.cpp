// Tests of Find, Sub, ReplaceAll, NormalizeLines and CutBetweenMarkers: the edge rules as tables,
// and random texts checked against a plain transcription of the routines' definitions.
#include "TextRoutines.h"
#include "Printable.h"

#include <gtest/gtest.h>
#include <random>

using namespace std::string_literals;

namespace {
struct TFindCase
{
    std::string Pattern, Text;
    std::ptrdiff_t Position;
};

struct TSubCase
{
    std::string Text;
    std::ptrdiff_t Index, Count;
    std::string Expected;
};

struct TReplaceCase
{
    std::string Pattern, Replacement, Text, Expected;
};

struct TCutCase
{
    const char* What;
    std::string Text, StartMarker, EndMarker, Expected;
};
} // namespace

TEST(TextRoutines, FindAndSubPositionArithmetic)
{
    const TFindCase FindCases[] = {
        {"b", "abcb", 2}, {"abcb", "abcb", 1}, {"cb", "abcb", 3},  {"x", "abcb", 0}, {"", "abc", 0},
        {"a", "", 0},     {"", "", 0},         {"abcd", "abc", 0}, {"B", "abc", 0},  {"\0"s, "a\0b"s, 2},
    };
    for (const TFindCase& C : FindCases)
        EXPECT_EQ(Find(C.Pattern, C.Text), C.Position)
            << "position of " << Printable(C.Pattern) << " in " << Printable(C.Text);

    const TSubCase SubCases[] = {
        {"abcde", 2, 3, "bcd"}, {"abcde", 0, 2, "ab"}, {"abcde", -5, 2, "ab"},
        {"abcde", 4, 10, "de"}, {"abcde", 5, 1, "e"},  {"abcde", 6, 1, ""},
        {"abcde", 2, 0, ""},    {"abcde", 2, -1, ""},  {"", 1, 1, ""},
    };
    for (const TSubCase& C : SubCases)
        EXPECT_EQ(Sub(C.Text, C.Index, C.Count), C.Expected)
            << "characters " << C.Index << " (count " << C.Count << ") of " << Printable(C.Text);
}

TEST(TextRoutines, ReplaceAllEdgeRules)
{
    const TReplaceCase Cases[] = {
        {"ab", "abab", "xaby", "xababy"}, // the replacement is not searched again
        {"aa", "b", "aaa", "ba"},         // leftmost first, no overlaps
        {"abc", "abc", "1abc2abc", "1abc2abc"},
        {"", "x", "abc", "abc"},
        {"b", "", "abcb", "ac"},
        {"a", "b", "", ""},
        {"Href", "X", "href Href", "href X"},
        {"ab", "X", "ababab", "XXX"},
        {"ab", "X", "abxab", "XxX"},
        {"\r\n", "\n", "a\r\nb\r\n", "a\nb\n"},
        {"\0"s, "0", "a\0b\0"s, "a0b0"},
    };
    for (const TReplaceCase& C : Cases)
        EXPECT_EQ(ReplaceAll(C.Pattern, C.Replacement, C.Text), C.Expected)
            << Printable(C.Pattern) << " -> " << Printable(C.Replacement) << " in " << Printable(C.Text);
}

TEST(TextRoutines, NormalizeLinesEdgeRules)
{
    const std::pair<std::string, std::string> Cases[] = {
        {"a", "a\r\n"},
        {"a\nb", "a\r\nb\r\n"},
        {"a\rb", "a\r\nb\r\n"},
        {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\n\rb", "a\r\n\r\nb\r\n"}, // LF CR ends two lines
        {"a\r\rb", "a\r\n\r\nb\r\n"},
        {"a\n\nb", "a\r\n\r\nb\r\n"},
        {"a\0b"s, "a\r\n"},
        {"a\r\n\0b"s, "a\r\n"},
        {"\0ab"s, ""}, // a NUL where a line would start stops the split at once
        {"", ""},
        {"\r\n", "\r\n"},
        {"\n", "\r\n"},
        {"\n\r", "\r\n\r\n"},
        {"\xb9\xea\n\xff", "\xb9\xea\r\n\xff\r\n"},
    };
    for (const auto& [Text, Expected] : Cases)
        EXPECT_EQ(NormalizeLines(Text), Expected) << "line form of " << Printable(Text);
}

TEST(TextRoutines, CutBetweenMarkersEdgeRules)
{
    const TCutCase Cases[] = {
        {"both markers", "x\r\n<s>a\r\nb<e>y\r\n", "<s>", "<e>", "<s>a\r\nb<e>\r\n"},
        {"repeated markers", "<e><s>1<e>2<s>3<e>\r\n", "<s>", "<e>", "<s>1<e>\r\n"},
        {"start marker absent", "x\r\n<s>a<e>\r\n", "<z>", "<e>", "x\r\n<s>a<e>\r\n"},
        {"start marker empty", "x\r\n<s>a<e>\r\n", "", "<e>", "x\r\n<s>a<e>\r\n"},
        {"end marker absent", "x<s>abcdef\r\n", "<s>", "<end>", "<s>a\r\n"},
        {"end marker absent, cut inside a break", "x<s>\r\nab\r\n", "<s>", "<end>", "<s>\r\n"},
        {"one-character end marker absent", "x<s>abc\r\n", "<s>", "#", ""},
        {"end marker empty", "x<s>abc<e>\r\n", "<s>", "", ""},
        {"end marker only before start marker", "<e>x<s>abcdef\r\n", "<s>", "<e>", "<s\r\n"},
        {"same start and end marker", "x<m>abc<m>\r\n", "<m>", "<m>", "<m>\r\n"},
        {"end marker inside start marker", "x<start>abc\r\n", "<start>", "art", "<start\r\n"},
        {"end marker ends the text", "<s>a<e>", "<s>", "<e>", "<s>a<e>\r\n"},
        {"empty text", "", "<s>", "<e>", ""},
        {"both markers empty", "ab\r\ncd\r\n", "", "", ""},
        {"text not in line form", "<s>\n\rabc", "<s>", "<end/>", "<s>\r\n"}, // counted in "<s>\r\n\r\n..."
    };
    for (const TCutCase& C : Cases)
        EXPECT_EQ(CutBetweenMarkers(C.Text, C.StartMarker, C.EndMarker), C.Expected)
            << C.What << ": fragment of " << Printable(C.Text) << " between " << Printable(C.StartMarker)
            << " and " << Printable(C.EndMarker);
}

namespace Reference {
// The routines' definitions written out step by step, copying freely: slow but easy to check.
std::ptrdiff_t Find(const std::string& Pattern, const std::string& Text)
{
    if (Pattern.empty() || Text.empty())
        return 0;
    for (std::size_t I = 0; I + Pattern.size() <= Text.size(); ++I)
        if (Text.compare(I, Pattern.size(), Pattern) == 0)
            return static_cast<std::ptrdiff_t>(I) + 1;
    return 0;
}

std::string Sub(const std::string& Text, std::ptrdiff_t Index, std::ptrdiff_t Count)
{
    std::string Out;
    if (Index < 1)
        Index = 1;
    for (std::ptrdiff_t I = Index; I < Index + Count && I <= static_cast<std::ptrdiff_t>(Text.size()); ++I)
        Out += Text[static_cast<std::size_t>(I - 1)];
    return Out;
}

std::string ReplaceAll(const std::string& Pattern, const std::string& Replacement, const std::string& Text)
{
    std::string Rest = Text, Out;
    for (std::ptrdiff_t P = Find(Pattern, Rest); P > 0; P = Find(Pattern, Rest)) {
        Out += Sub(Rest, 1, P - 1) + Replacement;
        Rest = Sub(Rest, P + static_cast<std::ptrdiff_t>(Pattern.size()),
                   static_cast<std::ptrdiff_t>(Rest.size()));
    }
    return Out + Rest;
}

std::string NormalizeLines(const std::string& Text)
{
    std::string Out;
    std::size_t I = 0;
    while (I < Text.size() && Text[I] != '\0') {
        std::string Line;
        while (I < Text.size() && Text[I] != '\r' && Text[I] != '\n' && Text[I] != '\0')
            Line += Text[I++];
        Out += Line + "\r\n";
        if (I < Text.size() && Text[I] == '\r')
            ++I;
        if (I < Text.size() && Text[I] == '\n')
            ++I;
    }
    return Out;
}

std::string CutBetweenMarkers(const std::string& Text, const std::string& StartMarker,
                              const std::string& EndMarker)
{
    const std::string Head =
        NormalizeLines(Sub(Text, Find(StartMarker, Text), static_cast<std::ptrdiff_t>(Text.size())));
    const std::ptrdiff_t E = Find(EndMarker, Head);
    return NormalizeLines(Sub(Head, 1, E + static_cast<std::ptrdiff_t>(EndMarker.size()) - 1));
}
} // namespace Reference

namespace {
// Short texts over a small alphabet, so that markers repeat and breaks of every kind meet.
std::string RandomText(std::mt19937& Random, std::string_view Alphabet, std::size_t MaxLength)
{
    std::uniform_int_distribution<std::size_t> Length(0, MaxLength), Pick(0, Alphabet.size() - 1);
    std::string Text(Length(Random), ' ');
    for (char& C : Text)
        C = Alphabet[Pick(Random)];
    return Text;
}

bool InLineForm(const std::string& Text)
{
    for (std::size_t I = 0; I < Text.size(); ++I) {
        if (Text[I] == '\0')
            return false;
        if (Text[I] == '\r' && (I + 1 == Text.size() || Text[I + 1] != '\n'))
            return false;
        if (Text[I] == '\n' && (I == 0 || Text[I - 1] != '\r'))
            return false;
    }
    return Text.empty() || Text.ends_with("\r\n");
}
} // namespace

TEST(TextRoutines, RandomTextsAgreeWithDefinitions)
{
    // Mostly ordinary bytes, so that runs longer than a machine word occur between breaks; a tab
    // is ordinary text that sorts below CR.
    const std::string TextAlphabet = "aabbcab\xe6\t\r\n\0"s;
    std::mt19937 Random(20240611);
    for (int Round = 0; Round < 20000; ++Round) {
        const std::string Raw = RandomText(Random, TextAlphabet, 40);
        const std::string Pattern = RandomText(Random, "ab\r\0"s, 3);
        const std::string Replacement = RandomText(Random, "ab\n", 3);
        const std::string StartMarker = RandomText(Random, "ab", 3);
        const std::string EndMarker = RandomText(Random, "ab", 6);
        const std::string Lines = NormalizeLines(Raw);

        ASSERT_EQ(Lines, Reference::NormalizeLines(Raw)) << "line form of " << Printable(Raw);
        ASSERT_TRUE(InLineForm(Lines)) << "line form of " << Printable(Raw) << " is " << Printable(Lines);
        ASSERT_EQ(NormalizeLines(Lines), Lines) << "line form of line form " << Printable(Lines);
        ASSERT_EQ(ReplaceAll(Pattern, Replacement, Raw), Reference::ReplaceAll(Pattern, Replacement, Raw))
            << Printable(Pattern) << " -> " << Printable(Replacement) << " in " << Printable(Raw);
        for (const std::string& Text : {Lines, Raw}) {
            const std::string Fragment = CutBetweenMarkers(Text, StartMarker, EndMarker);
            ASSERT_EQ(Fragment, Reference::CutBetweenMarkers(Text, StartMarker, EndMarker))
                << "fragment of " << Printable(Text) << " between " << Printable(StartMarker) << " and "
                << Printable(EndMarker);
            ASSERT_TRUE(InLineForm(Fragment)) << "fragment " << Printable(Fragment);
        }
    }
}
