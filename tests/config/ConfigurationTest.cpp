// The configuration reader: line rules and the errors the user sees.
#include "Configuration.h"
#include "TempDir.h"

#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
// The fifteen values of the file at Path as a refresh reads them.
std::vector<std::string> Values(const std::filesystem::path& Path)
{
    std::vector<std::string> Out;
    LoadConfiguration(Path.string(),
                      [&](int, TConfigField, const std::string& Value) { Out.push_back(Value); });
    return Out;
}

// The error reading Path, "read" when there was none, "blocked" when the reader waits.
std::string ErrorOf(const std::filesystem::path& Path)
{
    auto Reading = std::async(std::launch::async, [Path]() -> std::string {
        try {
            Values(Path);
        } catch (const EInOutError& Error) {
            return std::to_string(Error.ErrorCode) + " " + Error.what();
        }
        return "read";
    });
    if (Reading.wait_for(std::chrono::seconds(20)) == std::future_status::ready)
        return Reading.get();
    close(open(Path.c_str(), O_WRONLY | O_NONBLOCK)); // lets a reader blocked in open go
    return "blocked";
}
} // namespace

TEST(Configuration, LineRules)
{
    TTempDir Dir;
    std::string Sixteen, Long(65535, 'x');
    for (int Line = 1; Line <= 16; ++Line)
        Sixteen += "L" + std::to_string(Line) + (Line % 2 ? "\r" : "\r\n");
    std::vector<std::string> Fifteen(15);
    for (int Line = 1; Line <= 15; ++Line)
        Fifteen[Line - 1] = "L" + std::to_string(Line);
    const std::pair<std::string, std::vector<std::string>> Cases[] = {
        // CR, CR LF and CR CR end lines; a lone LF and blanks are text; bytes are not recoded.
        {"a\r\nb\rc\nd\r\r e \r\n\n\r\xE6\xB9\x9C\r\n", {"a", "b", "c\nd", "", " e ", "\n", "\xE6\xB9\x9C"}},
        {"one\r\ntw\x1Ao\r\nthree\r\n", {"one", "tw"}}, // byte 26 ends the text
        {Sixteen, Fifteen},
        {"", {}},
        // The CR LF of the first line split across the reader's first two reads.
        {Long + "\r\nnext\r\n", {Long, "next"}},
    };
    for (auto [Bytes, Expected] : Cases) {
        Dir.Write("dane.txt", Bytes);
        Expected.resize(15);
        EXPECT_TRUE(Values(Dir.Path() / "dane.txt") == Expected) << Bytes.substr(0, 40);
    }
}

TEST(Configuration, ErrorsCarryTheUsersMessageAndWhatIsNoFileIsRefusedWithoutWaiting)
{
    TTempDir Dir;
    Dir.Write("file", "x");
    ASSERT_EQ(mkfifo((Dir.Path() / "pipe").c_str(), 0644), 0);
    const std::pair<std::filesystem::path, std::string> Cases[] = {
        {Dir.Path() / "file" / "dane.txt", "2 File not found"},
        {Dir.Path() / std::string(5000, 'n'), "3 Invalid filename"},
        {Dir.Path(), "5 File access denied"},
        {Dir.Path() / "pipe", "5 File access denied"},
    };
    for (const auto& [Path, Error] : Cases)
        EXPECT_EQ(ErrorOf(Path), Error) << Path;
}
