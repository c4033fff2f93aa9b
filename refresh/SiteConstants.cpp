// The quotes server's address.
#include "SiteConstants.h"

std::string_view QuotesServer()
{
    return "https://notowania.doakcji.pl";
}
