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

std::vector<std::string> Values(const std::filesystem::path& Path)
{
    std::vector<std::string> Out;
    LoadConfiguration(Path.string(),
                      [&](int, TConfigField, const std::string& Value) { Out.push_back(Value); });
    return Out;
}

// The error reading Path, or "read" when there was none.
std::string ErrorOf(const std::filesystem::path& Path)
{
    try {
        Values(Path);
    } catch (const EInOutError& Error) {
        return std::to_string(Error.ErrorCode) + " " + Error.what();
    }
    return "read";
}

// ErrorOf on a thread of its own, so that a reader that blocks fails the test instead of hanging
// it; Unblock then has to let the reader go.
std::string ErrorWithin(const std::filesystem::path& Path, const std::function<void()>& Unblock)
{
    auto Reading = std::async(std::launch::async, [Path] { return ErrorOf(Path); });
    if (Reading.wait_for(20s) == std::future_status::ready)
        return Reading.get();
    Unblock();
    Reading.wait();
    return "blocked";
}

std::string Bytes(int From, int To)
{
    std::string Text;
    for (int Value = From; Value <= To; ++Value)
        Text += static_cast<char>(Value);
    return Text;
}
} // namespace

TEST(ConfigurationFault, ThingsThatAreNotFilesAreRefusedWithoutWaiting)
{
    TTempDir Dir;
    const auto Path = Dir.Path() / "dane.txt";

    // A pipe no program writes to: opening it would wait for a writer; one that comes and goes
    // lets a blocked open return.
    ASSERT_EQ(mkfifo(Path.c_str(), 0644), 0);
    EXPECT_EQ(ErrorWithin(Path, [&] { close(open(Path.c_str(), O_WRONLY | O_NONBLOCK)); }),
              "5 File access denied")
        << "a pipe without a writer";

    // A pipe with a writer that never writes: a read would wait for ever.
    int Writer = open(Path.c_str(), O_RDWR);
    ASSERT_GE(Writer, 0);
    EXPECT_EQ(ErrorWithin(Path, [&] { close(std::exchange(Writer, -1)); }), "5 File access denied")
        << "a pipe that stays silent";
    if (Writer >= 0)
        close(Writer);
    std::filesystem::remove(Path);

    // A dangling link reads as a missing file; once its target exists, it is read through.
    std::filesystem::create_symlink(Dir.Path() / "target.txt", Path);
    EXPECT_EQ(ErrorOf(Path), "2 File not found");
    Dir.Write("target.txt", "http://real/\r");
    EXPECT_EQ(Values(Path).at(0), "http://real/");
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

    // Every byte value: NUL and a lone LF are text, CR ends the first line and byte 26 the text;
    // bytes above 26 before them are kept as they are, not recoded.
    for (const std::string& High : {std::string(), Bytes(27, 255)}) {
        Dir.Write("dane.txt", High + Bytes(0, 255));
        std::vector<std::string> Expected{High + Bytes(0, 12), Bytes(14, 25)};
        Expected.resize(15);
        EXPECT_TRUE(Values(Path) == Expected) << High.size();
    }

    // Lines of 10 MiB: the CR of the first opens a new fill of the reader's buffer, or ends one with
    // its LF in the next.
    for (const std::size_t Length : {std::size_t(10) << 20, (std::size_t(10) << 20) - 1}) {
        std::string Long(Length, 'x');
        for (std::size_t At = 0; At < Long.size(); At += 4099)
            Long[At] = static_cast<char>('a' + At % 26);
        Dir.Write("dane.txt", Long + "\r\nsecond\r\n" + Long + "\rfourth");
        const std::vector<std::string> Read = Values(Path);
        EXPECT_TRUE(Read[0] == Long && Read[1] == "second" && Read[2] == Long && Read[3] == "fourth")
            << Length;
    }

    // CR alone ends every line; the sixteenth is not read.
    std::string CrOnly;
    for (int Line = 1; Line <= 16; ++Line)
        CrOnly += "line " + std::to_string(Line) + "\r";
    Dir.Write("dane.txt", CrOnly);
    const std::vector<std::string> Read = Values(Path);
    ASSERT_EQ(Read.size(), 15u);
    EXPECT_EQ(Read[14], "line 15");
}
