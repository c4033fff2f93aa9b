// The byte rules of the configuration file that the reader and its warnings share: where the text
// ends and where a line ends.
#pragma once

#include <cstddef>
#include <string_view>

// Byte 26 (Ctrl-Z) ends the readable text.
inline constexpr char EndOfText = 26;

// A CR ends a line, and an LF right after it belongs to that line end; a lone LF is text.
inline constexpr char LineEnd = '\r';
inline constexpr char LineEndTail = '\n';

// The length of the line end at Text[Pos]: 2 for CR LF, 1 for a CR alone, 0 when no line ends there.
inline std::size_t LineEndLength(std::string_view Text, std::size_t Pos)
{
    if (Text[Pos] != LineEnd)
        return 0;
    return Pos + 1 < Text.size() && Text[Pos + 1] == LineEndTail ? 2 : 1;
}
