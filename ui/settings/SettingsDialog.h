// TSettingsDialog: "Ustawienia — Tickerwell". The "Źródła" page sets each source's address and
// markers: it downloads the page with the program's own worker, shows its source, takes markers from
// a selection in it, previews the page file a refresh would write and saves dane.txt. The "Opcje"
// page holds the notifications and the start at login.
#pragma once

#include "ConfigurationWriter.h"
#include "MarkerPick.h"
#include "PageCharset.h"
#include "SourceEdits.h"
#include "SourceTable.h"

#include <QDialog>
#include <array>
#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class TOptionsPage;
class TOwnSourcesEditor;
class TRulesGroup;
class TSaveConflict;
class TSourcePagePanel;
class TSourcesFile;
class TSciager;
class TSourceRound;
struct TRoundResult;
struct TSourcePage;

class TSettingsDialog : public QDialog
{
    Q_OBJECT
public:
    // Reads dane.txt from the working directory. Captions are the sources' tab captions;
    // Notifications is the tray menu's item of the setting that the options page shares.
    TSettingsDialog(QWidget* Window, const QStringList& Captions, QAction* Notifications);
    ~TSettingsDialog() override;

    void SelectSource(int Source);
    int Source() const { return FSource; }

    // The fields of one marker: 0 the start marker, 1 the end marker.
    void PickFromSelection(int Marker);
    void Download();
    // Writes dane.txt and the options and closes; shows why and stays open when it cannot.
    void Save();

    static inline const QString Title = QStringLiteral("Ustawienia — Tickerwell");

private:
    struct TSetup
    {
        std::array<std::string, 3> Values; // address, start marker, end marker: bytes of the file
        std::array<QString, 3> Refusals;   // why a typed value cannot be written; empty when it can
        std::array<QString, 3> Typed;      // the text last typed in each field
        std::array<std::optional<TMarkerPick>, 2> Picks; // the markers' last picks from the page
        std::string Page;                                // the downloaded page in line form
        std::string Charset;
        TDecodedPage View;
        QString Outcome;
        TSciager* Worker = nullptr; // while a download runs
    };

    // OwnFile is zrodla.ini as read, null when it could not be.
    QWidget* BuildSourcesPage(const QStringList& Captions, const TSourcesFile* OwnFile);
    // Shows the selected source's fields, notes and preview, and its page source unless PageToo is
    // false (the selection and scroll position then stay).
    void ShowSource(bool PageToo = true);
    void FieldEdited(int Field);
    void Lengthen(int Marker);
    bool CanDownload() const;
    void Downloaded(const TRoundResult& Result);
    void ShowMarkers();
    void ShowPreview(const TSourcePage& Built);
    // Settles the fields asked about in SaveConflict with the dialog's values or the file's, and
    // saves again.
    void SettleConflicts(bool TakeFile);

    int FSource = -1;
    std::array<TSetup, SourceCount> Setups;
    TSourceValues Loaded; // the values as the file had them when read

    QListWidget* Sources;
    std::array<QLineEdit*, 3> Fields;
    std::array<QLabel*, 3> RefusalLabels;
    QLabel* IndexNote;
    std::array<QPushButton*, 2> LengthenButtons;
    TSourcePagePanel* Panel;
    TRulesGroup* Rules;
    QLabel* FileWarning;
    QLabel* SaveError;
    TSaveConflict* Conflict;
    TOptionsPage* Options;
    TSourceRound* DownloadRound;
    TOwnSourcesEditor* Own; // one's own sources, listed after the five
};
