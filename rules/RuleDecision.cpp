// The rules' verdict on a change and their report on a page.
#include "RuleDecision.h"

#include "PassageDiff.h"

#include <set>
#include <utility>

TRuleDecision DecideChange(const QStringList& Previous, const QStringList& New, const TRuleSet& Rules)
{
    TRuleDecision Decision;
    const TStripped Before = Rules.Strip(Previous);
    const TStripped After = Rules.Strip(New);
    const TPassageChange Change = ComparePassages(Before.Passages, After.Passages);
    Decision.Removed = Change.Removed;
    // The added passages come in page order out of the stripped new ones: walking both finds the
    // page's own text of each.
    qsizetype At = 0;
    for (const QString& Passage : Change.Added) {
        while (At < After.Passages.size() && After.Passages[At] != Passage)
            ++At;
        if (At == After.Passages.size())
            break;
        const QString& Original = New[After.Origin[At++]];
        Decision.Added.append(Original);
        if (!Rules.HasTriggers() || !Decision.TriggerPassage.isEmpty())
            continue;
        const QList<TTriggerHit> Hits = Rules.Triggers(Passage);
        if (Hits.isEmpty())
            continue;
        Decision.Trigger = Rules.Words()[Hits.front().Word];
        Decision.TriggerPassage = Original;
    }
    if (Decision.Added.isEmpty() && Decision.Removed == 0)
        Decision.Verdict = TRuleVerdict::NoChange;
    else if (Rules.HasTriggers())
        Decision.Verdict = Decision.TriggerPassage.isEmpty() ? TRuleVerdict::Quiet : TRuleVerdict::Notify;
    else if (Decision.Added.isEmpty() && Rules.NewOnly())
        Decision.Verdict = TRuleVerdict::Quiet;
    else
        Decision.Verdict = TRuleVerdict::Notify;
    return Decision;
}

TPassageChange ChangeUnder(const TRuleSet* Rules, const QStringList& Previous, const QStringList& New)
{
    if (!Rules)
        return ComparePassages(Previous, New);
    TRuleDecision Decision = DecideChange(Previous, New, *Rules);
    return TPassageChange{std::move(Decision.Added), Decision.Removed};
}

TRulesReport ReportRules(const QStringList& Passages, const TRuleSet& Rules)
{
    TRulesReport Report;
    const TStripped Stripped = Rules.Strip(Passages);
    Report.Ignored = Stripped.Touched;
    std::set<int> Words;
    for (const TTriggerHit& Hit : Rules.Triggers(Stripped.Passages)) {
        const int Passage = Stripped.Origin[Hit.Passage];
        if (Report.Triggering.isEmpty() || Report.Triggering.back() != Passage)
            Report.Triggering.append(Passage);
        Words.insert(Hit.Word);
    }
    for (int Word : Words)
        Report.Words.append(Rules.Words()[Word]);
    return Report;
}
