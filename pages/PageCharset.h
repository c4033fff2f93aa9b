// Charsets of downloaded pages: which one a page is written in, its text with the byte each
// character came from, and text recoded for the configuration file.
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The charset named by the Content-Type header, else by a meta tag of the page, else
// "windows-1250", the sites' own; lower case.
std::string PageCharset(std::string_view ContentType, std::string_view Page);

// The charset named by the Content-Type header, else by a meta tag; empty when neither names one.
std::string NamedPageCharset(std::string_view ContentType, std::string_view Page);

// A page decoded for showing: Text in UTF-16, and for each unit of it the offset of the byte it
// came from, with one more entry, the page's size, at the end. A CR LF becomes one LF that stands
// for both bytes; a byte that is no character of the charset becomes U+FFFD.
struct TDecodedPage
{
    std::u16string Text;
    std::vector<std::size_t> Offsets;

    // The offset of the byte that unit Unit of Text came from; the page's size past the end.
    std::size_t ByteAt(std::size_t Unit) const { return Offsets[std::min(Unit, Text.size())]; }
};

// An unknown charset is read as Windows-1250.
TDecodedPage DecodePage(std::string_view Bytes, const std::string& Charset);

// Text of charset From in charset To; nothing when a character has no form in To (or Text is not
// valid in From, or either charset is unknown), and Missing then holds that character's bytes.
std::optional<std::string> Recode(std::string_view Text, const std::string& From, const std::string& To,
                                  std::string* Missing = nullptr);
