// LongTimeText: the time of the status line and the tooltips.
#pragma once

#include <QString>

// The current local time in the user's long time format (the C library's "%X" under LC_TIME).
QString LongTimeText();
