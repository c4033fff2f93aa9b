// Fuzz target for the configuration reader: the input is the whole dane.txt. Each input is read
// twice, once as it is and once behind a long first line that puts its first CR or byte 26 on the
// last byte of the reader's first 64 KiB read, so that a CR LF split across two reads is reached. Both
// readings must store fifteen values in source order that agree with the line rules applied straight to the
// bytes.
#include "Configuration.h"
#include "FuzzCheck.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {
constexpr std::size_t LineCount = 3 * SourceCount;
constexpr std::size_t ReadSize = 65536;

// The file the reader opens: a memory file, written in place for every input.
int File = -1;
std::string FilePath;

void WriteFile(std::string_view Bytes)
{
    FUZZ_CHECK(ftruncate(File, 0) == 0);
    std::size_t Done = 0;
    while (Done < Bytes.size()) {
        const ssize_t Count = pwrite(File, Bytes.data() + Done, Bytes.size() - Done, off_t(Done));
        FUZZ_CHECK(Count > 0);
        Done += std::size_t(Count);
    }
}

// The values by the line rules: text up to the first byte 26, a CR ends a line and swallows one LF
// right after it, missing lines are empty.
std::array<std::string, LineCount> ExpectedValues(std::string_view Bytes)
{
    const std::string_view Text = Bytes.substr(0, Bytes.find('\x1a'));
    std::array<std::string, LineCount> Values;
    std::size_t At = 0;
    for (std::string& Value : Values) {
        if (At >= Text.size())
            break;
        const std::size_t Cr = Text.find('\r', At);
        if (Cr == std::string_view::npos) {
            Value = Text.substr(At);
            break;
        }
        Value = Text.substr(At, Cr - At);
        At = Cr + 1;
        if (At < Text.size() && Text[At] == '\n')
            ++At;
    }
    return Values;
}

void CheckReading(std::string_view Bytes)
{
    WriteFile(Bytes);
    struct TStored
    {
        int Source;
        TConfigField Field;
        std::string Value;
    };
    std::vector<TStored> Stored;
    const auto Addresses =
        LoadConfiguration(FilePath, [&](int Source, TConfigField Field, const std::string& Value) {
            Stored.push_back({Source, Field, Value});
        });

    const auto Expected = ExpectedValues(Bytes);
    constexpr TConfigField Fields[] = {TConfigField::Address, TConfigField::StartMarker,
                                       TConfigField::EndMarker};
    FUZZ_CHECK(Stored.size() == LineCount);
    for (std::size_t I = 0; I < LineCount; ++I) {
        FUZZ_CHECK(Stored[I].Source == int(I / 3));
        FUZZ_CHECK(Stored[I].Field == Fields[I % 3]);
        FUZZ_CHECK(Stored[I].Value.find('\r') == std::string::npos);
        FUZZ_CHECK(Stored[I].Value.find('\x1a') == std::string::npos);
        FUZZ_CHECK(Stored[I].Value == Expected[I]);
    }
    for (int Source = 0; Source < SourceCount; ++Source)
        FUZZ_CHECK(Addresses[std::size_t(Source)] == Stored[std::size_t(3 * Source)].Value);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    File = memfd_create("dane.txt", MFD_CLOEXEC);
    FUZZ_CHECK(File >= 0);
    // Opening the descriptor's /proc entry gives the reader a file of its own with its own offset.
    FilePath = "/proc/self/fd/" + std::to_string(File);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const std::string_view Bytes(reinterpret_cast<const char*>(Data), Size);
    CheckReading(Bytes);

    const std::size_t FirstStop = std::min(Bytes.find_first_of("\r\x1a"), ReadSize - 1);
    std::string Padded(ReadSize - 1 - FirstStop, 'x');
    Padded.append(Bytes);
    CheckReading(Padded);
    return 0;
}
