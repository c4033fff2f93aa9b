// A source's rules: ignored text, trigger words, bad expressions, entries, failure notices.
#include "FailureStreak.h"
#include "RuleDecision.h"

#include <gtest/gtest.h>

namespace {
const QString Clock = QStringLiteral("\\b\\d{1,2}:\\d{2}\\b");

TEST(RuleDecision, IgnoredTextIsNoChangeAndOnlyWhatMattersNotifies)
{
    using enum TRuleVerdict;
    const struct
    {
        const char* What;
        TSourceRules Rules;
        QStringList Previous, New;
        TRuleVerdict Verdict;
        QStringList Added;
        int Removed;
        QString TriggerPassage = {}, Trigger = {};
    } Cases[] = {
        // clang-format off
        {"a clock ignored", {.Ignore = {Clock}}, {"Notowania z 12:31", "WIG20"}, {"Notowania z 12:36", "WIG20"}, NoChange, {}, 0},
        {"a counter, case insensitive with Polish letters", {.Ignore = {"odsłon: \\d+"}}, {"ODSŁON: 1234 dziś"}, {"Odsłon: 1240 dziś"}, NoChange, {}, 0},
        {"a passage all clock, gone and back", {.Ignore = {Clock}}, {"a", "12:31", "b"}, {"a", "b", "12:40"}, NoChange, {}, 0},
        {"a real change next to ignored text, quoted as the page has it", {.Ignore = {Clock}},
         {"Kurs o 12:31: 100 pkt", "x"}, {"Kurs o 12:36: 105 pkt", "x"}, Notify, {"Kurs o 12:36: 105 pkt"}, 1},
        {"removed only: marked quietly", {}, {"a", "b"}, {"a"}, Quiet, {}, 1},
        {"removed only, every change wanted", {.NewOnly = false}, {"a", "b"}, {"a"}, Notify, {}, 1},
        {"no trigger word in the new passage", {.Trigger = {"zysk"}}, {"a"}, {"a", "strata netto"}, Quiet, {"strata netto"}, 0},
        {"the first new passage with a trigger word", {.Trigger = {"dywidenda", "zysk netto"}}, {"a"},
         {"b", "a", "Spółka: ZYSK  netto", "dywidenda"}, Notify, {"b", "Spółka: ZYSK  netto", "dywidenda"}, 0,
         "Spółka: ZYSK  netto", "zysk netto"},
        {"a trigger word in ignored text", {.Ignore = {"reklama:.*"}, .Trigger = {"zysk"}}, {"a"},
         {"a", "Nowość. Reklama: zysk"}, Quiet, {"Nowość. Reklama: zysk"}, 0},
        {"removed only, trigger words, every change wanted", {.Trigger = {"zysk"}, .NewOnly = false}, {"zysk", "a"}, {"a"}, Quiet, {}, 1},
        // clang-format on
    };
    for (const auto& Case : Cases) {
        const TRuleDecision Decision = DecideChange(Case.Previous, Case.New, TRuleSet(Case.Rules));
        EXPECT_EQ(Decision.Verdict, Case.Verdict) << Case.What;
        EXPECT_EQ(Decision.Added, Case.Added) << Case.What;
        EXPECT_EQ(Decision.Removed, Case.Removed) << Case.What;
        EXPECT_EQ(Decision.TriggerPassage, Case.TriggerPassage) << Case.What;
        EXPECT_EQ(Decision.Trigger, Case.Trigger) << Case.What;
    }
}

TEST(RuleSet, StripsWhatAnyRuleMatchesInEachPassageAlone)
{
    const QString Lone(QChar(0xDC00));
    // What, the ignore rules, the passages, what is left of them, the passages touched.
    const std::tuple<const char*, QStringList, QStringList, QStringList, QList<int>> Cases[] = {
        // clang-format off
        {"overlapping matches of two rules", {"b+c", "ab"}, {"xabbcx", "abc"}, {"xx"}, {0, 1}},
        {"the same, rules swapped", {"ab", "b+c"}, {"xabbcx", "abc"}, {"xx"}, {0, 1}},
        {"^ and $ at each passage's ends", {"^\\d+", "\\d+$"}, {"1 a 2", "3 b 4"}, {"a", "b"}, {0, 1}},
        {"a match never joins two passages", {"a[^x]*b"}, {"1 a", "b 2"}, {"1 a", "b 2"}, {}},
        {"nor runs on into the next", {"a[^x]*"}, {"1 a", "b a 2"}, {"1", "b"}, {0, 1}},
        {"nor starts at the break", {"\\s+\\d?"}, {"a b", "1 c"}, {"ab", "1c"}, {0, 1}},
        {"spaces left by a match collapse", {"\\(.*?\\)"}, {"WIG (12:00) 2 300"}, {"WIG 2 300"}, {0}},
        {"\\p{L} names any letter", {"\\p{Lu}\\p{L}+"}, {"Łódź i Kraków"}, {"i"}, {0}},
        {"lone surrogates", {"x.", "^b"}, {QStringLiteral("ax") + QChar(0xD800) + "c", Lone + "b"}, {"ac", Lone + "b"}, {0}},
        // clang-format on
    };
    for (const auto& [What, Ignore, Passages, Left, Touched] : Cases) {
        const TStripped Stripped = TRuleSet({.Ignore = Ignore}).Strip(Passages);
        EXPECT_EQ(Stripped.Passages, Left) << What;
        EXPECT_EQ(Stripped.Touched, Touched) << What;
    }
}

TEST(RuleSet, FindsTriggerWordsAsWholeWordsWithPolishLetters)
{
    // The trigger words, the text, the words found in it.
    const std::tuple<QStringList, QString, QStringList> Cases[] = {
        {{"zysk"}, "Żysk i żysk", {}},
        {{"żysk"}, "ŻYSK, zysk", {"ŻYSK"}},
        {{"zysk"}, "ZYSK! (zysk) zysku nadzysk ązysk zyską zysk_", {"ZYSK", "zysk"}},
        {{"WIG"}, "WIG20 mWIG40 WIG", {"WIG"}},
        {{"zysk netto"}, "zysk   netto; zysknetto; zysk\nnetto", {"zysk   netto"}},
        {{"zysk", "zysk netto"}, "zysk netto i zysk", {"zysk netto", "zysk"}},
        {{"S&P 500", "c++", " "}, "indeks S&P 500 i C++.", {"S&P 500", "C++"}},
    };
    for (const auto& [Words, Text, Expected] : Cases) {
        QStringList Found;
        for (const TTriggerHit& Hit : TRuleSet({.Trigger = Words}).Triggers(Text))
            Found << Text.mid(Hit.Start, Hit.Length);
        EXPECT_EQ(Found, Expected) << Text.toStdString();
    }
    const QList<TTriggerHit> Hits =
        TRuleSet({.Trigger = {"spadek", "zysk"}}).Triggers(QStringList{"brak", "duży zysk", "spadek i zysk"});
    ASSERT_EQ(Hits.size(), 3);
    EXPECT_EQ((std::tuple(Hits[0].Passage, Hits[0].Start, Hits[0].Word)), std::tuple(1, 5, 1));
    EXPECT_EQ((std::tuple(Hits[2].Passage, Hits[2].Start, Hits[2].Word)), std::tuple(2, 9, 1));

    const TRulesReport Report =
        ReportRules({"o 12:00 zysk", "dywidenda", "nic", "ZYSK o 13:00"},
                    TRuleSet({.Ignore = {Clock}, .Trigger = {"strata", "zysk", "dywidenda"}}));
    EXPECT_EQ(Report.Ignored, (QList<int>{0, 3}));
    EXPECT_EQ(Report.Triggering, (QList<int>{0, 1, 3}));
    EXPECT_EQ(Report.Words, (QStringList{"zysk", "dywidenda"}));
}

TEST(RuleSet, BadExpressionsNameTheirErrorAndPosition)
{
    for (const auto& [Pattern, Offset] : {std::pair<QString, int>{"(abc", 4}, {"a{2,1}", 5}, {"[z-a]", 3}}) {
        const std::optional<TRuleError> Error = CheckPattern(Pattern);
        ASSERT_TRUE(Error) << Pattern.toStdString();
        EXPECT_EQ(Error->Offset, Offset);
        EXPECT_EQ(Error->what(), QStringLiteral("Błędne wyrażenie regularne „%1”: %2 (pozycja %3)")
                                     .arg(Pattern, Error->Error)
                                     .arg(Offset)
                                     .toStdString());
    }
    EXPECT_FALSE(CheckPattern(Clock));
    EXPECT_THROW(TRuleSet({.Ignore = {Clock, "("}}), TRuleError);
}

TEST(SourceRules, RoundTripThroughTheirEntries)
{
    const TSourceRules Rules{.Ignore = {"a=b; c", "\\d+"}, .Trigger = {"zysk netto"}, .NewOnly = false};
    EXPECT_EQ(RulesFromEntries(RulesToEntries(Rules)), Rules);
    EXPECT_EQ(RulesToEntries({}), (TRuleEntries{{"new_only", "1"}}));
    EXPECT_EQ(
        RulesFromEntries({{"ignore", ""}, {"trigger", "zysk"}, {"address", "x"}, {"new_only", "false"}}),
        (TSourceRules{.Trigger = {"zysk"}, .NewOnly = false}));
}

TEST(FailureStreak, SpeaksOnTheThirdFailureInARowAndOnceWhenItWorksAgain)
{
    TFailureStreak Streak("doakcji.pl");
    const QDateTime Start(QDate(2026, 12, 7), QTime(9, 0));
    QStringList Notices;
    for (const int Minutes : {0, 5, -1, 10, 15, 25, 30, -1, -1}) {
        const QString Notice = Minutes < 0
                                   ? Streak.Succeeded()
                                   : Streak.Failed(Start.addSecs(Minutes * 60), QString::number(Minutes));
        if (!Notice.isEmpty())
            Notices << Notice;
    }
    EXPECT_EQ(Notices, (QStringList{"doakcji.pl nie odpowiada od 15 min: 25", "doakcji.pl znów odpowiada"}));
    EXPECT_EQ(MinutesText(89), "1 min");
    EXPECT_EQ(MinutesText(3900), "1 godz. 5 min");
}
} // namespace
