// The highlight in a real page view (run it on an X server): from the end of a 100 KB page's load
// to the first frame painted after its new passages are marked, in the page's own clock (the
// engine's load signal and the script's way into the page included); the script's own time; and
// the wall time from the address handed over to the marks applied.
#include "HighlightScript.h"
#include "Passages.h"
#include "WebBrowser.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <array>
#include <benchmark/benchmark.h>
#include <random>

namespace {
// A fragment page of about Size bytes of paragraphs and table rows.
QByteArray MakePage(int Size)
{
    static const char* const Words[] = {"kontrakty", "WIG20", "sesja", "obroty", "spadek", "wzrost", "rynek",
                                        "kurs",      "akcje", "banki", "pkt",    "zmiana", "popyt",  "podaz"};
    std::mt19937 Random(7);
    QByteArray Page =
        "<HTML><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1250\">"
        "</head>\r\n";
    for (int Paragraph = 0; Page.size() < Size; ++Paragraph) {
        Page += Paragraph % 5 == 4 ? "<table><tr><td>" : "<p>";
        Page += QByteArray::number(Paragraph) + ' ';
        for (int Word = 0; Word < 14; ++Word)
            Page += QByteArray(Words[Random() % std::size(Words)]) + ' ';
        Page += Paragraph % 5 == 4 ? "</td></tr></table>\r\n" : "</p>\r\n";
    }
    return Page + "</HTML>\r\n";
}

// Runs the event loop until Done holds.
void Await(const std::function<bool()>& Done)
{
    while (!Done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

void BM_Highlight100K(benchmark::State& State)
{
    QTemporaryDir Dir;
    const QByteArray Page = MakePage(100 * 1024);
    QStringList Passages = PagePassages({Page.data(), static_cast<std::size_t>(Page.size())});
    // Ten passages new, spread over the page.
    QStringList New;
    for (qsizetype I = 0; I < Passages.size(); I += Passages.size() / 10)
        New << Passages[I];
    TWebBrowser View;
    View.resize(800, 600);
    View.show();
    int Marked = -1;
    QObject::connect(&View, &TWebBrowser::Highlighted, [&](int Count) { Marked = Count; });
    View.SetHighlight(New);
    int Round = 0;
    std::array<double, 5> Sums{};
    for (auto _ : State) {
        const QString Path = Dir.filePath(QStringLiteral("page-%1.htm").arg(Round++));
        QFile File(Path);
        File.open(QIODevice::WriteOnly);
        File.write(Page);
        File.close();
        Marked = -1;
        QElapsedTimer Wall;
        Wall.start();
        View.Navigate(Path);
        Await([&] { return Marked >= 0; });
        const double ToMarks = Wall.nsecsElapsed() / 1e6;
        View.RunScript(QStringLiteral("requestAnimationFrame(() => requestAnimationFrame(() => "
                                      "{ window.tkwPainted = performance.now(); })); 0"));
        double LoadToPainted = -1;
        while (LoadToPainted < 0) {
            bool Answered = false;
            View.RunScript(QStringLiteral("window.tkwPainted ? window.tkwPainted - "
                                          "performance.getEntriesByType('navigation')[0].loadEventEnd : -1"),
                           [&](const QVariant& Value) {
                               LoadToPainted = Value.toDouble();
                               Answered = true;
                           });
            Await([&] { return Answered; });
        }
        State.SetIterationTime(LoadToPainted / 1000);
        Sums[0] += Marked;
        Sums[1] += LoadToPainted;
        Sums[2] += ToMarks;
        // The script's own share, the same marking run once more on the loaded page: its time, and
        // the time to the frame painted after it.
        double Script = -1;
        View.RunScript(
            QStringLiteral("window.tkwStart = performance.now(); ") + HighlightScript(New) +
                QStringLiteral(" window.tkwPainted = 0; requestAnimationFrame(() => requestAnimationFrame(() "
                               "=> { window.tkwPainted = performance.now() - window.tkwStart; })); "
                               "performance.now() - window.tkwStart"),
            [&](const QVariant& Value) { Script = Value.toDouble(); });
        Await([&] { return Script >= 0; });
        double ScriptToPainted = 0;
        while (ScriptToPainted <= 0) {
            bool Answered = false;
            View.RunScript(QStringLiteral("window.tkwPainted"), [&](const QVariant& Value) {
                ScriptToPainted = Value.toDouble();
                Answered = true;
            });
            Await([&] { return Answered; });
        }
        Sums[3] += Script;
        Sums[4] += ScriptToPainted;
    }
    const char* const Names[] = {"marked", "load_to_painted_ms", "navigate_to_marks_ms", "script_ms",
                                 "script_to_painted_ms"};
    for (std::size_t I = 0; I < Sums.size(); ++I)
        State.counters[Names[I]] = benchmark::Counter(Sums[I], benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Highlight100K)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
} // namespace

int main(int argc, char** argv)
{
    PreparePageViews();
    QApplication Application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
