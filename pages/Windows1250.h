// Text conversions through the C library's iconv: Windows-1250 bytes of the configuration file and
// pages to Unicode, and UTF-8 text to the encoding of the user's locale, for the terminal.
#pragma once

#include <QString>
#include <string>
#include <string_view>

// Bytes without a Windows-1250 character become replacement characters.
QString FromWindows1250(std::string_view Bytes);
std::string Windows1250ToUtf8(std::string_view Bytes);

// Characters the locale's encoding lacks are transliterated where iconv can, else shown as "?".
std::string Utf8ToLocale(std::string_view Text);
