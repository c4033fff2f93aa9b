// A source's rules on the passages of its page versions: ignored text, trigger words, new passages
// only, bad expressions, the rules' entries in the sources' file, and the failing-source notices.
#include "FailureStreak.h"
#include "RuleDecision.h"

#include <gtest/gtest.h>

namespace {
struct TDecisionCase
{
    const char* What;
    TSourceRules Rules;
    QStringList Previous;
    QStringList New;
    TRuleVerdict Verdict;
    QStringList Added;
    int Removed;
    QString TriggerPassage = {};
    QString Trigger = {};
};

const QString Clock = QStringLiteral("\\b\\d{1,2}:\\d{2}\\b");

TEST(RuleDecision, IgnoredTextIsNoChangeAndOnlyWhatMattersNotifies)
{
    const TDecisionCase Cases[] = {
        {"no rules: any change notifies", {}, {"a", "b"}, {"a", "c"}, TRuleVerdict::Notify, {"c"}, 1},
        {"a clock ignored",
         {.Ignore = {Clock}},
         {"Notowania z 12:31", "WIG20 rośnie"},
         {"Notowania z 12:36", "WIG20 rośnie"},
         TRuleVerdict::NoChange,
         {},
         0},
        {"a counter ignored, case insensitive with Polish letters",
         {.Ignore = {"odsłon: \\d+"}},
         {"ODSŁON: 1234 dziś"},
         {"Odsłon: 1240 dziś"},
         TRuleVerdict::NoChange,
         {},
         0},
        {"a passage that is all clock, gone and come back",
         {.Ignore = {Clock}},
         {"a", "12:31", "b"},
         {"a", "b", "12:40"},
         TRuleVerdict::NoChange,
         {},
         0},
        {"a real change next to ignored text counts, quoted as the page has it",
         {.Ignore = {Clock}},
         {"Kurs o 12:31: 100 pkt", "stałe"},
         {"Kurs o 12:36: 105 pkt", "stałe"},
         TRuleVerdict::Notify,
         {"Kurs o 12:36: 105 pkt"},
         1},
        {"removed only: marked quietly", {}, {"a", "b"}, {"a"}, TRuleVerdict::Quiet, {}, 1},
        {"removed only, every change wanted",
         {.NewOnly = false},
         {"a", "b"},
         {"a"},
         TRuleVerdict::Notify,
         {},
         1},
        {"a moved passage is no change", {}, {"a", "b"}, {"b", "a"}, TRuleVerdict::NoChange, {}, 0},
        {"a new passage without a trigger word is kept quietly",
         {.Trigger = {"zysk"}},
         {"a"},
         {"a", "strata netto"},
         TRuleVerdict::Quiet,
         {"strata netto"},
         0},
        {"the first new passage holding a trigger word notifies",
         {.Trigger = {"dywidenda", "zysk netto"}},
         {"a"},
         {"b", "a", "Spółka: ZYSK  netto wzrósł", "dywidenda"},
         TRuleVerdict::Notify,
         {"b", "Spółka: ZYSK  netto wzrósł", "dywidenda"},
         0,
         "Spółka: ZYSK  netto wzrósł",
         "zysk netto"},
        {"a trigger word inside ignored text does not count",
         {.Ignore = {"reklama:.*"}, .Trigger = {"zysk"}},
         {"a"},
         {"a", "Nowość. Reklama: zysk gwarantowany"},
         TRuleVerdict::Quiet,
         {"Nowość. Reklama: zysk gwarantowany"},
         0},
        {"removed only with trigger words and every change wanted",
         {.Trigger = {"zysk"}, .NewOnly = false},
         {"zysk", "a"},
         {"a"},
         TRuleVerdict::Quiet,
         {},
         1},
    };
    for (const TDecisionCase& Case : Cases) {
        const TRuleDecision Decision = DecideChange(Case.Previous, Case.New, TRuleSet(Case.Rules));
        EXPECT_EQ(Decision.Verdict, Case.Verdict) << Case.What;
        EXPECT_EQ(Decision.Added, Case.Added) << Case.What;
        EXPECT_EQ(Decision.Removed, Case.Removed) << Case.What;
        EXPECT_EQ(Decision.TriggerPassage, Case.TriggerPassage) << Case.What;
        EXPECT_EQ(Decision.Trigger, Case.Trigger) << Case.What;
    }
}

struct TStripCase
{
    const char* What;
    QStringList Ignore;
    QStringList Passages;
    QStringList Left;
    QList<int> Touched;
};

TEST(RuleSet, StripsWhatAnyRuleMatchesInEachPassage)
{
    const TStripCase Cases[] = {
        {"overlapping matches of two rules, in either order",
         {"b+c", "ab"},
         {"xabbcx", "abc"},
         {"xx"},
         {0, 1}},
        {"the same, rules swapped", {"ab", "b+c"}, {"xabbcx", "abc"}, {"xx"}, {0, 1}},
        {"^ and $ are each passage's ends", {"^\\d+", "\\d+$"}, {"1 a 2", "3 b 4"}, {"a", "b"}, {0, 1}},
        {"a match never joins two passages", {"a[^x]*b"}, {"1 a", "b 2"}, {"1 a", "b 2"}, {}},
        {"nor runs on into the next", {"a[^x]*"}, {"1 a", "b a 2"}, {"1", "b"}, {0, 1}},
        {"nor starts at the break", {"\\s+\\d?"}, {"a b", "1 c"}, {"ab", "1c"}, {0, 1}},
        {"spaces left by a match collapse", {"\\(.*?\\)"}, {"WIG (12:00) 2 300"}, {"WIG 2 300"}, {0}},
        {"an expression matching nothing in particular", {"x*"}, {"abc"}, {"abc"}, {}},
        {"\\p{L} names any letter", {"\\p{Lu}\\p{L}+"}, {"Łódź i Kraków"}, {"i"}, {0}},
        {"no rules", {}, {"a", "b"}, {"a", "b"}, {}},
        {"a lone surrogate, as a numeric entity makes",
         {"x.", "^b"},
         {QStringLiteral("ax") + QChar(0xD800) + "c", QString(QChar(0xDC00)) + "b"},
         {"ac", QString(QChar(0xDC00)) + "b"},
         {0}},
    };
    for (const TStripCase& Case : Cases) {
        const TStripped Stripped = TRuleSet({.Ignore = Case.Ignore}).Strip(Case.Passages);
        EXPECT_EQ(Stripped.Passages, Case.Left) << Case.What;
        EXPECT_EQ(Stripped.Touched, Case.Touched) << Case.What;
    }
}

struct TTriggerCase
{
    QStringList Words;
    QString Text;
    QStringList Found; // the text of each hit
};

TEST(RuleSet, FindsTriggerWordsAsWholeWordsWithPolishLetters)
{
    const TTriggerCase Cases[] = {
        {{"zysk"}, "Żysk i żysk", {}},
        {{"żysk"}, "ŻYSK, zysk", {"ŻYSK"}},
        {{"zysk"}, "ZYSK! (zysk) zysk.", {"ZYSK", "zysk", "zysk"}},
        {{"zysk"}, "zysku nadzysk ązysk zyską zysk_", {}},
        {{"śląsk"}, "Górny ŚLĄSK", {"ŚLĄSK"}},
        {{"WIG"}, "WIG20 mWIG40 WIG", {"WIG"}},
        {{"zysk netto"}, "zysk   netto; zysknetto; zysk\nnetto", {"zysk   netto"}},
        {{"zysk", "zysk netto"}, "zysk netto i zysk", {"zysk netto", "zysk"}},
        {{"S&P 500", "c++"}, "indeks S&P 500 i C++.", {"S&P 500", "C++"}},
        {{"  ", ""}, "  ", {}},
    };
    for (const TTriggerCase& Case : Cases) {
        const TRuleSet Rules({.Trigger = Case.Words});
        QStringList Found;
        for (const TTriggerHit& Hit : Rules.Triggers(Case.Text))
            Found << Case.Text.mid(Hit.Start, Hit.Length);
        EXPECT_EQ(Found, Case.Found) << Case.Words.join('|').toStdString() << " in "
                                     << Case.Text.toStdString();
    }

    const TRuleSet Rules({.Trigger = {"spadek", "zysk"}});
    const QList<TTriggerHit> Hits = Rules.Triggers(QStringList{"brak", "duży zysk", "spadek i zysk"});
    ASSERT_EQ(Hits.size(), 3);
    EXPECT_EQ((std::tuple(Hits[0].Passage, Hits[0].Start, Hits[0].Word)), std::tuple(1, 5, 1));
    EXPECT_EQ((std::tuple(Hits[1].Passage, Hits[1].Start, Hits[1].Word)), std::tuple(2, 0, 0));
    EXPECT_EQ((std::tuple(Hits[2].Passage, Hits[2].Start, Hits[2].Word)), std::tuple(2, 9, 1));
}

TEST(RuleSet, BadExpressionsNameTheirErrorAndPosition)
{
    const struct
    {
        QString Pattern;
        qsizetype Offset;
    } Cases[] = {{"(abc", 4}, {"a{2,1}", 5}, {"[z-a]", 3}, {"ok|(?<n", 7}};
    for (const auto& Case : Cases) {
        const std::optional<TRuleError> Error = CheckPattern(Case.Pattern);
        ASSERT_TRUE(Error) << Case.Pattern.toStdString();
        EXPECT_EQ(Error->Offset, Case.Offset) << Case.Pattern.toStdString();
        EXPECT_FALSE(Error->Error.isEmpty());
        EXPECT_TRUE(QString::fromStdString(Error->what())
                        .startsWith("Błędne wyrażenie regularne „" + Case.Pattern + "”: " + Error->Error))
            << Error->what();
        EXPECT_TRUE(
            QString::fromStdString(Error->what()).endsWith(QStringLiteral("(pozycja %1)").arg(Case.Offset)))
            << Error->what();
    }
    EXPECT_FALSE(CheckPattern(Clock));
    try {
        TRuleSet({.Ignore = {Clock, "(", "["}});
        ADD_FAILURE() << "a bad expression compiled";
    } catch (const TRuleError& Error) {
        EXPECT_EQ(Error.Pattern, "(") << "the first bad one is named";
    }
}

TEST(RuleDecision, ReportsIgnoredAndTriggeringPassagesOfAPage)
{
    const TRuleSet Rules({.Ignore = {Clock, "^reklama$"}, .Trigger = {"zysk", "dywidenda", "strata"}});
    const TRulesReport Report =
        ReportRules({"o 12:00 zysk i dywidenda", "reklama", "zysk", "nic", "ZYSK o 13:00"}, Rules);
    EXPECT_EQ(Report.Ignored, (QList<int>{0, 1, 4}));
    EXPECT_EQ(Report.Triggering, (QList<int>{0, 2, 4}));
    EXPECT_EQ(Report.Words, (QStringList{"zysk", "dywidenda"}));
}

TEST(SourceRules, RoundTripThroughTheirEntries)
{
    const TSourceRules Rules{
        .Ignore = {"a=b; c", "\\d+\\s*zł"}, .Trigger = {"zysk netto", "ż"}, .NewOnly = false};
    const TRuleEntries Entries = RulesToEntries(Rules);
    EXPECT_EQ(Entries.size(), 5);
    EXPECT_EQ(Entries.back(), (std::pair<QString, QString>("new_only", "0")));
    EXPECT_EQ(RulesFromEntries(Entries), Rules);
    EXPECT_EQ(RulesToEntries({}), (TRuleEntries{{"new_only", "1"}}));

    const TSourceRules Read = RulesFromEntries({{"ignore", ""},
                                                {"trigger", "zysk"},
                                                {"address", "http://x"},
                                                {"new_only", "false"},
                                                {"ignore", "x"}});
    EXPECT_EQ(Read, (TSourceRules{.Ignore = {"x"}, .Trigger = {"zysk"}, .NewOnly = false}));
    EXPECT_TRUE(RulesFromEntries({{"new_only", "yes"}}).NewOnly);
}

TEST(FailureStreak, SpeaksOnTheThirdFailureInARowAndOnceWhenItWorksAgain)
{
    TFailureStreak Streak("doakcji.pl");
    const QDateTime Start(QDate(2026, 12, 7), QTime(9, 0));
    const auto At = [&](int Minutes) { return Start.addSecs(Minutes * 60); };
    QStringList Notices;
    const auto Say = [&](const QString& Notice) {
        if (!Notice.isEmpty())
            Notices << Notice;
    };
    Say(Streak.Failed(At(0), "HTTP 503"));
    Say(Streak.Failed(At(5), "HTTP 503"));
    Say(Streak.Succeeded());
    EXPECT_TRUE(Notices.isEmpty()) << "two failures and a success say nothing";
    Say(Streak.Failed(At(10), "HTTP 503"));
    Say(Streak.Failed(At(15), "HTTP 503"));
    Say(Streak.Failed(At(25), "przekroczony czas"));
    Say(Streak.Failed(At(30), "HTTP 503"));
    Say(Streak.Failed(At(35), "HTTP 503"));
    Say(Streak.Succeeded());
    Say(Streak.Succeeded());
    EXPECT_EQ(Notices, (QStringList{"doakcji.pl nie odpowiada od 15 min: przekroczony czas",
                                    "doakcji.pl znów odpowiada"}));

    const struct
    {
        qint64 Seconds;
        const char* Text;
    } Durations[] = {{0, "1 min"}, {89, "1 min"}, {90, "2 min"}, {3600, "1 godz."}, {3900, "1 godz. 5 min"}};
    for (const auto& Duration : Durations)
        EXPECT_EQ(MinutesText(Duration.Seconds), Duration.Text) << Duration.Seconds;
}
} // namespace
