// Build step of the index source: the session id after the sesid marker and the quotes page
// address made from it.
#include "IndexPage.h"

#include "SiteConstants.h"
#include "TextRoutines.h"

namespace {
constexpr std::string_view SesidMarker = "/lib/php/p_glowna.php?sesid=";
constexpr std::ptrdiff_t SesidWindow = 100;
} // namespace

std::string ExtractSesid(std::string_view Page)
{
    // Without the marker P is 0, so the window is characters 28 to 127 of the page.
    const std::ptrdiff_t P = Find(SesidMarker, Page);
    const std::string_view S = Sub(Page, P + static_cast<std::ptrdiff_t>(SesidMarker.size()), SesidWindow);
    // Without a quote Q is 0 and the count -1: the value is empty, not the whole window.
    const std::ptrdiff_t Q = Find("\"", S);
    return std::string(Sub(S, 1, Q - 1));
}

std::string QuotesPageAddress(std::string_view Sesid)
{
    std::string Address(QuotesServer());
    Address.append("/lib/php/gieldy.php?sesid=").append(Sesid);
    return Address;
}
