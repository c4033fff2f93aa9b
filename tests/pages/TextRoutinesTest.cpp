// Find, Sub, ReplaceAll, NormalizeLines and CutBetweenMarkers: edge rules as tables, and random
// texts checked against a plain transcription of the routines' definitions.
#include "TextRoutines.h"
#include "Printable.h"

#include <gtest/gtest.h>
#include <random>

using namespace std::string_literals;

TEST(TextRoutines, FindSubReplaceAllAndNormalizeLines)
{
    const std::tuple<std::string, std::string, std::ptrdiff_t> FindCases[] = {
        {"b", "abcb", 2}, {"abcb", "abcb", 1}, {"cb", "abcb", 3},  {"x", "abcb", 0},
        {"", "abc", 0},   {"a", "", 0},        {"abcd", "abc", 0}, {"\0"s, "a\0b"s, 2},
    };
    for (const auto& [Pattern, Text, Position] : FindCases)
        EXPECT_EQ(Find(Pattern, Text), Position) << Printable(Pattern) << " in " << Printable(Text);

    const std::tuple<std::ptrdiff_t, std::ptrdiff_t, std::string> SubCases[] = {
        {2, 3, "bcd"}, {-5, 2, "ab"}, {4, 10, "de"}, {5, 1, "e"}, {6, 1, ""}, {2, 0, ""}, {2, -1, ""},
    };
    for (const auto& [Index, Count, Expected] : SubCases)
        EXPECT_EQ(Sub("abcde", Index, Count), Expected) << "index " << Index << ", count " << Count;
    EXPECT_EQ(Sub("", 1, 1), "");

    const std::array<std::string, 4> ReplaceCases[] = {
        {"ab", "abab", "xaby", "xababy"}, // the replacement is not searched again
        {"aa", "b", "aaa", "ba"},         // leftmost first, no overlaps
        {"", "x", "abc", "abc"},
        {"b", "", "abcb", "ac"},
        {"Href", "X", "href Href", "href X"},
        {"ab", "X", "ababab", "XXX"},
        {"\0"s, "0", "a\0b\0"s, "a0b0"},
    };
    for (const auto& [Pattern, Replacement, Text, Expected] : ReplaceCases)
        EXPECT_EQ(ReplaceAll(Pattern, Replacement, Text), Expected)
            << Printable(Pattern) << " -> " << Printable(Replacement) << " in " << Printable(Text);

    const std::pair<std::string, std::string> LineCases[] = {
        {"a", "a\r\n"},
        {"a\nb", "a\r\nb\r\n"},
        {"a\rb", "a\r\nb\r\n"},
        {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\n\rb", "a\r\n\r\nb\r\n"}, // LF CR ends two lines
        {"a\r\rb", "a\r\n\r\nb\r\n"},
        {"a\r\n\0b"s, "a\r\n"},
        {"\0ab"s, ""}, // a NUL where a line would start stops the split at once
        {"", ""},
        {"\n\r", "\r\n\r\n"},
        {"\xb9\xea\n\xff", "\xb9\xea\r\n\xff\r\n"},
    };
    for (const auto& [Text, Expected] : LineCases)
        EXPECT_EQ(NormalizeLines(Text), Expected) << "line form of " << Printable(Text);
}

TEST(TextRoutines, CutBetweenMarkersEdgeRules)
{
    const std::array<std::string, 4> Cases[] = {
        // text, start marker, end marker, fragment
        {"x\r\n<s>a\r\nb<e>y\r\n", "<s>", "<e>", "<s>a\r\nb<e>\r\n"},
        {"<e><s>1<e>2<s>3<e>\r\n", "<s>", "<e>", "<s>1<e>\r\n"},
        {"x\r\n<s>a<e>\r\n", "<z>", "<e>", "x\r\n<s>a<e>\r\n"}, // start marker absent
        {"x\r\n<s>a<e>\r\n", "", "<e>", "x\r\n<s>a<e>\r\n"},
        {"x<s>abcdef\r\n", "<s>", "<end>", "<s>a\r\n"}, // end marker absent
        {"x<s>\r\nab\r\n", "<s>", "<end>", "<s>\r\n"},  // ... and the cut inside a break
        {"x<s>abc\r\n", "<s>", "#", ""},
        {"x<s>abc<e>\r\n", "<s>", "", ""},
        {"<e>x<s>abcdef\r\n", "<s>", "<e>", "<s\r\n"}, // end marker only before the start marker
        {"x<m>abc<m>\r\n", "<m>", "<m>", "<m>\r\n"},
        {"x<start>abc\r\n", "<start>", "art", "<start\r\n"},
        {"<s>a<e>", "<s>", "<e>", "<s>a<e>\r\n"},
        {"", "<s>", "<e>", ""},
        {"ab\r\ncd\r\n", "", "", ""},
        {"<s>\n\rabc", "<s>", "<end/>", "<s>\r\n"}, // counted in "<s>\r\n\r\n..."
    };
    for (const auto& [Text, StartMarker, EndMarker, Expected] : Cases)
        EXPECT_EQ(CutBetweenMarkers(Text, StartMarker, EndMarker), Expected)
            << Printable(Text) << " between " << Printable(StartMarker) << " and " << Printable(EndMarker);
}

namespace Reference {
// The definitions written out plainly: slow but easy to check.
std::string ReplaceAll(const std::string& Pattern, const std::string& Replacement, const std::string& Text)
{
    std::string Out;
    std::size_t From = 0;
    for (std::size_t At; !Pattern.empty() && (At = Text.find(Pattern, From)) != std::string::npos;
         From = At + Pattern.size())
        Out += Text.substr(From, At - From) + Replacement;
    return Out + Text.substr(From);
}

std::string NormalizeLines(const std::string& Text)
{
    std::string Out;
    for (std::size_t I = 0; I < Text.size() && Text[I] != '\0';) {
        while (I < Text.size() && Text[I] != '\r' && Text[I] != '\n' && Text[I] != '\0')
            Out += Text[I++];
        Out += "\r\n";
        I += I < Text.size() && Text[I] == '\r';
        I += I < Text.size() && Text[I] == '\n';
    }
    return Out;
}

// From the start marker (or the text's start) through the first end marker after it; without
// one, its length less one characters.
std::string CutBetweenMarkers(const std::string& Text, const std::string& StartMarker,
                              const std::string& EndMarker)
{
    const std::size_t Start = StartMarker.empty() ? std::string::npos : Text.find(StartMarker);
    const std::string Head = NormalizeLines(Start == std::string::npos ? Text : Text.substr(Start));
    const std::size_t End = EndMarker.empty() ? std::string::npos : Head.find(EndMarker);
    const std::ptrdiff_t Count =
        (End == std::string::npos ? 0 : static_cast<std::ptrdiff_t>(End) + 1) + std::ssize(EndMarker) - 1;
    return NormalizeLines(Head.substr(0, static_cast<std::size_t>(std::max<std::ptrdiff_t>(Count, 0))));
}
} // namespace Reference

TEST(TextRoutines, RandomTextsAgreeWithDefinitions)
{
    std::mt19937 Random(20240611);
    // Short texts over small alphabets, so that markers repeat and breaks of every kind meet.
    const auto RandomText = [&](std::string_view Alphabet, std::size_t MaxLength) {
        std::uniform_int_distribution<std::size_t> Length(0, MaxLength), Pick(0, Alphabet.size() - 1);
        std::string Text(Length(Random), ' ');
        for (char& C : Text)
            C = Alphabet[Pick(Random)];
        return Text;
    };
    for (int Round = 0; Round < 5000; ++Round) {
        // Mostly ordinary bytes, so that runs longer than a machine word occur; a tab sorts below CR.
        const std::string Raw = RandomText("aabbcab\xe6\t\r\n\0"s, 40), Pattern = RandomText("ab\r\0"s, 3);
        const std::string Replacement = RandomText("ab\n", 3), StartMarker = RandomText("ab", 3);
        const std::string EndMarker = RandomText("ab", 6), Lines = NormalizeLines(Raw);

        ASSERT_EQ(Lines, Reference::NormalizeLines(Raw)) << Printable(Raw);
        ASSERT_EQ(NormalizeLines(Lines), Lines) << Printable(Lines);
        ASSERT_EQ(ReplaceAll(Pattern, Replacement, Raw), Reference::ReplaceAll(Pattern, Replacement, Raw))
            << Printable(Pattern) << " -> " << Printable(Replacement) << " in " << Printable(Raw);
        for (const std::string& Text : {Lines, Raw})
            ASSERT_EQ(CutBetweenMarkers(Text, StartMarker, EndMarker),
                      Reference::CutBetweenMarkers(Text, StartMarker, EndMarker))
                << Printable(Text) << " between " << Printable(StartMarker) << " and "
                << Printable(EndMarker);
    }
}
