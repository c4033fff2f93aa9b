// The configuration file reader: line rules on files written byte by byte, and its errors.
#include "Configuration.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <vector>

namespace {
struct TStored
{
    int Source;
    TConfigField Field;
    std::string Value;
    bool operator==(const TStored&) const = default;
};

struct TReading
{
    std::array<std::string, SourceCount> Addresses;
    std::vector<TStored> Stored;
    std::vector<std::string> Values() const
    {
        std::vector<std::string> Out;
        for (const TStored& S : Stored)
            Out.push_back(S.Value);
        return Out;
    }
};

TReading ReadBytes(const std::string& Bytes)
{
    TTempDir Dir;
    Dir.Write("dane.txt", Bytes);
    TReading Result;
    Result.Addresses = LoadConfiguration((Dir.Path() / "dane.txt").string(),
                                         [&](int Source, TConfigField Field, const std::string& Value) {
                                             Result.Stored.push_back({Source, Field, Value});
                                         });
    return Result;
}

// Values, then empty ones up to the fifteen always stored.
std::vector<std::string> Padded(std::vector<std::string> Values)
{
    Values.resize(15);
    return Values;
}

std::string Lines(const std::string& Prefix, int Count)
{
    std::string File;
    for (int Line = 1; Line <= Count; ++Line)
        File += Prefix + std::to_string(Line) + "\r\n";
    return File;
}

std::vector<std::string> Names(int Count)
{
    std::vector<std::string> Out;
    for (int Line = 1; Line <= Count; ++Line)
        Out.push_back("L" + std::to_string(Line));
    return Out;
}
} // namespace

TEST(Configuration, LineRules)
{
    TReading Reading = ReadBytes(Lines("v", 15));
    const TConfigField Fields[] = {TConfigField::Address, TConfigField::StartMarker, TConfigField::EndMarker};
    for (int Line = 1; Line <= 15; ++Line)
        EXPECT_EQ(Reading.Stored.at(Line - 1),
                  (TStored{(Line - 1) / 3, Fields[(Line - 1) % 3], "v" + std::to_string(Line)}))
            << "line " << Line;
    EXPECT_EQ(Reading.Addresses, (std::array<std::string, 5>{"v1", "v4", "v7", "v10", "v13"}));

    const std::pair<std::string, std::vector<std::string>> Cases[] = {
        // CR LF, a lone CR and CR CR each end lines; a lone LF stays in the text; blanks are kept.
        {"a\r\nb\rc\nd\r\r e \r\n\n\r\xE6\xB9\x9C\r\n", {"a", "b", "c\nd", "", " e ", "\n", "\xE6\xB9\x9C"}},
        {"one\r\ntw\x1Ao\r\nthree\r\n", {"one", "tw"}}, // byte 26 ends the readable text
        {"http://a/\nstart\nend\n", {"http://a/\nstart\nend\n"}},
        {Lines("L", 10), Names(10)},
        {Lines("L", 20), Names(15)},
        {"", {}},
        // A line far longer than the reader's buffer, ending across buffer boundaries with CR LF.
        {std::string(200000, 'x') + "\r\nnext\r", {std::string(200000, 'x'), "next"}},
    };
    for (const auto& [Bytes, Values] : Cases)
        EXPECT_TRUE(ReadBytes(Bytes).Values() == Padded(Values)) << "values of " << Bytes.substr(0, 40);
}

TEST(Configuration, OpenAndReadErrorsCarryTheUsersMessage)
{
    TTempDir Dir;
    Dir.Write("file", "x");
    const std::tuple<std::filesystem::path, int, std::string> Cases[] = {
        {Dir.Path() / "dane.txt", 2, "File not found"},
        {Dir.Path() / "file" / "dane.txt", 2, "File not found"},
        {Dir.Path() / std::string(5000, 'n'), 3, "Invalid filename"},
        {Dir.Path(), 5, "File access denied"}, // refused before anything is read
    };
    for (const auto& [Path, Code, Message] : Cases) {
        int Stored = 0;
        try {
            LoadConfiguration(Path.string(), [&](int, TConfigField, const std::string&) { ++Stored; });
            ADD_FAILURE() << "reading " << Path << " should fail with " << Message;
        } catch (const EInOutError& Error) {
            EXPECT_EQ(Error.ErrorCode, Code) << Path;
            EXPECT_EQ(std::string(Error.what()), Message) << Path;
            EXPECT_EQ(Stored, 0) << Path;
        }
    }
    EXPECT_EQ(EInOutError::FromErrno(EIO).what(), std::string("I/O error 5"));
}
