// BuildTextPage: the page file of a source of one's own, cut out of a page in any charset between
// two texts and written in UTF-8.
#pragma once

#include "TextRoutines.h"

#include <string>
#include <string_view>

struct TTextPage
{
    // The page file in UTF-8, in line form; empty when the build failed.
    std::string FileBytes;
    // The section cut out of the decoded page, in UTF-8, both texts included.
    std::string Fragment;
    // The charset the page was read in, lower case.
    std::string Charset;
    // Where the texts were found: byte positions (from 1) in the decoded UTF-8 page, whose line
    // ends are LF; 0 for an empty text or one not found.
    TMarkerPositions Texts;
    // Why there is no page file, in Polish (UTF-8); empty when there is one.
    std::string Failure;
};

// The charset a page of one's own is read in: the one its Content-Type header names, else its meta
// tag, else "utf-8" when it is valid UTF-8, else "windows-1250"; lower case.
std::string TextPageCharset(std::string_view ContentType, std::string_view Page);

// Decodes Downloaded by its TextPageCharset; cuts from the first StartText through the first EndText
// after it (an empty StartText cuts from the beginning, an empty EndText to the end) and wraps the
// section in a small HTML document whose base is Address. A text that is not found fails the build,
// so that the caller keeps the last good page.
TTextPage BuildTextPage(std::string_view Downloaded, std::string_view ContentType, std::string_view Address,
                        std::string_view StartText, std::string_view EndText);
