// ConfigFileWarnings: what in the bytes of a configuration file keeps the reader from taking it as
// its author meant: LF-only line ends, a byte-order mark, UTF-8 text, lines past the fifteenth.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// One warning per finding, in Polish (UTF-8), each naming the line and the fix.
std::vector<std::string> ConfigFileWarnings(std::string_view Bytes);
