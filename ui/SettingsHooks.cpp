// Where the window opens its settings dialog.
#include "SettingsHooks.h"

#include "Application.h"
#include "EmptyTabPanel.h"
#include "PopupMenu.h"
#include "SettingsDialog.h"
#include "TabMenu.h"
#include "WebBrowser.h"

#include <QShortcut>
#include <QTabWidget>

void InstallSettings(const TSettingsPlace& Place, TPopupMenu* TrayMenu, TSourceWatch* Watch)
{
    TrayMenu->Add(QStringLiteral("&Ustawienia..."), [Place](QObject*) { ShowSettings(Place); });
    QList<QKeySequence> Keys{QKeySequence(Qt::CTRL | Qt::Key_Comma)};
    for (const QKeySequence& Key : QKeySequence::keyBindings(QKeySequence::Preferences))
        if (!Keys.contains(Key))
            Keys.append(Key);
    for (const QKeySequence& Key : Keys)
        QObject::connect(new QShortcut(Key, Place.Window), &QShortcut::activated, Place.Window,
                         [Place] { TApplication::Guarded([Place] { ShowSettings(Place); }); });
    auto* Menu = new TTabMenu(Place.Tabs);
    Menu->Add(QStringLiteral("Ustaw źródło..."), [Place](int Source) {
        TApplication::Guarded([Place, Source] { ShowSettings(Place, Source); });
    });
    for (int Source = 0; Source < SourceCount; ++Source) {
        auto* View =
            Place.Window->findChild<TWebBrowser*>(QString::fromLatin1(SourceTable[Source].WebBrowser));
        new TEmptyTabPanel(View, Watch, Source, [Place, Source] { ShowSettings(Place, Source); });
    }
}

TSettingsDialog* ShowSettings(const TSettingsPlace& Place, int Source)
{
    // A dialog closed a moment ago is hidden until it is deleted.
    auto* Dialog = Place.Window->findChild<TSettingsDialog*>();
    if (!Dialog || !Dialog->isVisible()) {
        QStringList Captions;
        for (int Index = 0; Index < SourceCount; ++Index)
            Captions << Place.Tabs->tabText(Index).replace(QLatin1String("&&"), QLatin1String("&"));
        Dialog = new TSettingsDialog(Place.Window, Captions, Place.Notifications);
    }
    Dialog->SelectSource(Source >= 0 ? Source : Place.Tabs->currentIndex());
    Dialog->show();
    Dialog->raise();
    Dialog->activateWindow();
    return Dialog;
}
