// Build steps of commentary sources 0 to 3: each source's header, trailer and rewrite list, and the
// order in which they are applied to the cut fragment.
#include "FragmentPages.h"

#include "SiteConstants.h"
#include "TextRoutines.h"

#include <array>
#include <initializer_list>
#include <stdexcept>
#include <vector>

namespace {
struct TRewrite
{
    std::string Pattern;
    std::string Replacement;
};

struct TFragmentSource
{
    std::string Header;
    std::string Trailer;
    std::vector<TRewrite> Rewrites;
};

std::string Join(std::initializer_list<std::string_view> Pieces)
{
    std::string Text;
    for (std::string_view Piece : Pieces)
        Text.append(Piece);
    return Text;
}

const std::array<TFragmentSource, 4>& FragmentSources()
{
    static const std::array<TFragmentSource, 4> Sources = {
        TFragmentSource{Join({"<HTML><head><base href=\"", ParkietSite,
                              "/\"><meta http-equiv=\"Content-Type\" content=\"text/html; "
                              "charset=windows-1250\"></head>"}),
                        "</HTML>",
                        {
                            {"href='/futures/", Join({"href='", ParkietSite, "/futures/"})},
                            {"href=\"/futures/", Join({"href=\"", ParkietSite, "/futures/"})},
                            {"href='futures/", Join({"href='", ParkietSite, "/futures/"})},
                            {"href=\"futures/", Join({"href=\"", ParkietSite, "/futures/"})},
                            {"table width=\"270\"", "table width=\"470\""},
                        }},
        TFragmentSource{Join({"<HTML> <meta content=\"text/html; charset=iso-8859-2\" "
                              "http-equiv=Content-Type><head><BASE HREF=\"",
                              EuromoneySite, "\"></head>"}),
                        " </table> </HTML>",
                        {
                            {"/wiadomosci/article.html?", Join({BankierSite, "/wiadomosci/print.html?"})},
                        }},
        TFragmentSource{Join({"<HTML> <meta content=\"text/html; charset=iso-8859-2\" "
                              "http-equiv=Content-Type><head><BASE HREF=\"",
                              BankierSite, "/inwestowanie/gielda/akcje/\"></head>"}),
                        " </table> </HTML>",
                        {}},
        TFragmentSource{Join({"<HTML><BASEFONT face=\"Arial,Helvetica\"><head><BASE href=\"", DoAkcjiSite,
                              "/\"></head>"}),
                        "",
                        {
                            {"/welcome.jsp?", "news/newsPlainContent.jsp?"},
                        }},
    };
    return Sources;
}
} // namespace

std::string BuildFragmentPage(int SourceIndex, std::string Fragment)
{
    if (SourceIndex < 0 || SourceIndex > 3)
        throw std::out_of_range("no fragment page for source " + std::to_string(SourceIndex));
    const TFragmentSource& Source = FragmentSources()[static_cast<std::size_t>(SourceIndex)];

    std::string W = std::move(Fragment);
    if (SourceIndex == 3) {
        // DoAkcji's rewrite sees the fragment alone, before the header is put in front of it. The
        // page stays in line form: an empty fragment leaves the header on a line of its own.
        for (const TRewrite& Rewrite : Source.Rewrites)
            W = ReplaceAll(Rewrite.Pattern, Rewrite.Replacement, W);
        return NormalizeLines(Source.Header + W);
    }

    // The fragment ends with CR LF unless it is empty, so the trailer gets a line of its own and
    // the normalisation adds its CR LF; the rewrites then run over header and trailer as well.
    std::string Whole;
    Whole.reserve(Source.Header.size() + W.size() + Source.Trailer.size());
    Whole.append(Source.Header).append(W).append(Source.Trailer);
    W = NormalizeLines(Whole);
    for (const TRewrite& Rewrite : Source.Rewrites)
        W = ReplaceAll(Rewrite.Pattern, Rewrite.Replacement, W);
    return W;
}
