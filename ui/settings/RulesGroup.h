// TRulesGroup: the "Reguły" group of the sources page. It edits each source's ignored text, trigger
// words and new-passages-only setting, for the five and one's own, checks them live against the page
// last fetched, and writes them into zrodla.ini.
#pragma once

#include "SourceRules.h"

#include <QGroupBox>
#include <QStringList>
#include <map>
#include <optional>
#include <string>
#include <utility>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class TSourcesFile;

class TRulesGroup : public QGroupBox
{
public:
    // Rules are held by key: the source's id (1 to 5 the five, from 6 one's own) or, for a source
    // added in the dialog and not saved yet, a negative key of the caller's, which starts with the
    // default rules. New keys from a save map such a key to the id the source was given.
    using TNewIds = std::map<int, int>;

    // Takes the rules from File, zrodla.ini as read; null when it could not be read, and the group
    // is then disabled and leaves the file as it is on saving.
    explicit TRulesGroup(const TSourcesFile* File);

    // Shows the rules under Key and what they make of PageFile, the page file a refresh would write
    // from the page last fetched; Fetched false when no page was fetched, PageFile empty when none
    // could be built from it.
    void ShowSource(int Key, bool Fetched, const std::string& PageFile);
    // The source under Key was removed: its rules are neither checked nor written.
    void Forget(int Key);
    // The first key whose rules were edited and hold an ignore rule that does not compile, and that
    // rule. Rules as read are not written again, so a bad one there blocks nothing.
    std::optional<std::pair<int, QString>> BadRule() const;
    bool Changed() const;
    // Writes the rules edited into File; a negative key's under its id in NewIds. Rules of a source
    // that File no longer holds are left out.
    void Apply(TSourcesFile& File, const TNewIds& NewIds) const;
    // File was written: what Apply wrote is now the rules as loaded.
    void Saved(const TNewIds& NewIds);

private:
    void Edited();
    void ShowCheck();

    std::optional<int> FKey;
    bool FFetched = false;
    std::string FPage;
    QStringList FPassages; // of FPage, parsed when the page shown changes, not at every edit
    std::map<int, TSourceRules> FRules;
    std::map<int, TSourceRules> FLoaded;
    bool FReadable = true;
    QPlainTextEdit* IgnoreEdit;
    QPlainTextEdit* TriggerEdit;
    QCheckBox* NewOnlyBox;
    QLabel* CheckLabel;
};
