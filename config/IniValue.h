// Values of the sources file: how a text is written after "key = " so that it reads back the same,
// and the UTF-8 checks the file's text passes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Value as it stands when it reads back unchanged, else in quotes with escapes.
std::string EncodeValue(std::string_view Value);

// The value of the text after "=" (blanks around it already removed); nothing for a broken quoted
// value, with Reason saying why, in Polish.
std::optional<std::string> DecodeValue(std::string_view Written, std::string& Reason);

// Whether Text is well-formed UTF-8, and how many characters it holds.
bool IsUtf8(std::string_view Text);
std::size_t Utf8Length(std::string_view Text);

// Text without the blanks (spaces and tabs) at either end.
std::string_view TrimBlanks(std::string_view Text);
