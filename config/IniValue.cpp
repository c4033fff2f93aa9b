// Quoting and unquoting of the sources file's values, and UTF-8 checks.
#include "IniValue.h"

#include <algorithm>

namespace {
bool IsBlank(char C)
{
    return C == ' ' || C == '\t';
}

bool IsControl(char C)
{
    return static_cast<unsigned char>(C) < 0x20 || C == 0x7F;
}

int HexDigit(char C)
{
    if (C >= '0' && C <= '9')
        return C - '0';
    if (C >= 'a' && C <= 'f')
        return C - 'a' + 10;
    if (C >= 'A' && C <= 'F')
        return C - 'A' + 10;
    return -1;
}
} // namespace

std::string EncodeValue(std::string_view Value)
{
    // Bytes that are no UTF-8 are escaped, so that the file stays UTF-8 whatever it holds.
    const bool Utf8 = IsUtf8(Value);
    const bool Plain =
        Value.empty() || (Utf8 && !IsBlank(Value.front()) && !IsBlank(Value.back()) && Value.front() != '"' &&
                          std::none_of(Value.begin(), Value.end(), IsControl));
    if (Plain)
        return std::string(Value);
    std::string Quoted = "\"";
    for (const char C : Value) {
        switch (C) {
        case '"':
            Quoted += "\\\"";
            break;
        case '\\':
            Quoted += "\\\\";
            break;
        case '\n':
            Quoted += "\\n";
            break;
        case '\r':
            Quoted += "\\r";
            break;
        case '\t':
            Quoted += "\\t";
            break;
        default:
            if (IsControl(C) || (!Utf8 && static_cast<unsigned char>(C) >= 0x80)) {
                constexpr char Digits[] = "0123456789abcdef";
                const auto Byte = static_cast<unsigned char>(C);
                Quoted += {'\\', 'x', Digits[Byte >> 4], Digits[Byte & 15]};
            } else
                Quoted += C;
        }
    }
    return Quoted + "\"";
}

std::optional<std::string> DecodeValue(std::string_view Written, std::string& Reason)
{
    if (!Written.starts_with('"'))
        return std::string(Written);
    if (Written.size() < 2 || !Written.ends_with('"')) {
        Reason = "wartość w cudzysłowie nie kończy się cudzysłowem";
        return std::nullopt;
    }
    const std::string_view Inside = Written.substr(1, Written.size() - 2);
    std::string Value;
    for (std::size_t I = 0; I < Inside.size(); ++I) {
        if (Inside[I] == '"') {
            Reason = "cudzysłów wewnątrz wartości w cudzysłowie trzeba zapisać jako \\\"";
            return std::nullopt;
        }
        if (Inside[I] != '\\') {
            Value += Inside[I];
            continue;
        }
        const char Escape = ++I < Inside.size() ? Inside[I] : '\0';
        switch (Escape) {
        case '"':
        case '\\':
            Value += Escape;
            break;
        case 'n':
            Value += '\n';
            break;
        case 'r':
            Value += '\r';
            break;
        case 't':
            Value += '\t';
            break;
        case 'x': {
            const int High = I + 2 < Inside.size() ? HexDigit(Inside[I + 1]) : -1;
            const int Low = High >= 0 ? HexDigit(Inside[I + 2]) : -1;
            if (Low >= 0) {
                Value += static_cast<char>(High * 16 + Low);
                I += 2;
                break;
            }
            [[fallthrough]];
        }
        default:
            Reason =
                "nieznana sekwencja \\" + std::string(1, Escape) + " (znane: \\\" \\\\ \\n \\r \\t \\xHH)";
            return std::nullopt;
        }
    }
    return Value;
}

bool IsUtf8(std::string_view Text)
{
    for (std::size_t I = 0; I < Text.size();) {
        const auto Lead = static_cast<unsigned char>(Text[I]);
        const std::size_t Length = Lead < 0x80                   ? 1
                                   : Lead >= 0xC2 && Lead < 0xE0 ? 2
                                   : Lead >= 0xE0 && Lead < 0xF0 ? 3
                                   : Lead >= 0xF0 && Lead < 0xF5 ? 4
                                                                 : 0;
        if (Length == 0 || I + Length > Text.size())
            return false;
        for (std::size_t K = 1; K < Length; ++K)
            if ((static_cast<unsigned char>(Text[I + K]) & 0xC0) != 0x80)
                return false;
        // Overlong forms, surrogates and code points past U+10FFFF.
        const auto Second = static_cast<unsigned char>(Length > 1 ? Text[I + 1] : 0);
        if ((Lead == 0xE0 && Second < 0xA0) || (Lead == 0xED && Second >= 0xA0) ||
            (Lead == 0xF0 && Second < 0x90) || (Lead == 0xF4 && Second >= 0x90))
            return false;
        I += Length;
    }
    return true;
}

std::size_t Utf8Length(std::string_view Text)
{
    return static_cast<std::size_t>(std::count_if(
        Text.begin(), Text.end(), [](char C) { return (static_cast<unsigned char>(C) & 0xC0) != 0x80; }));
}

std::string_view TrimBlanks(std::string_view Text)
{
    while (!Text.empty() && IsBlank(Text.front()))
        Text.remove_prefix(1);
    while (!Text.empty() && IsBlank(Text.back()))
        Text.remove_suffix(1);
    return Text;
}
