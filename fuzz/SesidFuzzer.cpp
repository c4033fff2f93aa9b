// Fuzz target for the session id taken from the index page: the input is the page.
#include "FuzzCheck.h"
#include "IndexPage.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {
constexpr std::string_view SesidMarker = "/lib/php/p_glowna.php?sesid=";
constexpr std::size_t SesidWindow = 100;
// Without the marker the window starts at position 28 (from 1) of the page.
constexpr std::size_t UnmarkedStart = 27;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const std::string_view Page(reinterpret_cast<const char*>(Data), Size);
    const std::string Sesid = ExtractSesid(Page);

    FUZZ_CHECK(Sesid.size() < SesidWindow);
    FUZZ_CHECK(Sesid.find('"') == std::string::npos);

    const std::size_t Marker = Page.find(SesidMarker);
    const std::size_t Start = Marker == std::string_view::npos ? UnmarkedStart : Marker + SesidMarker.size();
    FUZZ_CHECK(Page.substr(std::min(Start, Page.size())).starts_with(Sesid));

    // The characters before the first quote of the window; none when the window holds no quote.
    const std::string_view Window = Page.substr(std::min(Start, Page.size()), SesidWindow);
    const std::size_t Quote = Window.find('"');
    FUZZ_CHECK(Sesid == (Quote == std::string_view::npos ? std::string_view() : Window.substr(0, Quote)));
    return 0;
}
