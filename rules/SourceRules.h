// TSourceRules: what one source's changes must hold to count and to notify, and its form as
// key/value entries for the sources' file.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>
#include <utility>

class TSourcesFile;

struct TSourceRules
{
    QStringList Ignore;  // regular expressions, case insensitive: the text they match is no change
    QStringList Trigger; // words or phrases; when any are set, only a new passage holding one notifies
    bool NewOnly = true; // a change that only removes passages marks its tab but notifies nothing

    bool operator==(const TSourceRules&) const = default;
};

// A regular expression that cannot be compiled, with PCRE's error and where it was found.
class TRuleError : public std::invalid_argument
{
public:
    TRuleError(const QString& Pattern, const QString& Error, qsizetype Offset);

    QString Pattern;
    QString Error;
    qsizetype Offset; // in UTF-16 units of Pattern
};

// The error of Pattern as an ignore rule, or none when it compiles.
std::optional<TRuleError> CheckPattern(const QString& Pattern);

using TRuleEntries = QList<std::pair<QString, QString>>;

// The rules as entries in order: one "ignore" per expression, one "trigger" per word, then
// "new_only" ("1" or "0"). Values are kept as they are, so the file must quote what it needs to.
TRuleEntries RulesToEntries(const TSourceRules& Rules);
// Reads the entries of RulesToEntries; other keys are left to the caller. Empty values are skipped,
// and a "new_only" other than "0" or "false" counts as on. Expressions are not checked here.
TSourceRules RulesFromEntries(const TRuleEntries& Entries);

// The rules of source Id (1 to 5 for the five) as the sources' file holds them.
TSourceRules RulesOf(const TSourcesFile& File, int Id);
// Writes Rules into the section of Id, new_only only when off; the section's other keys stay as they
// are.
void SetRules(TSourcesFile& File, int Id, const TSourceRules& Rules);
