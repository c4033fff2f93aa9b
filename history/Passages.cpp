// A lenient reading of a page's elements, closing them where a browser would, to find its passages.
#include "Passages.h"

#include "CharacterReferences.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <algorithm>
#include <cctype>
#include <vector>

namespace {
enum class TKind : std::uint8_t
{
    Other,
    Structural, // p, li, tr, h1 to h6
    Loose       // div, span
};

struct TOpen
{
    QString Name;
    TKind Kind;
    bool InStructural; // below a structural element
    int Children = 0;  // child elements, void ones included
    bool HoldsStructural = false;
    QString Text;
};

bool IsVoid(const QString& Name)
{
    static const QStringList Names{"area",  "base", "br",   "col",   "embed",  "hr",    "img",
                                   "input", "link", "meta", "param", "source", "track", "wbr"};
    return Names.contains(Name);
}

TKind KindOf(const QString& Name)
{
    if (Name == QLatin1String("p") || Name == QLatin1String("li") || Name == QLatin1String("tr") ||
        (Name.size() == 2 && Name[0] == QLatin1Char('h') && Name[1] >= QLatin1Char('1') &&
         Name[1] <= QLatin1Char('6')))
        return TKind::Structural;
    if (Name == QLatin1String("div") || Name == QLatin1String("span"))
        return TKind::Loose;
    return TKind::Other;
}

// Elements whose start ends an open paragraph.
bool ClosesParagraph(const QString& Name)
{
    static const QStringList Names{"address", "article", "blockquote", "div",     "dl",    "fieldset", "form",
                                   "h1",      "h2",      "h3",         "h4",      "h5",    "h6",       "hr",
                                   "ol",      "p",       "pre",        "section", "table", "ul"};
    return Names.contains(Name);
}

// The page as text, read in the character set its meta element names.
QString DecodePage(std::string_view Page)
{
    const QByteArrayView Head(Page.data(), static_cast<qsizetype>(std::min<std::size_t>(Page.size(), 2048)));
    QByteArray Charset = "windows-1250";
    const qsizetype At = Head.toByteArray().toLower().indexOf("charset=");
    if (At >= 0) {
        qsizetype I = At + 8;
        while (I < Head.size() && (Head[I] == '"' || Head[I] == '\''))
            ++I;
        qsizetype End = I;
        while (End < Head.size() &&
               (std::isalnum(static_cast<unsigned char>(Head[End])) || Head[End] == '-' || Head[End] == '_'))
            ++End;
        if (End > I)
            Charset = Head.sliced(I, End - I).toByteArray();
    }
    QStringDecoder Decoder(Charset.constData());
    if (!Decoder.isValid())
        Decoder = QStringDecoder("windows-1250");
    return Decoder(QByteArrayView(Page.data(), static_cast<qsizetype>(Page.size())));
}

class TPassageReader
{
public:
    explicit TPassageReader(QStringList& Out) : FOut(Out) {}

    void Open(const QString& Name)
    {
        if (ClosesParagraph(Name))
            CloseOpen(QStringLiteral("p"), {});
        if (Name == QLatin1String("li"))
            CloseOpen(Name, {"ul", "ol"});
        else if (Name == QLatin1String("tr"))
            CloseOpen(Name, {"table", "tbody", "thead", "tfoot"});
        else if (Name == QLatin1String("td") || Name == QLatin1String("th")) {
            CloseOpen(QStringLiteral("td"), {"tr", "table"});
            CloseOpen(QStringLiteral("th"), {"tr", "table"});
        }
        const TKind Kind = KindOf(Name);
        bool InStructural = false;
        if (!FStack.empty()) {
            TOpen& Parent = FStack.back();
            ++Parent.Children;
            InStructural = Parent.InStructural || Parent.Kind == TKind::Structural;
        }
        if (Kind == TKind::Structural)
            for (TOpen& Ancestor : FStack)
                Ancestor.HoldsStructural = true;
        if (!IsVoid(Name))
            FStack.push_back({Name, Kind, InStructural});
    }

    void Close(const QString& Name)
    {
        for (auto It = FStack.rbegin(); It != FStack.rend(); ++It)
            if (It->Name == Name) {
                PopTo(static_cast<std::size_t>(FStack.rend() - It) - 1);
                return;
            }
    }

    void Text(const QString& Text)
    {
        for (TOpen& Element : FStack)
            if (Candidate(Element))
                Element.Text += Text;
    }

    void CloseAll() { PopTo(0); }

private:
    static bool Candidate(const TOpen& Element)
    {
        if (Element.Kind == TKind::Structural)
            return !Element.HoldsStructural;
        return Element.Kind == TKind::Loose && Element.Children == 0 && !Element.InStructural;
    }

