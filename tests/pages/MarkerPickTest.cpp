// Markers picked from a selection in stored pages.
#include "MarkerPick.h"
#include "PageCharset.h"
#include "TextRoutines.h"

#include <QString>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {
std::string Stored(const char* Name)
{
    std::ifstream In(std::filesystem::path(TKW_PAGES_DATA_DIR) / Name, std::ios::binary);
    EXPECT_TRUE(In) << Name;
    return NormalizeLines(std::string(std::istreambuf_iterator<char>(In), {}));
}
} // namespace

TEST(MarkerPick, CharsetComesFromTheHeaderThenAMetaTagElseWindows1250)
{
    const std::string Utf8Page = Stored("pick-utf-8.htm");
    const std::tuple<const char*, std::string, const char*> Cases[] = {
        {"text/html; charset=\"ISO-8859-2\"", Utf8Page, "iso-8859-2"},
        {"text/html", Utf8Page, "utf-8"},
        {"", Stored("pick-windows-1250.htm"), "windows-1250"},
        {"", "<p>charset=utf-8 in the text is no meta tag</p>", "windows-1250"},
    };
    for (const auto& [Header, Page, Expected] : Cases)
        EXPECT_EQ(PageCharset(Header, Page), Expected) << Header << " / " << Page.substr(0, 50);
}

TEST(MarkerPick, SelectionBecomesThePagesOwnBytesAndIsLengthenedWhenFoundEarlier)
{
    const struct
    {
        const char* Page;
        const char* Selected; // text as the view shows it (UTF-8 here)
        int Occurrence;       // which occurrence of it in the view is selected
        std::ptrdiff_t From;
        bool KeepLast;
        std::string Marker;
        bool First; // found at the selection
        std::string Lengthened;
    } Cases[] = {
        {"pick-windows-1250.htm", "Łodzi", 0, 1, false, "\xA3odzi", true, ""},
        {"pick-windows-1250.htm", "Komentarz", 1, 1, false, "Komentarz", false, "Komentarz: WIG s"},
        // An end marker is looked for from the start marker on: there the second one is the first.
        {"pick-windows-1250.htm", "Komentarz", 1, 130, false, "Komentarz", true, ""},
        // Identical lines: no text on the line makes the second one come first.
        {"pick-windows-1250.htm", "<p>x", 1, 1, false, "<p>x", false, ""},
        // Across lines: a start marker keeps the first line, an end marker the last.
        {"pick-windows-1250.htm", "rośnie</p>\n<p>Komentarz", 0, 1, false, "ro\x9Cnie</p>", true, ""},
        {"pick-windows-1250.htm", "rośnie</p>\n<p>Komentarz", 0, 1, true, "<p>Komentarz", false,
         "<p>Komentarz: WIG s"},
        {"pick-utf-8.htm", "Łódź", 1, 1, false,
         "\xC5\x81\xC3\xB3"
         "d\xC5\xBA",
         false,
         "\xC5\x81\xC3\xB3"
         "d\xC5\xBA "},
    };
    for (const auto& Case : Cases) {
        const std::string Page = Stored(Case.Page);
        const TDecodedPage View = DecodePage(Page, PageCharset("", Page));
        const std::u16string Text = QString::fromUtf8(Case.Selected).toStdU16String();
        std::size_t At = View.Text.find(Text);
        for (int Skip = 0; Skip < Case.Occurrence; ++Skip)
            At = View.Text.find(Text, At + 1);
        ASSERT_NE(At, std::u16string::npos) << Case.Selected;
        const TMarkerPick Pick =
            PickMarker(Page, View.ByteAt(At), View.ByteAt(At + Text.size()), Case.From, Case.KeepLast);
        const std::string What =
            std::string(Case.Page) + ": " + Case.Selected + " #" + std::to_string(Case.Occurrence);
        EXPECT_EQ(Pick.Marker, Case.Marker) << What;
        EXPECT_EQ(Pick.CutToLine, std::string(Case.Selected).find('\n') != std::string::npos) << What;
        EXPECT_EQ(Page.substr(static_cast<std::size_t>(Pick.Selected - 1), Pick.Marker.size()), Pick.Marker)
            << What;
        EXPECT_EQ(Pick.Found == Pick.Selected, Case.First) << What << ": found at " << Pick.Found;
        EXPECT_EQ(Pick.Lengthened, Case.Lengthened) << What;
        if (!Pick.Lengthened.empty()) {
            EXPECT_EQ(CutBetweenMarkers(Page, Pick.Lengthened, "").At.Start, Pick.Selected) << What;
        }
    }
}

TEST(MarkerPick, TypedTextGoesToWindows1250OrNamesTheCharacterItLacks)
{
    std::string Missing;
    EXPECT_EQ(Recode("Łódź „x”", "UTF-8", "WINDOWS-1250"), "\xA3\xF3"
                                                           "d\x9F \x84x\x94");
    EXPECT_EQ(Recode("a€b☃c", "UTF-8", "WINDOWS-1250", &Missing), std::nullopt);
    EXPECT_EQ(Missing, "☃");
    EXPECT_EQ(Recode("\xA3\xF3"
                     "d\xBC",
                     "ISO-8859-2", "WINDOWS-1250"),
              "\xA3\xF3"
              "d\x9F");
}
