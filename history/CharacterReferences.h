// DecodeCharacterReferences: the text a browser shows for the text of a page between its tags.
#pragma once

#include <QString>

// Text with its character references decoded as the HTML standard decodes them in text: every
// named reference of the standard's list (the longest name that matches, also the older names
// written without a semicolon), and decimal and hexadecimal references with or without their
// semicolon, where 128 to 159 name the Windows-1252 characters and 0, surrogates and numbers past
// U+10FFFF give U+FFFD. An '&' that starts no reference stays as it is.
QString DecodeCharacterReferences(QStringView Text);
