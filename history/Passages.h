// PagePassages: the passages of a page, the visible text of its block elements, as the highlight
// script finds them in the view.
#pragma once

#include <QStringList>
#include <string_view>

// Passages in page order: the text of every paragraph, list item, table row and heading that holds
// no other of these, and of every div or span that holds only text outside them. Text is decoded
// from the page's declared character set (Windows-1250 where it declares none), character
// references decoded as a browser decodes them,
// white space collapsed to single spaces and trimmed; empty passages are left out.
QStringList PagePassages(std::string_view Page);

// Text as the highlight script compares it: runs of white space as JavaScript's \s reads it
// (no-break spaces included) made one space, and trimmed.
QString CollapseSpaces(const QString& Text);