    // Closes the innermost open Name unless one of Scope is open inside it.
    void CloseOpen(const QString& Name, std::initializer_list<const char*> Scope)
    {
        for (auto It = FStack.rbegin(); It != FStack.rend(); ++It) {
            if (It->Name == Name) {
                PopTo(static_cast<std::size_t>(FStack.rend() - It) - 1);
                return;
            }
            for (const char* Limit : Scope)
                if (It->Name == QLatin1String(Limit))
                    return;
        }
    }

    void PopTo(std::size_t Depth)
    {
        while (FStack.size() > Depth) {
            const TOpen& Element = FStack.back();
            if (Candidate(Element)) {
                QString Passage = CollapseSpaces(Element.Text);
                if (!Passage.isEmpty())
                    FOut.push_back(std::move(Passage));
            }
            FStack.pop_back();
        }
    }

    QStringList& FOut;
    std::vector<TOpen> FStack;
};

bool IsNameChar(QChar C)
{
    return C.isLetterOrNumber() || C == QLatin1Char('-') || C == QLatin1Char('_') || C == QLatin1Char(':');
}

// The end of the tag that starts at From: the '>' outside any quoted attribute value.
qsizetype TagEnd(const QString& Text, qsizetype From)
{
    QChar Quote;
    for (qsizetype I = From; I < Text.size(); ++I) {
        const QChar C = Text[I];
        if (!Quote.isNull()) {
            if (C == Quote)
                Quote = QChar();
        } else if (C == QLatin1Char('"') || C == QLatin1Char('\'')) {
            Quote = C;
        } else if (C == QLatin1Char('>')) {
            return I;
        }
    }
    return Text.size();
}
} // namespace

QString CollapseSpaces(const QString& Text)
{
    // The white space of JavaScript's \s, which the highlight script collapses: Unicode's spaces
    // and line ends and the zero-width no-break space, but not U+0085.
    const auto IsSpace = [](QChar C) { return (C.isSpace() && C != QChar(0x85)) || C == QChar(0xFEFF); };
    QString Out;
    Out.reserve(Text.size());
    bool Gap = false;
    for (const QChar C : Text) {
        if (IsSpace(C)) {
            Gap = !Out.isEmpty();
            continue;
        }
        if (Gap)
            Out += QLatin1Char(' ');
        Gap = false;
        Out += C;
    }
    return Out;
}

QStringList PagePassages(std::string_view Page)
{
    const QString Text = DecodePage(Page);
    QStringList Out;
    TPassageReader Reader(Out);
    qsizetype I = 0;
    while (I < Text.size()) {
        const qsizetype Lt = Text.indexOf(QLatin1Char('<'), I);
        const qsizetype Stop = Lt < 0 ? Text.size() : Lt;
        if (Stop > I)
            Reader.Text(DecodeCharacterReferences(QStringView(Text).sliced(I, Stop - I)));
        if (Lt < 0)
            break;
        if (Text.mid(Lt, 4) == QLatin1String("<!--")) {
            const qsizetype End = Text.indexOf(QLatin1String("-->"), Lt + 4);
            I = End < 0 ? Text.size() : End + 3;
            continue;
        }
        const bool Closing = Lt + 1 < Text.size() && Text[Lt + 1] == QLatin1Char('/');
        qsizetype NameEnd = Lt + 1 + (Closing ? 1 : 0);
        const qsizetype NameStart = NameEnd;
        if (NameStart >= Text.size() || !Text[NameStart].isLetter()) {
            if (Text.mid(Lt, 2) == QLatin1String("<!") || Text.mid(Lt, 2) == QLatin1String("<?")) {
                I = TagEnd(Text, Lt) + 1;
            } else {
                Reader.Text(QStringLiteral("<"));
                I = Lt + 1;
            }
            continue;
        }
        while (NameEnd < Text.size() && IsNameChar(Text[NameEnd]))
            ++NameEnd;
        const QString Name = Text.mid(NameStart, NameEnd - NameStart).toLower();
        I = TagEnd(Text, NameEnd) + 1;
        if (Closing) {
            Reader.Close(Name);
            continue;
        }
        Reader.Open(Name);
        // Scripts and style sheets hold no visible text: their content runs to their end tag.
        if (Name == QLatin1String("script") || Name == QLatin1String("style")) {
            const qsizetype End = Text.indexOf(QLatin1String("</") + Name, I, Qt::CaseInsensitive);
            I = End < 0 ? Text.size() : TagEnd(Text, End) + 1;
            Reader.Close(Name);
        }
    }
    Reader.CloseAll();
    return Out;
}
