// The page path of sources of one's own: charsets, cuts between texts, texts not found.
#include "TextPage.h"

#include <gtest/gtest.h>

TEST(TextPage, DecodesByCharsetAndCutsBetweenTexts)
{
    // "Zażółć" in each charset.
    const std::string Utf8 = "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87", Latin2 = "Za\xBF\xF3\xB3\xE6",
                      Cp1250 = "Za\xBF\xF3\xB3\xE6", Latin2Only = "\xB1\xB6", Cp1250Only = "\xB9\x9C";
    const std::string Latin2Meta =
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-2\">";
    // The body, its Content-Type, the start and end texts, the charset and the fragment.
    const std::array<std::string, 6> Cases[] = {
        {"<p>" + Latin2 + Latin2Only + "</p>", "text/html; charset=iso-8859-2", "<p>", "</p>", "iso-8859-2",
         "<p>Zażółćąś</p>"},
        {Latin2Meta + "<p>" + Latin2Only + "</p>", "text/html", "<p>", "</p>", "iso-8859-2", "<p>ąś</p>"},
        {"<meta charset='windows-1250'><p>" + Cp1250 + Cp1250Only + "</p>", "", "<p>", "</p>", "windows-1250",
         "<p>Zażółćąś</p>"},
        // The header wins over the meta tag; with neither, valid UTF-8 is UTF-8 and the rest Windows-1250.
        {Latin2Meta + "<p>" + Cp1250Only + "</p>", "text/html; charset=windows-1250", "<p>", "</p>",
         "windows-1250", "<p>ąś</p>"},
        {"<p>" + Utf8 + "</p>", "", "<p>", "</p>", "utf-8", "<p>Zażółć</p>"},
        {"<p>" + Cp1250Only + "</p>", "", "<p>", "</p>", "windows-1250", "<p>ąś</p>"},
        // A byte that is no character of the charset becomes a replacement character.
        {"<p>a\xFF"
         "b\r\n</p>",
         "text/html; charset=utf-8", "<p>", "</p>", "utf-8", "<p>a\uFFFDb\n</p>"},
        {"<p>" + Cp1250Only + "\x98</p>", "text/html; charset=windows-1250", "<p>", "</p>", "windows-1250",
         "<p>ąś\uFFFD</p>"},
        // Texts with Polish letters; empty texts cut from the beginning or to the end.
        {Latin2Meta + "a Komentarz " + Latin2 + ": b", "", "Komentarz Zażółć", ":", "iso-8859-2",
         "Komentarz Zażółć:"},
        {"<b>x</b> y <i>z</i>", "", "", "</b>", "utf-8", "<b>x</b>"},
        {"<b>x</b> y <i>z</i>", "", "y", "", "utf-8", "y <i>z</i>"},
        {"abc", "", "", "", "utf-8", "abc"},
        // The end text is looked for after the start text, the same text included.
        {"--- jeden --- dwa ---", "", "---", "---", "utf-8", "--- jeden ---"},
        // CR LF of the page and of the texts alike.
        {"a\r\nb\r\nc\r\nd", "", "b\r\n", "\nd", "utf-8", "b\nc\nd"},
    };
    for (const auto& [Body, ContentType, Start, End, Charset, Fragment] : Cases) {
        const TTextPage Page = BuildTextPage(Body, ContentType, "http://x/", Start, End);
        EXPECT_EQ(Page.Failure, "") << Body;
        EXPECT_EQ(Page.Charset, Charset) << Body;
        EXPECT_EQ(Page.Fragment, Fragment) << Body;
    }

    // The whole page file, in line form, with the address as its base.
    const TTextPage Page = BuildTextPage("x <p>" + Latin2 + "\n</p> y", "text/html; charset=iso-8859-2",
                                         "https://a.pl/?q=1&r=\"2\"", "<p>", "</p>");
    EXPECT_EQ(Page.FileBytes, "<HTML><head><base href=\"https://a.pl/?q=1&amp;r=&quot;2&quot;\"><meta "
                              "http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"></head>\r\n"
                              "<p>Zażółć\r\n</p>\r\n</HTML>\r\n");
    EXPECT_EQ(Page.Texts.Start, 3);
    EXPECT_EQ(Page.Texts.End, 17) << "after the six letters, ten bytes in UTF-8";
}

TEST(TextPage, ATextNotFoundFailsWithItsReason)
{
    const std::array<std::string, 3> Cases[] = {
        {"<div>", "</p>", "nie znaleziono tekstu początku „<div>”"},
        {"<p>", "</div>", "nie znaleziono tekstu końca „</div>” za tekstem początku"},
        {"", "</div>", "nie znaleziono tekstu końca „</div>”"},
        {"</p> y", "<p>", "nie znaleziono tekstu końca „<p>” za tekstem początku"},
        {"żółw", "", "nie znaleziono tekstu początku „żółw”"},
    };
    for (const auto& [Start, End, Reason] : Cases) {
        const TTextPage Page = BuildTextPage("x <p>zolw</p> y", "", "http://x/", Start, End);
        EXPECT_EQ(Page.Failure, Reason);
        EXPECT_EQ(Page.FileBytes, "") << "no page file replaces the last good one";
    }
}
