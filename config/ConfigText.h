// The byte rules of the configuration file that the reader and its warnings share: where the text
// ends and where a line ends.
#pragma once

#include "SourceTable.h"

#include <cstddef>
#include <string_view>

// Byte 26 (Ctrl-Z) ends the readable text.
inline constexpr char EndOfText = 26;

// The lines that are read: three per source; later ones are ignored.
inline constexpr std::size_t ReadLineCount = 3 * SourceCount;

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

// Whether Text's lines end in a lone LF, as editors on Linux save them: its first line end is an LF
// without a CR. The reader takes such a file as one long line.
inline bool EndsLinesInLf(std::string_view Text)
{
    const std::size_t First = Text.find_first_of("\r\n");
    return First != std::string_view::npos && Text[First] == LineEndTail;
}

// The line end of every line the program writes.
inline constexpr std::string_view WrittenLineEnd = "\r\n";
