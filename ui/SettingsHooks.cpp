// Where the window opens its settings dialog.
#include "SettingsHooks.h"

#include "Application.h"
#include "EmptyTabPanel.h"
#include "PopupMenu.h"
#include "SettingsDialog.h"
#include "SourceTabs.h"
#include "TabMenu.h"

#include <QShortcut>
#include <QTabWidget>

void InstallSettings(const TSettingsPlace& Place, const TSettingsWaysIn& WaysIn)
{
    WaysIn.TrayMenu->Add(QStringLiteral("&Ustawienia..."), [Place](QObject*) { ShowSettings(Place); });
    QList<QKeySequence> Keys{QKeySequence(Qt::CTRL | Qt::Key_Comma)};
    for (const QKeySequence& Key : QKeySequence::keyBindings(QKeySequence::Preferences))
        if (!Keys.contains(Key))
            Keys.append(Key);
    for (const QKeySequence& Key : Keys)
        QObject::connect(new QShortcut(Key, Place.Window), &QShortcut::activated, Place.Window,
                         [Place] { TApplication::Guarded([Place] { ShowSettings(Place); }); });
    WaysIn.TabMenu->Add(QStringLiteral("Ustaw źródło..."), [Place](int Tab) {
        TApplication::Guarded([Place, Tab] { ShowSettings(Place, SourceOfTab(Place.Tabs, Tab)); });
    });
    for (int Source = 0; Source < SourceCount; ++Source)
        new TEmptyTabPanel(WaysIn.PageViews[Source], WaysIn.Watch, Source,
                           [Place, Source] { ShowSettings(Place, Source); });
}

TSettingsDialog* ShowSettings(const TSettingsPlace& Place, int Source)
{
    // A dialog closed a moment ago is hidden until it is deleted.
    auto* Dialog = Place.Window->findChild<TSettingsDialog*>();
    if (!Dialog || !Dialog->isVisible()) {
        QStringList Captions;
        for (const TSourceEntry& Entry : SourceTable)
            Captions << QString::fromUtf8(Entry.Caption);
        Dialog = new TSettingsDialog(Place.Window, Captions, Place.Notifications);
    }
    Dialog->SelectSource(Source >= 0 ? Source : SourceOfTab(Place.Tabs, Place.Tabs->currentIndex()));
    Dialog->show();
    Dialog->raise();
    Dialog->activateWindow();
    return Dialog;
}
