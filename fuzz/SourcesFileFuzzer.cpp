// Fuzz target for the file of one's own sources: rewrites keep the file, added texts read back.
#include "FuzzCheck.h"
#include "OwnSources.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const std::string_view Bytes(reinterpret_cast<const char*>(Data), Size);
    TSourcesFile File;
    try {
        File = TSourcesFile::Parse(Bytes, "zrodla.ini");
    } catch (const ESourcesFile&) {
        return 0;
    }
    // Lines end in LF when written; a CR before an LF is not kept.
    if (Bytes.find('\r') == std::string_view::npos && (Bytes.empty() || Bytes.back() == '\n'))
        FUZZ_CHECK(File.Text() == Bytes);
    for (const TOwnSource& Source : File.Sources())
        File.Update(Source);
    FUZZ_CHECK(TSourcesFile::Parse(File.Text(), "zrodla.ini").Text() == File.Text());

    const std::size_t Half = Size / 2;
    TOwnSource New{0,
                   "Nowe",
                   "https://example.com/",
                   std::string(Bytes.substr(0, Half)),
                   std::string(Bytes.substr(Half)),
                   Size % 2 == 0};
    try {
        New.Id = File.Add(New);
    } catch (const ESourcesFile&) {
        // The list is full, or the ids ran out.
        return 0;
    }
    const auto Read = TSourcesFile::Parse(File.Text(), "zrodla.ini").Source(New.Id);
    FUZZ_CHECK(Read && Read->StartText == New.StartText && Read->EndText == New.EndText &&
               Read->On == New.On);
    return 0;
}
