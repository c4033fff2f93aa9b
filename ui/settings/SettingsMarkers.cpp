// The settings dialog's markers: taken from a selection in the page source, lengthened on advice,
// and checked against the page with the page file they give previewed.
#include "SettingsDialog.h"

#include "MarkerNote.h"
#include "PagePreview.h"
#include "PageSourceView.h"
#include "RulesGroup.h"
#include "SourcePage.h"
#include "SourcePagePanel.h"
#include "TextRoutines.h"
#include "Windows1250.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>

void TSettingsDialog::PickFromSelection(int Marker)
{
    TSetup& Setup = Setups[FSource];
    const auto [First, Last] = Panel->PageSource->Selection();
    if (First == Last || Setup.Page.empty()) {
        Panel->PickNotes[Marker]->setText(QStringLiteral("Zaznacz tekst w źródle strony."));
        return;
    }
    const std::ptrdiff_t From =
        Marker == 0 ? 1 : std::max<std::ptrdiff_t>(Find(Setup.Values[1], Setup.Page), 1);
    const TDecodedPage& View = Setup.View;
    TMarkerPick Pick = PickMarker(Setup.Page, View.ByteAt(static_cast<std::size_t>(First)),
                                  View.ByteAt(static_cast<std::size_t>(Last)), From, Marker == 1);
    if (Pick.Marker.empty()) {
        Panel->PickNotes[Marker]->setText(
            QStringLiteral("Zaznaczenie nie obejmuje tekstu w jednym wierszu."));
        return;
    }
    Setup.Values[Marker + 1] = Pick.Marker;
    Setup.Refusals[Marker + 1].clear();
    Setup.Picks[Marker] = std::move(Pick);
    ShowSource(false);
}

void TSettingsDialog::Lengthen(int Marker)
{
    TSetup& Setup = Setups[FSource];
    if (!Setup.Picks[Marker] || Setup.Picks[Marker]->Lengthened.empty())
        return;
    TMarkerPick& Pick = *Setup.Picks[Marker];
    Pick.Marker = Pick.Lengthened;
    Pick.Lengthened.clear();
    Setup.Values[Marker + 1] = Pick.Marker;
    ShowSource(false);
}

void TSettingsDialog::ShowMarkers()
{
    const bool Index = FSource == IndexSource;
    const TSetup& Setup = Setups[FSource];
    // The page in line form already: building from it gives the positions a refresh finds.
    const TSourcePage Built = Setup.Page.empty()
                                  ? TSourcePage{}
                                  : BuildSourcePage(FSource, Setup.Page, Setup.Values[1], Setup.Values[2]);
    for (int Marker = 0; Marker < 2; ++Marker) {
        Panel->PickNotes[Marker]->setText(
            Index ? QString()
                  : MarkerNote(Marker, Setup.Values[Marker + 1], !Setup.Page.empty(),
                               Marker == 0 ? Built.Markers.Start : Built.Markers.End, Setup.Picks[Marker]));
        const std::optional<TMarkerPick>& Pick = Setup.Picks[Marker];
        const bool Offer =
            !Index && Pick && Pick->Marker == Setup.Values[Marker + 1] && !Pick->Lengthened.empty();
        LengthenButtons[Marker]->setVisible(Offer);
        if (Offer)
            LengthenButtons[Marker]->setText(
                QStringLiteral("Wydłuż do „%1”")
                    .arg(QString::fromStdU16String(DecodePage(Pick->Lengthened, Setup.Charset).Text)));
    }
    ShowPreview(Built);
}

// The page file a refresh would write from this page, as its tab would show it.
void TSettingsDialog::ShowPreview(const TSourcePage& Built)
{
    if (Setups[FSource].Page.empty()) {
        Panel->Preview->ShowText(QStringLiteral("Podgląd: najpierw „Pobierz”."));
    } else if (FSource == IndexSource) {
        Panel->Preview->ShowText(
            QStringLiteral("Sesja: %1\nNotowania: %2")
                .arg(Built.Sesid.empty() ? QStringLiteral("nie znaleziono") : FromWindows1250(Built.Sesid),
                     FromWindows1250(Built.QuotesAddress)));
    } else {
        Panel->Preview->ShowPage(QString::fromLatin1(SourceTable[FSource].PageFileName), Built.FileBytes);
    }
    // While one's own source is shown, the group stays with its rules.
    if (Sources->currentRow() == FSource)
        Rules->ShowSource(FSource + 1, !Setups[FSource].Page.empty(), Built.FileBytes);
}
