// The quotes server's address.
#include "SiteConstants.h"

#include <cstdlib>
#include <string>

std::string_view QuotesServer()
{
    // The demo points the index tab at its own quotes page through TICKERWELL_QUOTES_SERVER.
    static const std::string Server = [] {
        const char* Override = std::getenv("TICKERWELL_QUOTES_SERVER");
        return std::string(Override && *Override ? Override : "https://notowania.doakcji.pl");
    }();
    return Server;
}
