// The configuration file reader: line rules on files written byte by byte, and its errors.
#include "Configuration.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <vector>

namespace {
std::vector<std::string> ReadBytes(const std::string& Bytes)
{
    TTempDir Dir;
    Dir.Write("dane.txt", Bytes);
    std::vector<std::string> Values;
    LoadConfiguration((Dir.Path() / "dane.txt").string(),
                      [&](int, TConfigField, const std::string& Value) { Values.push_back(Value); });
    return Values;
}

// Values, then empty ones up to the fifteen always stored.
std::vector<std::string> Padded(std::vector<std::string> Values)
{
    Values.resize(15);
    return Values;
}

std::vector<std::string> Names(int Count)
{
    std::vector<std::string> Out;
    for (int Line = 1; Line <= Count; ++Line)
        Out.push_back("L" + std::to_string(Line));
    return Out;
}

std::string Lines(int Count)
{
    std::string File;
    for (const std::string& Name : Names(Count))
        File += Name + "\r\n";
    return File;
}
} // namespace

TEST(Configuration, LineRules)
{
    TTempDir Dir;
    Dir.Write("dane.txt", Lines(15));
    std::vector<std::tuple<int, TConfigField, std::string>> Stored;
    const auto Addresses = LoadConfiguration((Dir.Path() / "dane.txt").string(),
                                             [&](int Source, TConfigField Field, const std::string& Value) {
                                                 Stored.emplace_back(Source, Field, Value);
                                             });
    const TConfigField Fields[] = {TConfigField::Address, TConfigField::StartMarker, TConfigField::EndMarker};
    ASSERT_EQ(Stored.size(), 15u);
    for (int Line = 1; Line <= 15; ++Line)
        EXPECT_EQ(Stored[Line - 1],
                  std::make_tuple((Line - 1) / 3, Fields[(Line - 1) % 3], "L" + std::to_string(Line)))
            << "line " << Line;
    EXPECT_EQ(Addresses, (std::array<std::string, 5>{"L1", "L4", "L7", "L10", "L13"}));

    const std::pair<std::string, std::vector<std::string>> Cases[] = {
        // CR LF, a lone CR and CR CR each end lines; a lone LF stays in the text; blanks are kept.
        {"a\r\nb\rc\nd\r\r e \r\n\n\r\xE6\xB9\x9C\r\n", {"a", "b", "c\nd", "", " e ", "\n", "\xE6\xB9\x9C"}},
        {"one\r\ntw\x1Ao\r\nthree\r\n", {"one", "tw"}}, // byte 26 ends the readable text
        {"http://a/\nstart\nend\n", {"http://a/\nstart\nend\n"}},
        {Lines(10), Names(10)},
        {Lines(20), Names(15)},
        {"", {}},
        // A line far longer than the reader's buffer, ending across buffer boundaries with CR LF.
        {std::string(200000, 'x') + "\r\nnext\r", {std::string(200000, 'x'), "next"}},
    };
    for (const auto& [Bytes, Values] : Cases)
        EXPECT_TRUE(ReadBytes(Bytes) == Padded(Values)) << "values of " << Bytes.substr(0, 40);
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
