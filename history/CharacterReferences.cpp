// Character references decoded with the full table of named references, made at build time.
#include "CharacterReferences.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <string>
#include <string_view>

namespace {
struct TEntity
{
    std::string_view Name; // with its semicolon, or one of the older names without it
    const char16_t* Value;
};

#include "HtmlEntities.inc"

constexpr qsizetype LongestName = 32;

// Numbers 128 to 159 as browsers read them: the Windows-1252 characters; the five that code has
// none for stay as they are.
constexpr char16_t Windows1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsAsciiAlnum(QChar C)
{
    return C.unicode() < 128 && std::isalnum(static_cast<unsigned char>(C.unicode()));
}

// The numeric reference at Text[At] ('&#'); appends its character and returns its length, or 0
// when no digit follows.
qsizetype DecodeNumber(QStringView Text, qsizetype At, QString& Out)
{
    qsizetype I = At + 2;
    const bool Hex = I < Text.size() && (Text[I] == u'x' || Text[I] == u'X');
    if (Hex)
        ++I;
    const qsizetype Digits = I;
    char32_t Code = 0;
    for (; I < Text.size(); ++I) {
        const char16_t C = Text[I].unicode();
        int Value = -1;
        if (C >= u'0' && C <= u'9')
            Value = C - u'0';
        else if (Hex && C >= u'a' && C <= u'f')
            Value = C - u'a' + 10;
        else if (Hex && C >= u'A' && C <= u'F')
            Value = C - u'A' + 10;
        if (Value < 0)
            break;
        Code = std::min<char32_t>(Code * (Hex ? 16 : 10) + Value, 0x110000);
    }
    if (I == Digits)
        return 0;
    if (I < Text.size() && Text[I] == u';')
        ++I;
    if (Code >= 0x80 && Code <= 0x9F)
        Out += QChar(Windows1252[Code - 0x80]);
    else if (Code == 0 || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF))
        Out += QChar(QChar::ReplacementCharacter);
    else
        Out += QString::fromUcs4(&Code, 1);
    return I - At;
}

// The named reference at Text[At] ('&'): the longest name of the table that follows; appends its
// characters and returns its length with the '&', or 0 when none matches.
qsizetype DecodeName(QStringView Text, qsizetype At, QString& Out)
{
    std::string Name;
    for (qsizetype I = At + 1; I < Text.size() && static_cast<qsizetype>(Name.size()) < LongestName; ++I) {
        const QChar C = Text[I];
        if (!IsAsciiAlnum(C) && C != u';')
            break;
        Name += static_cast<char>(C.unicode());
        if (C == u';')
            break;
    }
    for (std::size_t Length = Name.size(); Length > 0; --Length) {
        const std::string_view Wanted(Name.data(), Length);
        const auto Found =
            std::lower_bound(std::begin(Entities), std::end(Entities), Wanted,
                             [](const TEntity& Entity, std::string_view Key) { return Entity.Name < Key; });
        if (Found != std::end(Entities) && Found->Name == Wanted) {
            Out += QString::fromUtf16(Found->Value);
            return static_cast<qsizetype>(Length) + 1;
        }
    }
    return 0;
}
} // namespace

QString DecodeCharacterReferences(QStringView Text)
{
    QString Out;
    Out.reserve(Text.size());
    qsizetype I = 0;
    while (I < Text.size()) {
        const qsizetype Amp = Text.indexOf(u'&', I);
        if (Amp < 0) {
            Out += Text.sliced(I);
            break;
        }
        Out += Text.sliced(I, Amp - I);
        const bool Number = Amp + 1 < Text.size() && Text[Amp + 1] == u'#';
        const qsizetype Length = Number ? DecodeNumber(Text, Amp, Out) : DecodeName(Text, Amp, Out);
        if (Length == 0)
            Out += u'&';
        I = Amp + std::max<qsizetype>(Length, 1);
    }
    return Out;
}
