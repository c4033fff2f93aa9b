// The rules of a source, the check of an ignore rule and the rules' entries in the sources' file.
#include "SourceRules.h"

#include "OwnSources.h"
#include "RuleSet.h"

namespace {
const QString IgnoreKey = QStringLiteral("ignore");
const QString TriggerKey = QStringLiteral("trigger");
const QString NewOnlyKey = QStringLiteral("new_only");
const QStringList Keys{IgnoreKey, TriggerKey, NewOnlyKey};
} // namespace

TRuleError::TRuleError(const QString& Pattern, const QString& Error, qsizetype Offset)
    : std::invalid_argument(QStringLiteral("Błędne wyrażenie regularne „%1”: %2 (pozycja %3)")
                                .arg(Pattern, Error)
                                .arg(Offset)
                                .toStdString()),
      Pattern(Pattern), Error(Error), Offset(Offset)
{
}

std::optional<TRuleError> CheckPattern(const QString& Pattern)
{
    try {
        IgnoreExpression(Pattern);
    } catch (const TRuleError& Error) {
        return Error;
    }
    return std::nullopt;
}

TRuleEntries RulesToEntries(const TSourceRules& Rules)
{
    TRuleEntries Entries;
    for (const QString& Pattern : Rules.Ignore)
        Entries.append({IgnoreKey, Pattern});
    for (const QString& Word : Rules.Trigger)
        Entries.append({TriggerKey, Word});
    Entries.append({NewOnlyKey, Rules.NewOnly ? QStringLiteral("1") : QStringLiteral("0")});
    return Entries;
}

TSourceRules RulesFromEntries(const TRuleEntries& Entries)
{
    TSourceRules Rules;
    for (const auto& [Key, Value] : Entries) {
        if (Key == NewOnlyKey)
            Rules.NewOnly = Value.trimmed() != QLatin1String("0") &&
                            Value.trimmed().compare(QLatin1String("false"), Qt::CaseInsensitive) != 0;
        else if (Value.isEmpty())
            continue;
        else if (Key == IgnoreKey)
            Rules.Ignore.append(Value);
        else if (Key == TriggerKey)
            Rules.Trigger.append(Value);
    }
    return Rules;
}

TSourceRules RulesOf(const TSourcesFile& File, int Id)
{
    TRuleEntries Entries;
    for (const QString& Key : Keys)
        for (const std::string& Value : File.Values(Id, Key.toStdString()))
            Entries.append({Key, QString::fromStdString(Value)});
    return RulesFromEntries(Entries);
}

void SetRules(TSourcesFile& File, int Id, const TSourceRules& Rules)
{
    const TRuleEntries Entries = RulesToEntries(Rules);
    for (const QString& Key : Keys) {
        std::vector<std::string> Values;
        for (const auto& [EntryKey, Value] : Entries)
            // The default, new passages only, is left out: rules left empty leave no keys behind.
            if (EntryKey == Key && !(Key == NewOnlyKey && Rules.NewOnly))
                Values.push_back(Value.toStdString());
        File.SetValues(Id, Key.toStdString(), Values);
    }
}
