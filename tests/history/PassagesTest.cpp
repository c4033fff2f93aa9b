// The passages found on pages, and the comparison of two versions' passages.
#include "Passages.h"
#include "PassageDiff.h"

#include <gtest/gtest.h>

namespace {
TEST(Passages, AreTheTextOfBlockElementsAsTheBrowserReadsThem)
{
    const std::tuple<const char*, std::string, QStringList> Cases[] = {
        {"paragraphs, items, headings",
         "<h2>Title</h2><p>One <b>bold</b> word</p><ul><li>a<li>b</ul>",
         {"Title", "One bold word", "a", "b"}},
        {"an unclosed paragraph ends at the next block",
         "<p>first<p>second<div>third</div>",
         {"first", "second", "third"}},
        {"a row holding paragraphs gives the paragraphs",
         "<table><tr><td><p>x</p><p>y</p></td></tr></table>",
         {"x", "y"}},
        {"a row of cells is one passage",
         "<table><tr><td>WIG</td><td>1 234,5</td></tr></table>",
         {"WIG1 234,5"}},
        {"a div with elements inside is no passage; text-only ones are",
         "<div>around <span>inner</span> text</div><div><br>broken</div>",
         {"inner"}},
        {"a span inside a paragraph belongs to it", "<p>see <span>this</span></p>", {"see this"}},
        {"scripts, styles and comments hold no text",
         "<p>a<script>var s='<p>no</p>';</script><!-- <p>no</p> --><style>p{}</style>b</p>",
         {"ab"}},
        {"white space collapsed, entities decoded",
         "<p> a&nbsp;&amp;\r\n\t b &#x41;&#66;&unknown; </p>",
         {"a & b AB&unknown;"}},
        {"every reference a browser decodes",
         "<p>&eacute;&plusmn;&#150;&#x96;&Fopf;&NotEqualTilde;</p><p>&eacute x&notit; &amp&lt3 &#150x</p>",
         {QStringLiteral("é±––\U0001D53D\u2242\u0338"), QStringLiteral("é x¬it; &<3 –x")}},
        {"numbers a browser replaces or keeps",
         "<p>&#0;&#xD800;&#x110000;&#99999999999;&#x81;|&#;&#x;&#xG;&unknown;&</p>",
         {QStringLiteral("\uFFFD\uFFFD\uFFFD\uFFFD\u0081|&#;&#x;&#xG;&unknown;&")}},
        {"white space as the script sees it",
         QStringLiteral("<meta charset=utf-8><p>a\u3000\uFEFFb\u0085c&#xFEFF;</p>").toStdString(),
         {QStringLiteral("a b\u0085c")}},
        {"Windows-1250 by default", "<p>\xb9\x9c\xbf</p>", {QStringLiteral("ąśż")}},
        {"the declared character set",
         "<meta content=\"text/html; charset=iso-8859-2\"><p>\xb1\xb6\xbf</p>",
         {QStringLiteral("ąśż")}},
        {"empty blocks and a stray < are kept apart", "<p> </p><p>a < b</p><li></li>", {"a < b"}},
        {"no page", "", {}},
    };
    for (const auto& [What, Page, Passages] : Cases)
        EXPECT_EQ(PagePassages(Page), Passages) << What;
}

TEST(PassageDiff, FindsNewAndRemovedPassages)
{
    const std::tuple<const char*, std::string, std::string, QStringList, int> Cases[] = {
        {"added", "<p>a</p><p>b</p>", "<p>a</p><p>new</p><p>b</p>", {"new"}, 0},
        {"removed", "<p>a</p><p>b</p><p>c</p>", "<p>a</p><p>c</p>", {}, 1},
        {"changed", "<p>a</p><p>b</p>", "<p>a</p><p>b, now longer</p>", {"b, now longer"}, 1},
        {"moved", "<p>a</p><p>b</p><p>c</p>", "<p>c</p><p>a</p><p>b</p>", {}, 0},
        {"moved and changed", "<p>a</p><p>b</p>", "<p>b2</p><p>a</p>", {"b2"}, 1},
        {"a repeated passage added once more", "<p>-</p><p>a</p>", "<p>-</p><p>a</p><p>-</p>", {"-"}, 0},
        {"the markup changed, the text not", "<p>a <b>b</b></p>", "<p class=x>a b</p>", {}, 0},
        {"an empty old version", "", "<p>a</p><p>b</p>", {"a", "b"}, 0},
        {"both empty", "", "", {}, 0},
    };
    for (const auto& [What, Old, New, Added, Removed] : Cases) {
        const TPassageChange Change = ComparePassages(PagePassages(Old), PagePassages(New));
        EXPECT_EQ(Change.Added, Added) << What;
        EXPECT_EQ(Change.Removed, Removed) << What;
    }
}
} // namespace
