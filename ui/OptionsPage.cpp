// The options page of the settings dialog.
#include "OptionsPage.h"

#include "Autostart.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QVBoxLayout>

namespace {
QLabel* Note(const QString& Text)
{
    auto* Label = new QLabel(Text);
    Label->setWordWrap(true);
    Label->setStyleSheet(QStringLiteral("color: palette(mid)"));
    return Label;
}
} // namespace

TOptionsPage::TOptionsPage(QAction* Notifications)
    : FNotifications(Notifications), NotificationsBox(new QCheckBox(QStringLiteral("Powiadomienia"))),
      AutostartBox(new QCheckBox(QStringLiteral("Uruchamiaj po zalogowaniu")))
{
    NotificationsBox->setObjectName(QStringLiteral("Notifications"));
    NotificationsBox->setChecked(Notifications->isChecked());
    // A change in the tray menu shows here at once.
    connect(Notifications, &QAction::toggled, NotificationsBox, &QCheckBox::setChecked);
    AutostartBox->setObjectName(QStringLiteral("Autostart"));
    AutostartBox->setChecked(AutostartOn());
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(NotificationsBox);
    Layout->addWidget(Note(QStringLiteral("Zmiany w kartach, których nie widać, zgłasza powiadomienie na "
                                          "pulpicie; to samo ustawienie co „Powiadomienia” w menu ikony w "
                                          "zasobniku.")));
    Layout->addWidget(AutostartBox);
    Layout->addWidget(
        Note(QStringLiteral("Po zalogowaniu program rusza w folderze %1, z tamtejszym dane.txt.")
                 .arg(QDir::toNativeSeparators(QDir::currentPath()))));
    Layout->addStretch(1);
}

void TOptionsPage::Apply()
{
    if (AutostartBox->isChecked() != AutostartOn())
        SetAutostart(AutostartBox->isChecked());
    FNotifications->setChecked(NotificationsBox->isChecked());
}
