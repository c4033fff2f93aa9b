// TRuleSet: a source's rules compiled once, applied to the passages of its page versions.
#pragma once

#include "SourceRules.h"

#include <QList>
#include <QRegularExpression>
#include <QStringList>
#include <vector>

// Ignore rules match case insensitively, letters of every script included, with ^ and $ at the
// start and end of each passage. As in JavaScript, \d, \w, \s and \b are ASCII classes (\p{L} is
// any letter): Unicode ones would cost a property look-up at every character of the page.
inline constexpr QRegularExpression::PatternOptions IgnoreOptions =
    QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption;

// Pattern compiled as an ignore rule. Throws TRuleError when it does not compile.
QRegularExpression IgnoreExpression(const QString& Pattern);

// A trigger word found in a text.
struct TTriggerHit
{
    int Passage = 0;     // which of the passages searched
    qsizetype Start = 0; // in UTF-16 units of that passage
    qsizetype Length = 0;
    int Word = 0; // index in the rules' trigger list
};

// Passages with the ignored text taken out.
struct TStripped
{
    QStringList Passages; // what is left of each, spaces collapsed; passages left empty dropped
    QList<int> Origin;    // for each, its index in the passages given
    QList<int> Touched;   // indexes of the passages given that the rules took text out of
};

class TRuleSet
{
public:
    // Throws TRuleError for the first ignore rule that does not compile. Empty rules and words made
    // of spaces only are skipped.
    explicit TRuleSet(const TSourceRules& Rules);

    // Every text any ignore rule matches in a passage is taken out of it; the matches of all rules
    // are found in the passage as it is, so the order of the rules does not matter. Passages come
    // with their spaces collapsed, as PagePassages gives them, and stay so.
    TStripped Strip(const QStringList& Passages) const;
    // The trigger words in the passages, whole words only, in passage and text order; where two
    // words start at the same place the longer one is found.
    QList<TTriggerHit> Triggers(const QStringList& Passages) const;
    QList<TTriggerHit> Triggers(const QString& Text) const { return Triggers(QStringList{Text}); }

    bool HasTriggers() const { return !FWords.isEmpty(); }
    bool NewOnly() const { return FNewOnly; }
    const QStringList& Words() const { return FWords; }

private:
    std::vector<QRegularExpression> FIgnore;
    QStringList FWords;
    QRegularExpression FTrigger; // one alternative per word, longest first
    QList<int> FGroupWord;       // the word of each capture group, group 1 first
    bool FNewOnly;
};
