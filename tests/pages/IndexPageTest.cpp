// Tests of the index source's build step: the session id taken from the page and the quotes
// page address.
#include "IndexPage.h"
#include "Printable.h"
#include "SiteConstants.h"

#include <gtest/gtest.h>

namespace {
struct TSesidCase
{
    const char* What;
    std::string Page, Sesid;
};

const std::string Marker = "/lib/php/p_glowna.php?sesid=";
} // namespace

TEST(IndexPage, ExtractSesid)
{
    const std::string Value99(99, 'v'), Value100(100, 'v');
    const TSesidCase Cases[] = {
        {"value and quote", "<a href=\"" + Marker + "a1B2\">Indeksy</a>\r\n", "a1B2"},
        {"quote right after the marker", "<a href=\"" + Marker + "\">", ""},
        {"99 characters, then a quote", "x" + Marker + Value99 + "\"\r\n", Value99},
        {"100 characters, then a quote", "x" + Marker + Value100 + "\"\r\n", ""},
        {"no quote after the marker", "x" + Marker + "abc\r\n", ""},
        {"marker ends the page", "x" + Marker, ""},
        {"marker twice", Marker + "first\" " + Marker + "second\"", "first"},
        {"quote only before the marker", "\"" + Marker + "abc", ""},
        {"no marker: characters 28 to 127", std::string(27, '-') + "okno\"" + std::string(200, '-'), "okno"},
        {"no marker: quote at character 28", std::string(27, '-') + "\"abc\"", ""},
        {"no marker: quote only at character 27", std::string(26, '-') + "\"abc\"xyz", "abc"},
        {"no marker: first quote at character 128", std::string(127, '-') + "\"", ""},
        {"no marker, no quote", "<html><body>Indeksy</body></html>\r\n", ""},
        {"empty page", "", ""},
    };
    for (const TSesidCase& C : Cases)
        EXPECT_EQ(ExtractSesid(C.Page), C.Sesid) << C.What << ": session id of " << Printable(C.Page);
}

TEST(IndexPage, QuotesPageAddress)
{
    // The quotes server itself may be moved by the environment (the demo does), the path may not.
    const std::string Server(QuotesServer());
    EXPECT_EQ(QuotesPageAddress("a1B2"), Server + "/lib/php/gieldy.php?sesid=a1B2");
    EXPECT_EQ(QuotesPageAddress(""), Server + "/lib/php/gieldy.php?sesid=")
        << "address of the quotes page for an empty session id";
    EXPECT_EQ(QuotesPageAddress("a b&c"), Server + "/lib/php/gieldy.php?sesid=a b&c")
        << "the session id is inserted as found";
}
