// The page path of sources of one's own: decode, cut between texts, wrap in a UTF-8 page.
#include "TextPage.h"

#include "IniValue.h"
#include "PageCharset.h"

#include <QString>

namespace {
// LF for every CR LF, as in a decoded page.
std::string LineEndsAsDecoded(std::string_view Text)
{
    std::string Out;
    Out.reserve(Text.size());
    for (std::size_t I = 0; I < Text.size(); ++I)
        if (Text[I] != '\r' || I + 1 == Text.size() || Text[I + 1] != '\n')
            Out += Text[I];
    return Out;
}

std::string Quoted(std::string_view Text)
{
    return "„" + std::string(Text) + "”";
}
} // namespace

std::string TextPageCharset(std::string_view ContentType, std::string_view Page)
{
    const std::string Named = NamedPageCharset(ContentType, Page);
    return !Named.empty() ? Named : IsUtf8(Page) ? "utf-8" : "windows-1250";
}

TTextPage BuildTextPage(std::string_view Downloaded, std::string_view ContentType, std::string_view Address,
                        std::string_view StartText, std::string_view EndText)
{
    TTextPage Page;
    Page.Charset = TextPageCharset(ContentType, Downloaded);
    // The whole page in one conversion when every byte is a character of the charset; else one
    // character at a time, with a replacement character for each byte that is none.
    std::string Text;
    if (const std::optional<std::string> Whole = Recode(Downloaded, Page.Charset, "UTF-8")) {
        Text = LineEndsAsDecoded(*Whole);
    } else {
        const TDecodedPage Decoded = DecodePage(Downloaded, Page.Charset);
        Text = QString::fromUtf16(Decoded.Text.data(), static_cast<qsizetype>(Decoded.Text.size()))
                   .toUtf8()
                   .toStdString();
    }
    const std::string Start = LineEndsAsDecoded(StartText), End = LineEndsAsDecoded(EndText);

    std::size_t From = 0;
    if (!Start.empty()) {
        From = Text.find(Start);
        if (From == std::string::npos) {
            Page.Failure = "nie znaleziono tekstu początku " + Quoted(Start);
            return Page;
        }
        Page.Texts.Start = static_cast<std::ptrdiff_t>(From) + 1;
    }
    std::size_t To = Text.size();
    if (!End.empty()) {
        const std::size_t At = Text.find(End, From + Start.size());
        if (At == std::string::npos) {
            Page.Failure = "nie znaleziono tekstu końca " + Quoted(End) +
                           (Start.empty() ? std::string() : " za tekstem początku");
            return Page;
        }
        Page.Texts.End = static_cast<std::ptrdiff_t>(At) + 1;
        To = At + End.size();
    }
    Page.Fragment = Text.substr(From, To - From);
    // Addresses of one's own sources are UTF-8, checked when read: the escaping keeps their bytes.
    const std::string Base = QString::fromUtf8(Address).toHtmlEscaped().toStdString();
    Page.FileBytes = NormalizeLines("<HTML><head><base href=\"" + Base +
                                    "\"><meta http-equiv=\"Content-Type\" content=\"text/html; "
                                    "charset=utf-8\"></head>\n" +
                                    Page.Fragment + "\n</HTML>");
    return Page;
}
