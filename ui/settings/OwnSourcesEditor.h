// TOwnSourcesEditor: the settings dialog's side of one's own sources. They follow the five in the
// dialog's source list; the one selected is edited here (caption, address, start and end texts, on):
// "Pobierz" shows its page source, texts are taken from a selection in it with advice when one is not
// unique, and the preview shows the UTF-8 page file a refresh would write. "Dodaj źródło" and "Usuń
// źródło" change the list. The rules group under it shows the selected source's rules.
#pragma once

#include "OwnSources.h"

#include <QWidget>
#include <array>
#include <map>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QLayout;
class QPushButton;
class QStackedWidget;
class TRulesGroup;
class TSciager;
class TSourcePagePanel;
class TSourceRound;
struct TRoundResult;

class TOwnSourcesEditor : public QWidget
{
public:
    // List is the dialog's source list, whose first rows are the five; the own sources of File,
    // zrodla.ini as read, are added to it. File is null when it could not be read: nothing can then
    // be added. Round downloads without writing.
    TOwnSourcesEditor(QListWidget* List, TSourceRound* Round, TRulesGroup* Rules, const TSourcesFile* File);
    ~TOwnSourcesEditor() override;

    // Lays out the dialog's sources page: the list with "Dodaj źródło" and "Usuń źródło" under it,
    // beside the five's fields (Five) or this editor, whichever suits the source selected, with the
    // rules group under both.
    void LayOut(QWidget* Page, QLayout* Five);
    // Row of the list is selected: true when it is one of one's own, which is then shown.
    bool Select(int Row);
    // The list row of the source under rules key Key (its id, 1 to 5 for the five, or the key of one
    // not saved yet), -1 when it is not listed.
    int RowOf(int Key) const;
    // The first row whose caption or address is refused, -1 when none is.
    int RefusedRow() const;
    bool Changed() const;
    // Writes the sources added, changed and removed here into File, and returns the ids the added
    // ones get by their rules keys. Throws ESourcesFile.
    std::map<int, int> Apply(TSourcesFile& File) const;
    // File was written with what Apply returned: the sources added have their ids.
    void Saved(const std::map<int, int>& NewIds);

    QPushButton* AddButton;
    QPushButton* RemoveButton;

private:
    struct TSetup
    {
        TOwnSource Source; // Id 0 until saved, for a source added here
        int Key = 0;       // names the setup to its download
        std::string Page;  // the downloaded page in line form
        std::string ContentType;
        QString Text; // the page decoded
        QString Outcome;
        TSciager* Worker = nullptr;
    };

    TSetup& Current() { return FSetups[static_cast<std::size_t>(FCurrent)]; }
    // The source's id, or for one not saved yet the negative of its setup key.
    static int RulesKey(const TSetup& Setup) { return Setup.Source.Id != 0 ? Setup.Source.Id : -Setup.Key; }
    void ShowRow(int Row);
    void Edited();
    void Add();
    void Remove();
    void Download();
    void Downloaded(int Key, const TRoundResult& Result);
    void Pick(int Text);
    void ShowPage();
    QString TextNote(int Text, const std::string& Value, std::ptrdiff_t Found) const;

    QListWidget* FList;
    QStackedWidget* FPanels = nullptr;
    TSourceRound* FRound;
    TRulesGroup* FRules;
    std::vector<TSetup> FSetups;
    std::map<int, TOwnSource> FLoaded; // by id, as the file had them
    std::vector<int> FRemoved;
    int FCurrent = -1;
    int FNextKey = 1;

    std::array<QLineEdit*, 4> Fields; // caption, address, start text, end text
    QCheckBox* OnBox;
    QLabel* Refusal;
    TSourcePagePanel* Panel;
};
