// Tests of the build steps of sources 0 to 3: whole page files against fixtures under
// tests/data/pages, and each rewrite rule on matching and non-matching links.
#include "FragmentPages.h"
#include "Printable.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <stdexcept>

namespace {
std::string ReadFixture(const std::string& Name)
{
    const std::filesystem::path Path = std::filesystem::path(TKW_PAGES_DATA_DIR) / Name;
    std::ifstream In(Path, std::ios::binary);
    if (!In)
        throw std::runtime_error("missing fixture " + Path.string());
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

struct TPageCase
{
    int Source;
    const char* StartMarker;
    const char* EndMarker;
    const char* ExpectedFile;
};

struct TRewriteCase
{
    int Source;
    std::string Link, Expected;
};

// The part of a built page between the "<s>" and "<e>" markers of a one-line fragment.
std::string BetweenMarkers(const std::string& Page)
{
    const std::size_t Start = Page.find("<s>"), End = Page.find("<e>");
    if (Start == std::string::npos || End == std::string::npos || End < Start)
        return "(markers lost in " + Printable(Page) + ")";
    return Page.substr(Start + 3, End - Start - 3);
}
} // namespace

TEST(FragmentPages, PageFilesMatchFixtures)
{
    // Every sourceN-page.htm holds its markers twice, so the both-markers files also show that the
    // first start marker and the first end marker after it decide; source 2's page has an end
    // marker before its first start marker.
    const TPageCase Cases[] = {
        {0, "<!-- komentarz -->", "<!-- /komentarz -->", "source0-both-markers.htm"},
        {0, "<!-- brak -->", "<!-- /komentarz -->", "source0-no-start-marker.htm"},
        {0, "<!-- komentarz -->", "<!-- koniec -->", "source0-no-end-marker.htm"},
        {1, "<td class=\"komentarz\">", "</td>", "source1-both-markers.htm"},
        {1, "<td class=\"brak\">", "</td>", "source1-no-start-marker.htm"},
        {1, "<td class=\"komentarz\">", "</div>", "source1-no-end-marker.htm"},
        {2, "<!-- START -->", "<!-- END -->", "source2-both-markers.htm"},
        {2, "<!-- BEGIN -->", "<!-- END -->", "source2-no-start-marker.htm"},
        {2, "<!-- START -->", "<!-- KONIEC ARTYKUL -->", "source2-no-end-marker.htm"},
        {3, "<div id=\"news\">", "</div>", "source3-both-markers.htm"},
        {3, "<div id=\"brak\">", "</div>", "source3-no-start-marker.htm"},
        {3, "<div id=\"news\">", "</section>", "source3-no-end-marker.htm"},
    };
    for (const TPageCase& C : Cases) {
        const std::string Page = ReadFixture("source" + std::to_string(C.Source) + "-page.htm");
        EXPECT_EQ(BuildFragmentPage(C.Source, Page, C.StartMarker, C.EndMarker), ReadFixture(C.ExpectedFile))
            << "page file bytes of source " << C.Source << " between " << Printable(C.StartMarker) << " and "
            << Printable(C.EndMarker) << ", expected as in " << C.ExpectedFile;
    }
}

TEST(FragmentPages, EmptyFragment)
{
    // Sources 0 to 2 normalise header and trailer together, so both share one line; source 3 puts
    // its header in front of the empty fragment and nothing ends the line.
    const std::string Page = "<p>kurs</p>\r\n";
    EXPECT_EQ(BuildFragmentPage(0, Page, "<p>", ""),
              "<HTML><head><base href=\"https://www.parkiet.com/\"><meta http-equiv=\"Content-Type\" "
              "content=\"text/html; charset=windows-1250\"></head></HTML>\r\n")
        << "page file bytes of source 0 for an empty fragment";
    EXPECT_EQ(BuildFragmentPage(2, Page, "<p>", ""),
              "<HTML> <meta content=\"text/html; charset=iso-8859-2\" http-equiv=Content-Type><head><BASE "
              "HREF=\"https://www.bankier.pl/inwestowanie/gielda/akcje/\"></head> </table> </HTML>\r\n")
        << "page file bytes of source 2 for an empty fragment";
    EXPECT_EQ(BuildFragmentPage(3, Page, "<p>", ""),
              "<HTML><BASEFONT face=\"Arial,Helvetica\"><head><BASE href=\"https://www.doakcji.pl/\"></head>")
        << "page file bytes of source 3 for an empty fragment";
}

TEST(FragmentPages, RewriteRules)
{
    const TRewriteCase Cases[] = {
        {0, "<a href='/futures/k.htm?d=1'>", "<a href='https://www.parkiet.com/futures/k.htm?d=1'>"},
        {0, "<a href=\"/futures/k.htm\">", "<a href=\"https://www.parkiet.com/futures/k.htm\">"},
        {0, "<a href='futures/k.htm'>", "<a href='https://www.parkiet.com/futures/k.htm'>"},
        {0, "<a href=\"futures/k.htm\">", "<a href=\"https://www.parkiet.com/futures/k.htm\">"},
        {0, "<a HREF=\"/futures/k.htm\">", "<a HREF=\"/futures/k.htm\">"},
        {0, "<a href = \"/futures/k.htm\">", "<a href = \"/futures/k.htm\">"},
        {0, "<a href=\"/Futures/k.htm\">", "<a href=\"/Futures/k.htm\">"},
        {0, "<a href=\"/akcje/futures/k.htm\">", "<a href=\"/akcje/futures/k.htm\">"},
        {0, "<table width=\"270\" border=0>", "<table width=\"470\" border=0>"},
        {0, "<table width='270'><table width=270>", "<table width='270'><table width=270>"},
        {0, "<table width=\"470\">", "<table width=\"470\">"},
        // The pattern needs the width right after the tag name.
        {0, "<table border=0 width=\"270\">", "<table border=0 width=\"270\">"},
        {1, "<a href=\"/wiadomosci/article.html?id=7\">",
         "<a href=\"https://www.bankier.pl/wiadomosci/print.html?id=7\">"},
        {1, "x/wiadomosci/article.html?a /wiadomosci/article.html?",
         "xhttps://www.bankier.pl/wiadomosci/print.html?a https://www.bankier.pl/wiadomosci/print.html?"},
        {1, "/wiadomosci/article.html#x /Wiadomosci/article.html?",
         "/wiadomosci/article.html#x /Wiadomosci/article.html?"},
        {2, "<a href=\"/futures/k.htm\">/wiadomosci/article.html?",
         "<a href=\"/futures/k.htm\">/wiadomosci/article.html?"},
        {3, "<a href=\"/welcome.jsp?id=3\">", "<a href=\"news/newsPlainContent.jsp?id=3\">"},
        {3, "<a href=\"welcome.jsp?id=3\">", "<a href=\"welcome.jsp?id=3\">"},
        {3, "<a href=\"/welcome.jsp\">", "<a href=\"/welcome.jsp\">"},
    };
    for (const TRewriteCase& C : Cases)
        EXPECT_EQ(BetweenMarkers(BuildFragmentPage(C.Source, "<s>" + C.Link + "<e>\r\n", "<s>", "<e>")),
                  C.Expected)
            << "fragment of source " << C.Source << "'s page file for " << Printable(C.Link);
}

TEST(FragmentPages, OnlySourcesZeroToThreeHaveFragmentPages)
{
    EXPECT_THROW(BuildFragmentPage(-1, "page", "", ""), std::out_of_range);
    EXPECT_THROW(BuildFragmentPage(4, "page", "", ""), std::out_of_range);
}
