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
    // The value stored for line Line (1 to 15) of the file.
    const std::string& Line(int Line) const { return Stored.at(static_cast<std::size_t>(Line - 1)).Value; }
};

TReading Read(const std::string& Path)
{
    TReading Result;
    Result.Addresses = LoadConfiguration(Path, [&](int Source, TConfigField Field, const std::string& Value) {
        Result.Stored.push_back({Source, Field, Value});
    });
    return Result;
}

TReading ReadBytes(const std::string& Bytes)
{
    TTempDir Dir;
    Dir.Write("dane.txt", Bytes);
    return Read((Dir.Path() / "dane.txt").string());
}
} // namespace

TEST(Configuration, StoresFifteenValuesInSourceOrder)
{
    std::string File;
    for (int Line = 1; Line <= 15; ++Line)
        File += "v" + std::to_string(Line) + "\r\n";
    const TReading Reading = ReadBytes(File);
    ASSERT_EQ(Reading.Stored.size(), 15u);
    const TConfigField Fields[] = {TConfigField::Address, TConfigField::StartMarker, TConfigField::EndMarker};
    for (int Line = 1; Line <= 15; ++Line)
        EXPECT_EQ(Reading.Stored[Line - 1],
                  (TStored{(Line - 1) / 3, Fields[(Line - 1) % 3], "v" + std::to_string(Line)}))
            << "line " << Line;
    EXPECT_EQ(Reading.Addresses, (std::array<std::string, 5>{"v1", "v4", "v7", "v10", "v13"}));
}

TEST(Configuration, LineEndsAndEndOfText)
{
    // CR LF, a lone CR and CR CR each end lines; a lone LF stays in the text; blanks are kept.
    TReading Reading = ReadBytes("a\r\nb\rc\nd\r\r e \r\n\n\r\xE6\xB9\x9C\r\n");
    EXPECT_EQ(Reading.Line(1), "a");
    EXPECT_EQ(Reading.Line(2), "b");
    EXPECT_EQ(Reading.Line(3), "c\nd");
    EXPECT_EQ(Reading.Line(4), "");
    EXPECT_EQ(Reading.Line(5), " e ");
    EXPECT_EQ(Reading.Line(6), "\n");
    EXPECT_EQ(Reading.Line(7), "\xE6\xB9\x9C");
    EXPECT_EQ(Reading.Line(8), "");
    EXPECT_EQ(Reading.Stored.size(), 15u);

    // Byte 26 ends the readable text, also in the middle of a line.
    Reading = ReadBytes("one\r\ntw\x1Ao\r\nthree\r\n");
    EXPECT_EQ(Reading.Line(1), "one");
    EXPECT_EQ(Reading.Line(2), "tw");
    EXPECT_EQ(Reading.Line(3), "");

    // A file with LF line ends is one long first line.
    Reading = ReadBytes("http://a/\nstart\nend\n");
    EXPECT_EQ(Reading.Addresses[0], "http://a/\nstart\nend\n");
    for (int Line = 2; Line <= 15; ++Line)
        EXPECT_EQ(Reading.Line(Line), "") << "line " << Line;
}

TEST(Configuration, ShortLongAndEmptyFiles)
{
    std::string Ten;
    for (int Line = 1; Line <= 10; ++Line)
        Ten += "L" + std::to_string(Line) + "\r\n";
    TReading Reading = ReadBytes(Ten);
    EXPECT_EQ(Reading.Addresses[3], "L10");
    for (int Line = 11; Line <= 15; ++Line)
        EXPECT_EQ(Reading.Line(Line), "") << "line " << Line;

    Reading = ReadBytes(Ten + Ten);
    EXPECT_EQ(Reading.Stored.size(), 15u);
    EXPECT_EQ(Reading.Line(15), "L5");

    Reading = ReadBytes("");
    EXPECT_EQ(Reading.Stored.size(), 15u);
    EXPECT_EQ(Reading.Addresses, (std::array<std::string, 5>{}));

    // A line far longer than the reader's buffer, ending across buffer boundaries with CR LF.
    const std::string Long(200000, 'x');
    Reading = ReadBytes(Long + "\r\nnext\r");
    EXPECT_EQ(Reading.Line(1), Long);
    EXPECT_EQ(Reading.Line(2), "next");
}

TEST(Configuration, OpenAndReadErrorsCarryTheUsersMessage)
{
    TTempDir Dir;
    const auto Expect = [](const std::string& Path, int Code, const std::string& Message) {
        try {
            Read(Path);
            ADD_FAILURE() << "reading " << Path << " should fail with " << Message;
        } catch (const EInOutError& Error) {
            EXPECT_EQ(Error.ErrorCode, Code) << Path;
            EXPECT_EQ(std::string(Error.what()), Message) << Path;
        }
    };
    Expect((Dir.Path() / "dane.txt").string(), 2, "File not found");
    Dir.Write("file", "x");
    Expect((Dir.Path() / "file" / "dane.txt").string(), 2, "File not found");
    Expect((Dir.Path() / std::string(5000, 'n')).string(), 3, "Invalid filename");
    // A directory is refused before anything is read; nothing is stored.
    Expect(Dir.Path().string(), 5, "File access denied");
    EXPECT_EQ(EInOutError::FromErrno(EIO).what(), std::string("I/O error 5"));
}
