// Charset detection and conversion through the C library's iconv.
#include "PageCharset.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <iconv.h>

namespace {
constexpr std::string_view DefaultCharset = "windows-1250";
// A meta tag stands near the top of a page; browsers look no further than this either.
constexpr std::size_t MetaWindow = 8192;
constexpr char16_t Replacement = 0xFFFD;

std::string Lower(std::string_view Text)
{
    std::string Out(Text);
    std::transform(Out.begin(), Out.end(), Out.begin(),
                   [](char C) { return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C; });
    return Out;
}

// The value after "charset=" at or after From in Text (lower case), quotes and blanks skipped.
std::string CharsetAfter(std::string_view Text, std::size_t From)
{
    std::size_t At = Text.find("charset", From);
    if (At == std::string_view::npos)
        return {};
    At += 7;
    while (At < Text.size() && (Text[At] == ' ' || Text[At] == '=' || Text[At] == '"' || Text[At] == '\''))
        ++At;
    std::size_t End = At;
    while (End < Text.size() && (std::isalnum(static_cast<unsigned char>(Text[End])) || Text[End] == '-' ||
                                 Text[End] == '_' || Text[End] == '.' || Text[End] == ':'))
        ++End;
    return std::string(Text.substr(At, End - At));
}

class TConverter
{
public:
    TConverter(const char* To, const std::string& From) : Handle(iconv_open(To, From.c_str())) {}
    ~TConverter()
    {
        if (Valid())
            iconv_close(Handle);
    }
    TConverter(const TConverter&) = delete;
    TConverter& operator=(const TConverter&) = delete;
    bool Valid() const { return Handle != reinterpret_cast<iconv_t>(-1); }
    iconv_t Handle;
};
} // namespace

std::string PageCharset(std::string_view ContentType, std::string_view Page)
{
    std::string Named = NamedPageCharset(ContentType, Page);
    return Named.empty() ? std::string(DefaultCharset) : Named;
}

std::string NamedPageCharset(std::string_view ContentType, std::string_view Page)
{
    if (std::string Named = CharsetAfter(Lower(ContentType), 0); !Named.empty())
        return Named;
    const std::string Head = Lower(Page.substr(0, MetaWindow));
    for (std::size_t Meta = Head.find("<meta"); Meta != std::string::npos;
         Meta = Head.find("<meta", Meta + 5)) {
        const std::size_t Close = Head.find('>', Meta);
        const std::string Named = CharsetAfter(std::string_view(Head).substr(0, Close), Meta);
        if (!Named.empty())
            return Named;
    }
    return {};
}

TDecodedPage DecodePage(std::string_view Bytes, const std::string& Charset)
{
    TDecodedPage Page;
    TConverter Named("UTF-16LE", Charset);
    TConverter Fallback("UTF-16LE", std::string(DefaultCharset));
    const iconv_t Converter = Named.Valid() ? Named.Handle : Fallback.Handle;
    Page.Text.reserve(Bytes.size());
    Page.Offsets.reserve(Bytes.size() + 1);
    // One character at a time, so that every unit knows its byte: the input grows by a byte while
    // iconv finds the sequence incomplete.
    constexpr std::size_t LongestSequence = 8;
    std::size_t Pos = 0;
    while (Pos < Bytes.size()) {
        if (Bytes[Pos] == '\r' && Pos + 1 < Bytes.size() && Bytes[Pos + 1] == '\n') {
            Page.Text += u'\n';
            Page.Offsets.push_back(Pos);
            Pos += 2;
            continue;
        }
        std::size_t Length = 1;
        for (;;) {
            char* In = const_cast<char*>(Bytes.data() + Pos);
            std::size_t InLeft = Length;
            char Out[16];
            char* OutPtr = Out;
            std::size_t OutLeft = sizeof Out;
            const std::size_t Result = iconv(Converter, &In, &InLeft, &OutPtr, &OutLeft);
            if (Result != static_cast<std::size_t>(-1) || InLeft == 0) {
                for (char* Unit = Out; Unit + 1 < OutPtr; Unit += 2) {
                    Page.Text += static_cast<char16_t>(static_cast<unsigned char>(Unit[0]) |
                                                       static_cast<unsigned char>(Unit[1]) << 8);
                    Page.Offsets.push_back(Pos);
                }
                Pos += Length;
                break;
            }
            if (errno == EINVAL && Length < LongestSequence && Pos + Length < Bytes.size()) {
                ++Length;
                continue;
            }
            iconv(Converter, nullptr, nullptr, nullptr, nullptr);
            Page.Text += Replacement;
            Page.Offsets.push_back(Pos);
            ++Pos;
            break;
        }
    }
    Page.Offsets.push_back(Bytes.size());
    return Page;
}

std::optional<std::string> Recode(std::string_view Text, const std::string& From, const std::string& To,
                                  std::string* Missing)
{
    const TConverter Converter(To.c_str(), From);
    if (!Converter.Valid())
        return std::nullopt;
    std::string Out;
    char* In = const_cast<char*>(Text.data());
    std::size_t InLeft = Text.size();
    while (InLeft > 0) {
        char Buffer[4096];
        char* OutPtr = Buffer;
        std::size_t OutLeft = sizeof Buffer;
        const std::size_t Result = iconv(Converter.Handle, &In, &InLeft, &OutPtr, &OutLeft);
        Out.append(Buffer, OutPtr);
        if (Result != static_cast<std::size_t>(-1) || errno == E2BIG)
            continue;
        if (Missing) {
            // The character iconv stopped at: its lead byte and, in UTF-8, the continuation bytes.
            std::size_t Length = 1;
            while (Length < InLeft && (static_cast<unsigned char>(In[Length]) & 0xC0) == 0x80)
                ++Length;
            *Missing = std::string(In, Length);
        }
        return std::nullopt;
    }
    return Out;
}
