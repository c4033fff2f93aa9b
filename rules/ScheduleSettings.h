// The schedule in the program's settings file.
#pragma once

#include "Schedule.h"

class QSettings;

// Reads the schedule; what is missing or cannot be read keeps its default, an interval out of range
// becomes the nearest bound.
TSchedule ReadSchedule(QSettings& Settings);
void WriteSchedule(QSettings& Settings, const TSchedule& Schedule);
