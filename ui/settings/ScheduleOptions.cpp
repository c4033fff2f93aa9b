// The schedule's controls on the options page.
#include "ScheduleOptions.h"

#include "ProgramSettings.h"
#include "RefreshSchedule.h"
#include "ScheduleSettings.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {
const QString TimeFormat = QStringLiteral("HH:mm");

QTimeEdit* TimeEdit(const QString& Name, QTime Time)
{
    auto* Edit = new QTimeEdit(Time);
    Edit->setObjectName(Name);
    Edit->setDisplayFormat(TimeFormat);
    return Edit;
}
} // namespace

TScheduleOptions::TScheduleOptions()
    : QGroupBox(QStringLiteral("Odświeżaj automatycznie")),
      AlwaysButton(new QRadioButton(QStringLiteral("zawsze"))),
      HoursButton(new QRadioButton(QStringLiteral("w wybrane dni, w godzinach"))), IntervalBox(new QSpinBox)
{
    QSettings Settings = ProgramSettings();
    const TSchedule Schedule = ReadSchedule(Settings);
    AlwaysButton->setObjectName(QStringLiteral("ScheduleAlways"));
    HoursButton->setObjectName(QStringLiteral("ScheduleHours"));
    (Schedule.Always ? AlwaysButton : HoursButton)->setChecked(true);
    auto* Days = new QHBoxLayout;
    const std::array<QString, 7> Names{"pn", "wt", "śr", "czw", "pt", "sob", "nd"};
    for (int Day = 0; Day < 7; ++Day) {
        DayBoxes[Day] = new QCheckBox(Names[Day]);
        DayBoxes[Day]->setObjectName(QStringLiteral("ScheduleDay%1").arg(Day + 1));
        DayBoxes[Day]->setChecked(Schedule.HasDay(Day + 1));
        Days->addWidget(DayBoxes[Day]);
    }
    Days->addStretch(1);
    FromEdit = TimeEdit(QStringLiteral("ScheduleFrom"), Schedule.From);
    ToEdit = TimeEdit(QStringLiteral("ScheduleTo"), Schedule.To);
    IntervalBox->setObjectName(QStringLiteral("ScheduleInterval"));
    IntervalBox->setRange(TSchedule::MinInterval, TSchedule::MaxInterval);
    IntervalBox->setSuffix(QStringLiteral(" min"));
    IntervalBox->setValue(Schedule.Interval);
    auto* Times = new QHBoxLayout;
    Times->addWidget(new QLabel(QStringLiteral("od")));
    Times->addWidget(FromEdit);
    Times->addWidget(new QLabel(QStringLiteral("do")));
    Times->addWidget(ToEdit);
    Times->addStretch(1);
    auto* Interval = new QHBoxLayout;
    auto* IntervalLabel = new QLabel(QStringLiteral("co"));
    IntervalLabel->setBuddy(IntervalBox);
    Interval->addWidget(IntervalLabel);
    Interval->addWidget(IntervalBox);
    Interval->addStretch(1);
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(AlwaysButton);
    Layout->addWidget(HoursButton);
    Layout->addLayout(Days);
    Layout->addLayout(Times);
    Layout->addLayout(Interval);
    connect(HoursButton, &QRadioButton::toggled, this, &TScheduleOptions::Enable);
    Enable();
}

void TScheduleOptions::Enable()
{
    for (QCheckBox* Box : DayBoxes)
        Box->setEnabled(HoursButton->isChecked());
    FromEdit->setEnabled(HoursButton->isChecked());
    ToEdit->setEnabled(HoursButton->isChecked());
}

TSchedule TScheduleOptions::Chosen() const
{
    TSchedule Schedule{.Always = AlwaysButton->isChecked(), .Days = 0};
    for (int Day = 0; Day < 7; ++Day)
        if (DayBoxes[Day]->isChecked())
            Schedule.Days |= std::uint8_t(1u << Day);
    Schedule.From = FromEdit->time();
    Schedule.To = ToEdit->time();
    Schedule.Interval = IntervalBox->value();
    return Schedule;
}

void TScheduleOptions::Apply()
{
    QSettings Settings = ProgramSettings();
    const TSchedule Schedule = Chosen();
    if (ReadSchedule(Settings) == Schedule)
        return;
    WriteSchedule(Settings, Schedule);
    Settings.sync();
    TRefreshSchedule::ReloadAll();
}
