// Root addresses of the followed sites and of the quotes server, each scheme and host without a
// trailing slash; page files are built from them. The agent name every download sends.
#pragma once

#include <string_view>

inline constexpr std::string_view ParkietSite = "https://www.parkiet.com";
inline constexpr std::string_view EuromoneySite = "https://euromoney.bankier.pl";
inline constexpr std::string_view BankierSite = "https://www.bankier.pl";
inline constexpr std::string_view DoAkcjiSite = "https://www.doakcji.pl";

// The User-Agent header of the downloads, as the sites have always seen it.
inline constexpr std::string_view AgentName = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0; Q312461";

// The quotes server whose live page the index tab shows: https://notowania.doakcji.pl, unless the
// environment variable TICKERWELL_QUOTES_SERVER names another (the demo uses it).
std::string_view QuotesServer();
