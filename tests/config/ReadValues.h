// The fifteen values of a configuration file as a refresh reads them.
#pragma once

#include "Configuration.h"

#include <filesystem>
#include <string>
#include <vector>

inline std::vector<std::string> Values(const std::filesystem::path& Path)
{
    std::vector<std::string> Out;
    LoadConfiguration(Path.string(),
                      [&](int, TConfigField, const std::string& Value) { Out.push_back(Value); });
    return Out;
}
