// Fuzz target for the session id of the index page, against a plain reference.
#include "FuzzCheck.h"
#include "IndexPage.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const std::string_view Page(reinterpret_cast<const char*>(Data), Size),
        Marker = "/lib/php/p_glowna.php?sesid=";
    const std::size_t Found = Page.find(Marker);
    const std::size_t Start =
        std::min(Found == std::string_view::npos ? 27 : Found + Marker.size(), Page.size());
    const std::string_view Window = Page.substr(Start, 100);
    const std::size_t Quote = Window.find('"');
    FUZZ_CHECK(ExtractSesid(Page) ==
               (Quote == std::string_view::npos ? std::string_view() : Window.substr(0, Quote)));
    return 0;
}
