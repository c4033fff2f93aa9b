// A source's rules on a 100 KB page: 20 ignore rules and 20 trigger words deciding on a change
// between two versions (both versions stripped, compared, the new passages searched), and the
// report of one version, beside the bare comparison of the same passages.
#include "PassageDiff.h"
#include "Passages.h"
#include "RuleDecision.h"

#include <benchmark/benchmark.h>
#include <random>

namespace {
// A commentary page of about Size bytes whose passages carry times, counters and prices, with the
// passage at Changed given a different sentence.
std::string MakePage(std::size_t Size, int Changed = -1)
{
    static const char* const Words[] = {"kontrakty", "WIG20",   "sesja", "obroty", "spadek",
                                        "wzrost",    "rynek",   "kurs",  "akcje",  "banki",
                                        "pkt",       "zmiana",  "popyt", "podaż",  "opór",
                                        "trend",     "dzisiaj", "jutro", "zysk",   "inwestorzy"};
    std::mt19937 Random(7);
    std::string Page = "<html><head><meta charset=\"utf-8\"></head><body>\r\n";
    for (int Passage = 0; Page.size() < Size; ++Passage) {
        Page += "<p>" + std::to_string(Random() % 24) + ":" + std::to_string(10 + Random() % 50) + " ";
        if (Passage == Changed)
            Page += "Nowe zdanie o sesji. ";
        for (int Word = 0; Word < 12; ++Word)
            Page += std::string(Words[Random() % std::size(Words)]) + ' ';
        Page += "odsłon: " + std::to_string(Random() % 100000) + " kurs " + std::to_string(Random() % 1000) +
                ",5 zł</p>\r\n";
    }
    return Page + "</body></html>\r\n";
}

TSourceRules TwentyOfEach()
{
    TSourceRules Rules;
    Rules.Ignore = {"\\b\\d{1,2}:\\d{2}\\b",
                    "odsłon: \\d+",
                    "\\d+,\\d+ zł",
                    "reklama.*",
                    "^sponsor",
                    "\\[\\d+\\]",
                    "aktualizacja \\S+",
                    "czytaj więcej",
                    "komentarze \\(\\d+\\)",
                    "udostępnij",
                    "\\bpolub\\b",
                    "©.*$",
                    "źródło: \\w+",
                    "fot\\. \\w+",
                    "\\d+ min temu",
                    "dodano \\d+",
                    "wyświetle[nń]\\w* \\d+",
                    "#\\w+",
                    "@\\w+",
                    "https?://\\S+"};
    Rules.Trigger = {"dywidenda", "zysk netto",   "upadłość",     "emisja akcji", "skup akcji",
                     "wezwanie",  "rekomendacja", "KNF",          "przejęcie",    "fuzja",
                     "strata",    "odpis",        "obniżka stóp", "RPP",          "default",
                     "split",     "ABB",          "IPO",          "delisting",    "zawieszenie obrotu"};
    return Rules;
}

void BM_DecideChange100K(benchmark::State& State)
{
    const QStringList Old = PagePassages(MakePage(100 * 1024));
    const QStringList New = PagePassages(MakePage(100 * 1024, 300));
    const TRuleSet Rules(TwentyOfEach());
    for (auto _ : State)
        benchmark::DoNotOptimize(DecideChange(Old, New, Rules));
    State.counters["passages"] = double(New.size());
}
BENCHMARK(BM_DecideChange100K)->Unit(benchmark::kMillisecond);

void BM_ReportRules100K(benchmark::State& State)
{
    const QStringList Passages = PagePassages(MakePage(100 * 1024));
    const TRuleSet Rules(TwentyOfEach());
    for (auto _ : State)
        benchmark::DoNotOptimize(ReportRules(Passages, Rules));
}
BENCHMARK(BM_ReportRules100K)->Unit(benchmark::kMillisecond);

// The anchor: the comparison that runs without rules.
void BM_ComparePassages100K(benchmark::State& State)
{
    const QStringList Old = PagePassages(MakePage(100 * 1024));
    const QStringList New = PagePassages(MakePage(100 * 1024, 300));
    for (auto _ : State)
        benchmark::DoNotOptimize(ComparePassages(Old, New));
}
BENCHMARK(BM_ComparePassages100K)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
