// The build steps of sources 0 to 3: page files against fixtures in tests/data/pages, and the
// rewrite rules on matching and non-matching links.
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
    std::ifstream In(std::filesystem::path(TKW_PAGES_DATA_DIR) / Name, std::ios::binary);
    if (!In)
        throw std::runtime_error("missing fixture " + Name);
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}
} // namespace

TEST(FragmentPages, PageFilesMatchFixtures)
{
    // Each sourceN-page.htm holds its markers twice (source 2's an end marker before the first
    // start marker), so the first start marker and the first end marker after it must decide.
    struct
    {
        const char *Start, *End, *AbsentStart, *AbsentEnd;
    } const Markers[] = {
        {"<!-- komentarz -->", "<!-- /komentarz -->", "<!-- brak -->", "<!-- koniec -->"},
        {"<td class=\"komentarz\">", "</td>", "<td class=\"brak\">", "</div>"},
        {"<!-- START -->", "<!-- END -->", "<!-- BEGIN -->", "<!-- KONIEC ARTYKUL -->"},
        {"<div id=\"news\">", "</div>", "<div id=\"brak\">", "</section>"},
    };
    for (int Source = 0; Source < 4; ++Source) {
        const auto& M = Markers[Source];
        const std::string Name = "source" + std::to_string(Source), Page = ReadFixture(Name + "-page.htm");
        EXPECT_EQ(BuildFragmentPage(Source, Page, M.Start, M.End), ReadFixture(Name + "-both-markers.htm"))
            << Name;
        EXPECT_EQ(BuildFragmentPage(Source, Page, M.AbsentStart, M.End),
                  ReadFixture(Name + "-no-start-marker.htm"))
            << Name;
        EXPECT_EQ(BuildFragmentPage(Source, Page, M.Start, M.AbsentEnd),
                  ReadFixture(Name + "-no-end-marker.htm"))
            << Name;
    }

    // An empty fragment: sources 0 to 2 put header and trailer on one line, source 3 ends no line.
    const std::string Page = "<p>kurs</p>\r\n";
    EXPECT_EQ(BuildFragmentPage(0, Page, "<p>", ""),
              "<HTML><head><base href=\"https://www.parkiet.com/\"><meta http-equiv=\"Content-Type\" "
              "content=\"text/html; charset=windows-1250\"></head></HTML>\r\n");
    EXPECT_EQ(BuildFragmentPage(2, Page, "<p>", ""),
              "<HTML> <meta content=\"text/html; charset=iso-8859-2\" http-equiv=Content-Type><head><BASE "
              "HREF=\"https://www.bankier.pl/inwestowanie/gielda/akcje/\"></head> </table> </HTML>\r\n");
    EXPECT_EQ(
        BuildFragmentPage(3, Page, "<p>", ""),
        "<HTML><BASEFONT face=\"Arial,Helvetica\"><head><BASE href=\"https://www.doakcji.pl/\"></head>\r\n")
        << "an empty fragment leaves the header on a line of its own";
    EXPECT_THROW(BuildFragmentPage(-1, "page", "", ""), std::out_of_range);
    EXPECT_THROW(BuildFragmentPage(4, "page", "", ""), std::out_of_range);
}

TEST(FragmentPages, RewriteRules)
{
    const struct
    {
        int Source;
        std::string Link, Expected;
    } Cases[] = {
        {0, "<a href='/futures/k.htm?d=1'>", "<a href='https://www.parkiet.com/futures/k.htm?d=1'>"},
        {0, "<a href=\"/futures/k.htm\">", "<a href=\"https://www.parkiet.com/futures/k.htm\">"},
        {0, "<a href='futures/k.htm'>", "<a href='https://www.parkiet.com/futures/k.htm'>"},
        {0, "<a HREF=\"/futures/k.htm\">", ""},
        {0, "<a href = \"/futures/k.htm\">", ""},
        {0, "<a href=\"/akcje/futures/k.htm\">", ""},
        {0, "<table width=\"270\" border=0>", "<table width=\"470\" border=0>"},
        {0, "<table width='270'><table width=270>", ""},
        {0, "<table border=0 width=\"270\">", ""}, // the width must follow the tag name
        {1, "<a href=\"/wiadomosci/article.html?id=7\">",
         "<a href=\"https://www.bankier.pl/wiadomosci/print.html?id=7\">"},
        {1, "x/wiadomosci/article.html?a /wiadomosci/article.html?",
         "xhttps://www.bankier.pl/wiadomosci/print.html?a https://www.bankier.pl/wiadomosci/print.html?"},
        {1, "/wiadomosci/article.html#x /Wiadomosci/article.html?", ""},
        {2, "<a href=\"/futures/k.htm\">/wiadomosci/article.html?", ""},
        {3, "<a href=\"/welcome.jsp?id=3\">", "<a href=\"news/newsPlainContent.jsp?id=3\">"},
        {3, "<a href=\"welcome.jsp?id=3\">", ""},
    };
    for (const auto& C : Cases) { // an empty Expected: the link stays as it is
        const std::string Page = BuildFragmentPage(C.Source, "<s>" + C.Link + "<e>\r\n", "<s>", "<e>");
        const std::size_t Start = Page.find("<s>"), End = Page.find("<e>");
        ASSERT_TRUE(Start != std::string::npos && End != std::string::npos && Start < End) << Printable(Page);
        EXPECT_EQ(Page.substr(Start + 3, End - Start - 3), C.Expected.empty() ? C.Link : C.Expected)
            << "source " << C.Source << ", link " << Printable(C.Link);
    }
}
