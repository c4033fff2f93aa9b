// Readable form of page bytes for failure messages: CR, LF, NUL and bytes outside ASCII escaped.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

inline std::string Printable(std::string_view Bytes)
{
    std::string Out = "\"";
    for (char C : Bytes) {
        const auto B = static_cast<unsigned char>(C);
        if (C == '\r')
            Out += "\\r";
        else if (C == '\n')
            Out += "\\n";
        else if (C == '"' || C == '\\')
            Out += std::string("\\") + C;
        else if (B < 0x20 || B >= 0x7f) {
            char Hex[5];
            std::snprintf(Hex, sizeof Hex, "\\x%02x", B);
            Out += Hex;
        } else
            Out += C;
    }
    return Out + "\"";
}
