// The configuration reader against files a user could leave in the way: things that are not files,
// dangling links, binary bytes and very long lines.
#include "Configuration.h"
#include "TempDir.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
using namespace std::chrono_literals;

struct TReading
{
    std::array<std::string, SourceCount> Addresses;
    std::vector<std::string> Lines; // the values stored, in file order
};

TReading Read(const std::filesystem::path& Path)
{
    TReading Result;
    Result.Addresses = LoadConfiguration(
        Path.string(), [&](int, TConfigField, const std::string& Value) { Result.Lines.push_back(Value); });
    return Result;
}

// Reads Path expecting an error; returns its message, or "read" when there was none. Values stored
// before the error are counted in Stored.
std::string ErrorOf(const std::filesystem::path& Path, int* Stored = nullptr)
{
    int Count = 0;
    try {
        LoadConfiguration(Path.string(), [&](int, TConfigField, const std::string&) { ++Count; });
    } catch (const EInOutError& Error) {
        if (Stored)
            *Stored = Count;
        return std::to_string(Error.ErrorCode) + " " + Error.what();
    }
    return "read";
}

// ErrorOf on a thread of its own, so that a reader that blocks fails the test instead of hanging
// it; Unblock then has to let the reader go before the thread can be joined.
std::string ErrorWithin(const std::filesystem::path& Path, const std::function<void()>& Unblock)
{
    auto Reading = std::async(std::launch::async, [Path] { return ErrorOf(Path); });
    if (Reading.wait_for(20s) == std::future_status::ready)
        return Reading.get();
    Unblock();
    Reading.wait();
    return "blocked";
}
} // namespace

TEST(ConfigurationFault, ThingsThatAreNotFilesAreRefusedWithoutWaiting)
{
    TTempDir Dir;
    const auto Path = Dir.Path() / "dane.txt";

    // A pipe no program writes to: opening it for reading would wait for a writer for ever.
    ASSERT_EQ(mkfifo(Path.c_str(), 0644), 0);
    EXPECT_EQ(ErrorWithin(Path,
                          [&] {
                              // A writer that comes and goes lets a blocked open and read return.
                              const int Writer = open(Path.c_str(), O_WRONLY | O_NONBLOCK);
                              close(Writer);
                          }),
              "5 File access denied")
        << "a pipe without a writer";

    // A pipe with a writer that never writes: a read would wait for ever.
    int Writer = open(Path.c_str(), O_RDWR);
    ASSERT_GE(Writer, 0);
    EXPECT_EQ(ErrorWithin(Path,
                          [&] {
                              close(Writer);
                              Writer = -1;
                          }),
              "5 File access denied")
        << "a pipe that stays silent";
    if (Writer >= 0)
        close(Writer);
    std::filesystem::remove(Path);

    // A directory by the file's name: nothing is stored before the error.
    std::filesystem::create_directory(Path);
    int Stored = -1;
    EXPECT_EQ(ErrorOf(Path, &Stored), "5 File access denied");
    EXPECT_EQ(Stored, 0);
    std::filesystem::remove(Path);

    // A link to a file that is gone reads as a missing file.
    std::filesystem::create_symlink(Dir.Path() / "target.txt", Path);
    EXPECT_EQ(ErrorOf(Path), "2 File not found");
    // Once there is a file at its end, the link is read through.
    Dir.Write("target.txt", "http://real/\r");
    EXPECT_EQ(Read(Path).Addresses[0], "http://real/");
    std::filesystem::remove(Path);

    // A file its owner may not read; the superuser reads it all the same.
    Dir.Write("dane.txt", "http://hidden/\r");
    std::filesystem::permissions(Path, std::filesystem::perms::none);
    EXPECT_EQ(ErrorOf(Path), geteuid() == 0 ? "read" : "5 File access denied");
}

TEST(ConfigurationFault, BinaryBytesAndVeryLongLines)
{
    TTempDir Dir;
    const auto Path = Dir.Path() / "dane.txt";
    const auto Bytes = [](int From, int To) {
        std::string Text;
        for (int Value = From; Value <= To; ++Value)
            Text += static_cast<char>(Value);
        return Text;
    };

    // Every byte value in order: NUL and a lone LF are text, CR ends the first line and byte 26 the
    // readable text.
    Dir.Write("dane.txt", Bytes(0, 255));
    TReading Reading = Read(Path);
    ASSERT_EQ(Reading.Lines.size(), 15u);
    EXPECT_EQ(Reading.Lines[0], Bytes(0, 12));
    EXPECT_EQ(Reading.Lines[1], Bytes(14, 25));
    for (std::size_t Line = 2; Line < 15; ++Line)
        EXPECT_EQ(Reading.Lines[Line], "") << "line " << Line + 1;

    // The bytes above 26 come first: they are kept as they are, not recoded.
    Dir.Write("dane.txt", Bytes(27, 255) + Bytes(0, 255));
    Reading = Read(Path);
    EXPECT_EQ(Reading.Addresses[0], Bytes(27, 255) + Bytes(0, 12));
    EXPECT_EQ(Reading.Lines[1], Bytes(14, 25));

    // Lines of 10 MiB: the CR of the first opens a new fill of the reader's buffer, or ends one with
    // its LF in the next.
    for (const std::size_t Length : {std::size_t(10) << 20, (std::size_t(10) << 20) - 1}) {
        std::string Long(Length, 'x');
        for (std::size_t At = 0; At < Long.size(); At += 4099)
            Long[At] = static_cast<char>('a' + At % 26);
        Dir.Write("dane.txt", Long + "\r\nsecond\r\n" + Long + "\rfourth");
        Reading = Read(Path);
        EXPECT_TRUE(Reading.Lines[0] == Long) << "first line of " << Reading.Lines[0].size() << " bytes";
        EXPECT_EQ(Reading.Lines[1], "second") << Length;
        EXPECT_TRUE(Reading.Lines[2] == Long) << Length;
        EXPECT_EQ(Reading.Lines[3], "fourth") << Length;
    }

    // CR alone ends every line; the sixteenth is not read.
    std::string CrOnly;
    for (int Line = 1; Line <= 16; ++Line)
        CrOnly += "line " + std::to_string(Line) + "\r";
    Dir.Write("dane.txt", CrOnly);
    Reading = Read(Path);
    ASSERT_EQ(Reading.Lines.size(), 15u);
    EXPECT_EQ(Reading.Lines[14], "line 15");
    EXPECT_EQ(Reading.Addresses[4], "line 13");
}
