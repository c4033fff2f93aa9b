// The index source's build step: the session id taken from the page and the quotes page address.
#include "IndexPage.h"
#include "Printable.h"
#include "SiteConstants.h"

#include <gtest/gtest.h>

TEST(IndexPage, ExtractSesidAndQuotesPageAddress)
{
    const std::string Marker = "/lib/php/p_glowna.php?sesid=", Value99(99, 'v'), Value100(100, 'v');
    const std::pair<std::string, std::string> Cases[] = {
        {"<a href=\"" + Marker + "a1B2\">Indeksy</a>\r\n", "a1B2"},
        {"<a href=\"" + Marker + "\">", ""},
        {"x" + Marker + Value99 + "\"\r\n", Value99},
        {"x" + Marker + Value100 + "\"\r\n", ""},
        {"x" + Marker + "abc\r\n", ""}, // no quote after the marker
        {"x" + Marker, ""},
        {Marker + "first\" " + Marker + "second\"", "first"},
        {"\"" + Marker + "abc", ""},
        // No marker: from character 28 up to the next quote, when one comes before character 128.
        {std::string(27, '-') + "okno\"" + std::string(200, '-'), "okno"},
        {std::string(27, '-') + "\"abc\"", ""},
        {std::string(26, '-') + "\"abc\"xyz", "abc"},
        {std::string(127, '-') + "\"", ""},
        {"<html><body>Indeksy</body></html>\r\n", ""},
        {"", ""},
    };
    for (const auto& [Page, Sesid] : Cases)
        EXPECT_EQ(ExtractSesid(Page), Sesid) << "session id of " << Printable(Page);

    // The quotes server may be moved by the environment, the path may not; the id goes in as found.
    EXPECT_EQ(QuotesPageAddress("a b&c"), std::string(QuotesServer()) + "/lib/php/gieldy.php?sesid=a b&c");
}
