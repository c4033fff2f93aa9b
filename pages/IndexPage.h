// Build step of the index source: the session id taken from the index page and the address of the
// live quotes page for it.
#pragma once

#include <string>
#include <string_view>

// The characters after the first "/lib/php/p_glowna.php?sesid=" up to the first double quote
// within the next 100 characters; empty when there is no such quote.
std::string ExtractSesid(std::string_view Page);

// The live quotes page of QuotesServer for the given session id, inserted as found.
std::string QuotesPageAddress(std::string_view Sesid);
