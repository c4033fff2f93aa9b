// Fuzz target for the configuration reader: fifteen values by the line rules, also with a CR LF
// split across the reader's first two reads.
#include "Configuration.h"
#include "FuzzCheck.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {
constexpr std::size_t ReadSize = 65536;
int File = -1; // a memory file, written in place for every input

void CheckReading(std::string_view Bytes)
{
    FUZZ_CHECK(ftruncate(File, 0) == 0 &&
               pwrite(File, Bytes.data(), Bytes.size(), 0) == ssize_t(Bytes.size()));
    std::vector<std::string> Stored;
    const auto Addresses = LoadConfiguration("/proc/self/fd/" + std::to_string(File),
                                             [&](int Source, TConfigField Field, const std::string& Value) {
                                                 FUZZ_CHECK(Source == int(Stored.size() / 3));
                                                 FUZZ_CHECK(int(Field) == int(Stored.size() % 3));
                                                 Stored.push_back(Value);
                                             });
    FUZZ_CHECK(Stored.size() == 3 * SourceCount);
    // Text up to the first byte 26; a CR ends a line and takes one LF right after it along.
    const std::string_view Text = Bytes.substr(0, Bytes.find('\x1a'));
    std::size_t At = 0;
    for (std::size_t Line = 0; Line < Stored.size(); ++Line) {
        const std::size_t Cr = std::min(Text.find('\r', At), Text.size());
        FUZZ_CHECK(Stored[Line] == Text.substr(std::min(At, Text.size()), Cr - std::min(At, Cr)));
        At = Cr + 1 + (Cr + 1 < Text.size() && Text[Cr + 1] == '\n');
    }
    for (int Source = 0; Source < SourceCount; ++Source)
        FUZZ_CHECK(Addresses[std::size_t(Source)] == Stored[std::size_t(3 * Source)]);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    File = memfd_create("dane.txt", MFD_CLOEXEC);
    FUZZ_CHECK(File >= 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const std::string_view Bytes(reinterpret_cast<const char*>(Data), Size);
    CheckReading(Bytes);
    const std::size_t FirstStop = std::min(Bytes.find_first_of("\r\x1a"), ReadSize - 1);
    CheckReading(std::string(ReadSize - 1 - FirstStop, 'x').append(Bytes));
    return 0;
}
