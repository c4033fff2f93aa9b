// Throughput of the text routines on large pages, beside memcpy of the same bytes for scale.
#include "TextPage.h"
#include "TextRoutines.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <string>

namespace {
constexpr std::size_t MiB = 1024 * 1024;

// A page in line form of about Size bytes: HTML lines of some 80 characters, a link in every
// fourth line, the start marker near the top and the end marker near the bottom.
std::string MakePage(std::size_t Size)
{
    std::string Page;
    Page.reserve(Size + 200);
    Page += "<html><head><title>Komentarz</title></head><body>\r\n";
    Page += "<!-- komentarz -->\r\n";
    for (std::size_t Line = 0; Page.size() < Size - 64; ++Line) {
        if (Line % 4 == 0)
            Page += "<a href=\"/futures/k.htm\">Kontrakty</a> na WIG20 zyskaly, obroty rosna.\r\n";
        else
            Page += "<td class=\"kurs\">Kurs zamkniecia 2345,50 pkt; zmiana +1,25%</td><td>-</td>\r\n";
    }
    Page += "<!-- /komentarz -->\r\n</body></html>\r\n";
    return Page;
}

void SetThroughput(benchmark::State& State, std::size_t Bytes)
{
    State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations()) * static_cast<std::int64_t>(Bytes));
}

void BM_Memcpy(benchmark::State& State)
{
    const std::string Page = MakePage(static_cast<std::size_t>(State.range(0)));
    std::string Copy(Page.size(), '\0');
    for (auto _ : State) {
        std::memcpy(Copy.data(), Page.data(), Page.size());
        benchmark::DoNotOptimize(Copy.data());
        benchmark::ClobberMemory();
    }
    SetThroughput(State, Page.size());
}

// The floor for a routine that returns a new string of the page's size: allocation and first touch
// of its memory included.
void BM_CopyToNewString(benchmark::State& State)
{
    const std::string Page = MakePage(static_cast<std::size_t>(State.range(0)));
    for (auto _ : State)
        benchmark::DoNotOptimize(std::string(Page));
    SetThroughput(State, Page.size());
}

void BM_NormalizeLines(benchmark::State& State)
{
    const std::string Page = MakePage(static_cast<std::size_t>(State.range(0)));
    for (auto _ : State)
        benchmark::DoNotOptimize(NormalizeLines(Page));
    SetThroughput(State, Page.size());
}

// Lone LF breaks: every line gets a byte longer, so the output outgrows its first reservation.
void BM_NormalizeLinesFromLf(benchmark::State& State)
{
    const std::string Page = ReplaceAll("\r\n", "\n", MakePage(static_cast<std::size_t>(State.range(0))));
    for (auto _ : State)
        benchmark::DoNotOptimize(NormalizeLines(Page));
    SetThroughput(State, Page.size());
}

// One match in every fourth line, as in the link rewrites.
void BM_ReplaceAllManyMatches(benchmark::State& State)
{
    const std::string Page = MakePage(static_cast<std::size_t>(State.range(0)));
    for (auto _ : State)
        benchmark::DoNotOptimize(
            ReplaceAll("href=\"/futures/", "href=\"https://www.parkiet.com/futures/", Page));
    SetThroughput(State, Page.size());
}

// A match on every line break: the densest common case.
void BM_ReplaceAllEveryLine(benchmark::State& State)
{
    const std::string Page = MakePage(static_cast<std::size_t>(State.range(0)));
    for (auto _ : State)
        benchmark::DoNotOptimize(ReplaceAll("\r\n", "<br>\r\n", Page));
    SetThroughput(State, Page.size());
}

void BM_ReplaceAllNoMatch(benchmark::State& State)
{
    const std::string Page = MakePage(static_cast<std::size_t>(State.range(0)));
    for (auto _ : State)
        benchmark::DoNotOptimize(ReplaceAll("/welcome.jsp?", "news/newsPlainContent.jsp?", Page));
    SetThroughput(State, Page.size());
}

void BM_CutBetweenMarkers(benchmark::State& State)
{
    const std::string Page = MakePage(static_cast<std::size_t>(State.range(0)));
    for (auto _ : State)
        benchmark::DoNotOptimize(
            CutBetweenMarkers(Page, "<!-- komentarz -->", "<!-- /komentarz -->").Fragment);
    SetThroughput(State, Page.size());
}

// A source of one's own: a Windows-1250 page decoded, cut and written as UTF-8; range(1) makes one
// byte of the page one that is no Windows-1250 character, which sends it down the slower path that
// decodes one character at a time.
void BM_BuildTextPage(benchmark::State& State)
{
    std::string Page = MakePage(static_cast<std::size_t>(State.range(0)));
    Page = ReplaceAll("zyskaly", "zyska\xB3y", Page);
    if (State.range(1))
        Page[Page.size() / 2] = '\x98';
    for (auto _ : State)
        benchmark::DoNotOptimize(BuildTextPage(Page, "text/html; charset=windows-1250", "https://a.pl/",
                                               "<!-- komentarz -->", "<!-- /komentarz -->")
                                     .FileBytes);
    SetThroughput(State, Page.size());
}
} // namespace

BENCHMARK(BM_Memcpy)->Arg(1 * MiB)->Arg(16 * MiB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyToNewString)->Arg(1 * MiB)->Arg(16 * MiB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NormalizeLines)->Arg(1 * MiB)->Arg(16 * MiB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NormalizeLinesFromLf)->Arg(1 * MiB)->Arg(16 * MiB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReplaceAllManyMatches)->Arg(1 * MiB)->Arg(16 * MiB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReplaceAllEveryLine)->Arg(1 * MiB)->Arg(16 * MiB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReplaceAllNoMatch)->Arg(1 * MiB)->Arg(16 * MiB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CutBetweenMarkers)->Arg(1 * MiB)->Arg(16 * MiB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildTextPage)
    ->Args({100 * 1024, 0})
    ->Args({100 * 1024, 1})
    ->Args({1 * MiB, 0})
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
