// FromWindows1250: turns bytes of the configuration file into text for captions.
#pragma once

#include <QString>
#include <string_view>

QString FromWindows1250(std::string_view Bytes);
