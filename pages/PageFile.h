// WritePageFile: replaces a page file whole and atomically, and tells whether its bytes changed.
#pragma once

#include <string>
#include <string_view>

// Writes Text to a temporary file beside Path and renames it over Path once all of it is written,
// so that a full disk or an error half-way never leaves a truncated file in place of the last
// good one. Throws std::system_error, leaving any existing file untouched. Returns whether Text
// differs byte for byte from the file it replaces; false when there was none.
bool WritePageFile(const std::string& Path, std::string_view Text);
