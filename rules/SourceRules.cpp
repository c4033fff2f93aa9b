// The rules of a source, the check of an ignore rule and the rules' entries in the sources' file.
#include "SourceRules.h"

#include "RuleSet.h"

#include <QRegularExpression>

namespace {
const QString IgnoreKey = QStringLiteral("ignore");
const QString TriggerKey = QStringLiteral("trigger");
const QString NewOnlyKey = QStringLiteral("new_only");
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
    const QRegularExpression Expression(Pattern, IgnoreOptions);
    if (Expression.isValid())
        return std::nullopt;
    return TRuleError(Pattern, Expression.errorString(), Expression.patternErrorOffset());
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
