// The program's own settings of this user, in QSettings: where they are kept, and how many days the
// history keeps versions.
#pragma once

#include <QSettings>

// The settings of organisation "QRX & Dobrel", application "Tickerwell".
QSettings ProgramSettings();

constexpr int MinHistoryDays = 1;
constexpr int MaxHistoryDays = 3650;

// The days the history keeps versions: the store's default until set; a hand-edited value that is no
// number reads as the default, one out of range as the nearest bound.
int HistoryDays();
void SetHistoryDays(int Days);
