// What a source's rules make of a change between two versions of its page, and of one version alone.
#pragma once

#include "PassageDiff.h"
#include "RuleSet.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

enum class TRuleVerdict : std::uint8_t
{
    NoChange, // nothing changed outside the ignored text: no version, no mark, no notification
    Quiet,    // a change to keep and mark, but not to notify
    Notify    // a change to keep, mark and notify
};

struct TRuleDecision
{
    TRuleVerdict Verdict = TRuleVerdict::NoChange;
    QStringList Added;      // new or changed passages of the new version, as the page has them
    int Removed = 0;        // passages of the previous version gone or changed
    QString Trigger;        // the first trigger word found in a new passage, as the rules list it
    QString TriggerPassage; // the new passage holding it, as the page has it
};

// Compares the passages of the previous and the new version without their ignored text. With
// trigger words, only a new passage holding one (outside ignored text) notifies; without them any
// new passage does, and a change that only removes passages does when the rules want more than new
// passages.
TRuleDecision DecideChange(const QStringList& Previous, const QStringList& New, const TRuleSet& Rules);

// The passages new and gone between two versions: by DecideChange under Rules, by ComparePassages
// without them.
TPassageChange ChangeUnder(const TRuleSet* Rules, const QStringList& Previous, const QStringList& New);

// The rules on one version: for the live check of the settings and for --check.
struct TRulesReport
{
    QList<int> Ignored;    // passages the ignore rules take text out of
    QList<int> Triggering; // passages holding a trigger word outside their ignored text
    QStringList Words;     // the trigger words present, in the rules' order
};

TRulesReport ReportRules(const QStringList& Passages, const TRuleSet& Rules);
