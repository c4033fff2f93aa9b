// The rule options of --set-source and --add-source.
#include "RuleOptions.h"

#include "SourceRules.h"

#include <utility>

bool HasRuleOptions(const QCommandLineParser& Parser)
{
    return Parser.isSet(QStringLiteral("ignore")) || Parser.isSet(QStringLiteral("trigger")) ||
           Parser.isSet(QStringLiteral("new-only"));
}

int ReadRuleOptions(const QCommandLineParser& Parser, TSourcesFile& File, int Id)
{
    TSourceRules Rules = RulesOf(File, Id);
    for (const auto& [Name, List] : {std::pair{QStringLiteral("ignore"), &Rules.Ignore},
                                     std::pair{QStringLiteral("trigger"), &Rules.Trigger}}) {
        if (!Parser.isSet(Name))
            continue;
        List->clear();
        for (const QString& Value : Parser.values(Name)) {
            const std::optional<std::string> Text = ArgumentUtf8(Value);
            if (!Text)
                return NoTextError(QStringLiteral("--") + Name);
            const QString Rule = QString::fromStdString(*Text);
            if (Rule.isEmpty())
                continue;
            if (List == &Rules.Ignore)
                if (const std::optional<TRuleError> Error = CheckPattern(Rule))
                    return UsageError(QStringLiteral("--ignore: ") + QString::fromStdString(Error->what()));
            List->append(Rule);
        }
    }
    if (Parser.isSet(QStringLiteral("new-only"))) {
        const QString Value = Parser.value(QStringLiteral("new-only"));
        if (Value != QLatin1String("on") && Value != QLatin1String("off"))
            return UsageError(QStringLiteral("--new-only przyjmuje on albo off"));
        Rules.NewOnly = Value == QLatin1String("on");
    }
    SetRules(File, Id, Rules);
    return 0;
}
