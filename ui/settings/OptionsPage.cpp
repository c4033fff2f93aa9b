// The options page of the settings dialog.
#include "OptionsPage.h"

#include "Autostart.h"
#include "ChannelListBox.h"
#include "HistoryStore.h"
#include "ProgramSettings.h"
#include "ScheduleOptions.h"
#include "SourcePagePanel.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
const QString Dim = QStringLiteral("color: palette(mid)");
} // namespace

TOptionsPage::TOptionsPage(QAction* Notifications)
    : FNotifications(Notifications), NotificationsBox(new QCheckBox(QStringLiteral("Powiadomienia"))),
      AutostartBox(new QCheckBox(QStringLiteral("Uruchamiaj po zalogowaniu"))), HistoryDaysBox(new QSpinBox),
      Schedule(new TScheduleOptions)
{
    NotificationsBox->setObjectName(QStringLiteral("Notifications"));
    NotificationsBox->setChecked(Notifications->isChecked());
    // A change in the tray menu shows here at once.
    connect(Notifications, &QAction::toggled, NotificationsBox, &QCheckBox::setChecked);
    AutostartBox->setObjectName(QStringLiteral("Autostart"));
    AutostartBox->setChecked(AutostartOn());
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(NotificationsBox);
    Layout->addWidget(
        NoteLabel(Dim, QStringLiteral("Zmiany w kartach, których nie widać, zgłasza powiadomienie na "
                                      "pulpicie; to samo ustawienie co „Powiadomienia” w menu ikony w "
                                      "zasobniku.")));
    Layout->addWidget(AutostartBox);
    Layout->addWidget(
        NoteLabel(Dim, QStringLiteral("Po zalogowaniu program rusza w folderze %1, z tamtejszym dane.txt.")
                           .arg(QDir::toNativeSeparators(QDir::currentPath()))));
    HistoryDaysBox->setObjectName(QStringLiteral("HistoryDays"));
    HistoryDaysBox->setRange(MinHistoryDays, MaxHistoryDays);
    HistoryDaysBox->setValue(HistoryDays());
    auto* DaysLabel = new QLabel(QStringLiteral("Przechowuj wersje (dni)"));
    DaysLabel->setBuddy(HistoryDaysBox);
    auto* DaysRow = new QHBoxLayout;
    DaysRow->addWidget(DaysLabel);
    DaysRow->addWidget(HistoryDaysBox);
    DaysRow->addStretch(1);
    Layout->addLayout(DaysRow);
    Layout->addWidget(
        NoteLabel(Dim, QStringLiteral("Historia zmian każdej karty zachowuje do %1 wersji; starsze niż "
                                      "tyle dni usuwa, gdy zapisuje następną (najnowsza zostaje zawsze).")
                           .arg(THistoryStore::MaxVersions)));
    Layout->addWidget(Schedule);
    Layout->addWidget(new TChannelListBox);
    Layout->addStretch(1);
}

void TOptionsPage::Apply()
{
    if (AutostartBox->isChecked() != AutostartOn())
        SetAutostart(AutostartBox->isChecked());
    FNotifications->setChecked(NotificationsBox->isChecked());
    SetHistoryDays(HistoryDaysBox->value());
    Schedule->Apply();
}
