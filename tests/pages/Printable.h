// Readable form of page bytes for failure messages: all but printable ASCII as hex escapes.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

inline std::string Printable(std::string_view Bytes)
{
    std::string Out = "\"";
    for (const char C : Bytes) {
        char Hex[5];
        std::snprintf(Hex, sizeof Hex, "\\x%02x", static_cast<unsigned char>(C));
        Out += C >= 0x20 && C < 0x7f && C != '"' && C != '\\' ? std::string(1, C) : Hex;
    }
    return Out + "\"";
}
