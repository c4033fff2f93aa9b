// The page files of sources 0 to 3 against golden files in tests/data/pages.
#include "SourcePage.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

TEST(Pages, PageFilesMatchGoldenFiles)
{
    const auto Golden = [](const std::string& Name) {
        std::ifstream In(std::filesystem::path(TKW_PAGES_DATA_DIR) / Name, std::ios::binary);
        EXPECT_TRUE(In) << Name;
        return std::string(std::istreambuf_iterator<char>(In), {});
    };
    // Markers that each page holds twice, then an absent start marker and an absent end marker.
    const std::array<const char*, 4> Markers[] = {
        {"<!-- komentarz -->", "<!-- /komentarz -->", "<!-- brak -->", "<!-- koniec -->"},
        {"<td class=\"komentarz\">", "</td>", "<td class=\"brak\">", "</div>"},
        {"<!-- START -->", "<!-- END -->", "<!-- BEGIN -->", "<!-- KONIEC ARTYKUL -->"},
        {"<div id=\"news\">", "</div>", "<div id=\"brak\">", "</section>"},
    };
    for (int Source = 0; Source < 4; ++Source) {
        const auto& [Start, End, NoStart, NoEnd] = Markers[Source];
        const std::string Name = "source" + std::to_string(Source), Page = Golden(Name + "-page.htm");
        EXPECT_EQ(BuildSourcePage(Source, Page, Start, End).FileBytes, Golden(Name + "-both-markers.htm"));
        EXPECT_EQ(BuildSourcePage(Source, Page, NoStart, End).FileBytes,
                  Golden(Name + "-no-start-marker.htm"));
        EXPECT_EQ(BuildSourcePage(Source, Page, Start, NoEnd).FileBytes, Golden(Name + "-no-end-marker.htm"));
    }
    EXPECT_TRUE(
        BuildSourcePage(3, Golden("source3-page.htm"), "<div", "").FileBytes.ends_with("/\"></head>\r\n"))
        << "an empty fragment leaves DoAkcji's page in line form";
}
