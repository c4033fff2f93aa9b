// TScheduleOptions: "Odświeżaj automatycznie" on the options page: always, or on chosen weekdays
// between two times, and the interval of the automatic refreshes.
#pragma once

#include "Schedule.h"

#include <QGroupBox>
#include <array>

class QCheckBox;
class QRadioButton;
class QSpinBox;
class QTimeEdit;

class TScheduleOptions : public QGroupBox
{
public:
    // Shows the schedule kept in the settings.
    TScheduleOptions();

    TSchedule Chosen() const;
    // Keeps the chosen schedule in the settings; the windows' timers follow it at once.
    void Apply();

private:
    void Enable();

    QRadioButton* AlwaysButton;
    QRadioButton* HoursButton;
    std::array<QCheckBox*, 7> DayBoxes;
    QTimeEdit* FromEdit;
    QTimeEdit* ToEdit;
    QSpinBox* IntervalBox;
};
