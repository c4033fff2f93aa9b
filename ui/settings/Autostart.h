// The XDG autostart entry ($XDG_CONFIG_HOME/autostart/tickerwell.desktop) that starts this program at
// login, in the working directory it runs in now, where its dane.txt is.
#pragma once

#include <QString>

QString AutostartFile();
bool AutostartOn();
// Writes or removes the entry; throws std::runtime_error with a Polish message when it cannot.
void SetAutostart(bool On);
