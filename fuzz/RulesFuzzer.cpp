// Fuzz target for the ignore rules and trigger words. The input is up to four expressions, one a
// line, then an empty line, then the passages, one a line. The ignored text found over the whole
// page must be what each passage gives alone, for expressions that do not look past a passage's
// ends; trigger words must be found inside their passage.
#include "FuzzCheck.h"
#include "Passages.h"
#include "RuleSet.h"

#include <QRegularExpression>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace {
// Expressions that look past a passage's ends (lookarounds, \A, \z, \G, \K, verbs such as (*CR))
// may see the line break that joins the passages; they are left out of the comparison.
bool LooksAround(const QString& Pattern)
{
    for (const char* Sign : {"(?", "(*", "\\A", "\\z", "\\Z", "\\G", "\\K"})
        if (Pattern.contains(QLatin1String(Sign)))
            return true;
    return false;
}

// Each passage alone: every match of every expression taken out, spaces collapsed.
TStripped StripReference(const std::vector<QRegularExpression>& Expressions, const QStringList& Passages)
{
    TStripped Result;
    for (int Index = 0; Index < Passages.size(); ++Index) {
        const QString& Passage = Passages[Index];
        std::vector<bool> Ignored(std::size_t(Passage.size()), false);
        for (const QRegularExpression& Expression : Expressions) {
            QRegularExpressionMatchIterator Matches = Expression.globalMatch(Passage);
            while (Matches.hasNext()) {
                const QRegularExpressionMatch Match = Matches.next();
                std::fill(Ignored.begin() + Match.capturedStart(), Ignored.begin() + Match.capturedEnd(),
                          true);
            }
        }
        QString Kept;
        for (qsizetype At = 0; At < Passage.size(); ++At)
            if (!Ignored[std::size_t(At)])
                Kept += Passage[At];
        if (std::find(Ignored.begin(), Ignored.end(), true) != Ignored.end()) {
            Kept = CollapseSpaces(Kept);
            if (Kept != Passage)
                Result.Touched.append(Index);
        }
        if (!Kept.isEmpty()) {
            Result.Passages.append(Kept);
            Result.Origin.append(Index);
        }
    }
    return Result;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const QString Input = QString::fromUtf8(reinterpret_cast<const char*>(Data), qsizetype(Size));
    const qsizetype Blank = Input.indexOf(QLatin1String("\n\n"));
    const QStringList Patterns = Input.left(Blank < 0 ? 0 : Blank).split(QLatin1Char('\n')).mid(0, 4);
    QStringList Passages;
    for (const QString& Line : Input.mid(Blank < 0 ? 0 : Blank + 2).split(QLatin1Char('\n')))
        if (const QString Passage = CollapseSpaces(Line); !Passage.isEmpty())
            Passages.append(Passage);

    TSourceRules Rules{.Ignore = Patterns, .Trigger = Patterns};
    std::vector<QRegularExpression> Expressions;
    for (const QString& Pattern : Patterns) {
        if (!Pattern.isEmpty() && CheckPattern(Pattern))
            return 0;
        if (!Pattern.isEmpty())
            Expressions.emplace_back(Pattern, IgnoreOptions);
    }
    const TRuleSet Set(Rules);
    const TStripped Stripped = Set.Strip(Passages);
    FUZZ_CHECK(Stripped.Passages.size() == Stripped.Origin.size());
    if (std::none_of(Patterns.begin(), Patterns.end(), LooksAround)) {
        const TStripped Reference = StripReference(Expressions, Passages);
        FUZZ_CHECK(Stripped.Passages == Reference.Passages);
        FUZZ_CHECK(Stripped.Origin == Reference.Origin);
        FUZZ_CHECK(Stripped.Touched == Reference.Touched);
    }
    for (const TTriggerHit& Hit : Set.Triggers(Passages))
        FUZZ_CHECK(Hit.Passage >= 0 && Hit.Passage < Passages.size() && Hit.Start >= 0 && Hit.Length > 0 &&
                   Hit.Start + Hit.Length <= Passages[Hit.Passage].size() && Hit.Word >= 0 &&
                   Hit.Word < Set.Words().size());
    return 0;
}
