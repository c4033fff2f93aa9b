// TRulesGroup: the "Reguły" group of the sources page. It edits each source's ignored text, trigger
// words and new-passages-only setting, checks them live against the page last fetched, and saves
// them to zrodla.ini.
#pragma once

#include "SourceRules.h"
#include "SourceTable.h"

#include <QGroupBox>
#include <array>
#include <string>

class QCheckBox;
class QLabel;
class QPlainTextEdit;

class TRulesGroup : public QGroupBox
{
public:
    // Reads the rules from zrodla.ini in the working directory; a file that cannot be read is named
    // in the group and left as it is on saving.
    TRulesGroup();

    // Shows Source's rules and what they make of PageFile, the page file a refresh would write from
    // the page last fetched (empty: none was fetched).
    void ShowSource(int Source, const std::string& PageFile);
    // Writes the rules that were edited into zrodla.ini; throws std::runtime_error when it cannot,
    // or when an ignore rule does not compile (then nothing is written).
    void Save();

private:
    void Edited();
    void ShowCheck();

    int FSource = -1;
    std::string FPage;
    std::array<TSourceRules, SourceCount> FRules;
    std::array<TSourceRules, SourceCount> FLoaded;
    bool FReadable = true;
    QPlainTextEdit* IgnoreEdit;
    QPlainTextEdit* TriggerEdit;
    QCheckBox* NewOnlyBox;
    QLabel* CheckLabel;
};
