// Download benchmark: one 16 MiB page from the loopback server through TSciager, with its blocking
// hand-over to the user-interface thread after every read of at most 1025 bytes, against the curl
// command-line tool fetching the same address; and the round trip of one hand-over on its own.
// Each figure is the median of a few runs; run it from a Release build.
#include "HandOver.h"
#include "LoopbackServer.h"
#include "Sciager.h"

#include <QCoreApplication>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {
using TClock = std::chrono::steady_clock;
constexpr std::size_t PageSize = 16 << 20;
constexpr int Runs = 5;

double Seconds(TClock::duration Span)
{
    return std::chrono::duration<double>(Span).count();
}

double Median(std::vector<double> Values)
{
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

// One download through the worker; the calling thread plays the user-interface thread.
double SciagerSeconds(const std::string& Url)
{
    bool Ended = false;
    bool Success = false;
    std::size_t Size = 0;
    auto* Worker = new TSciager;
    Worker->SetURL(Url);
    Worker->OnTerminate = [&](TSciager* Sender) {
        Ended = true;
        Success = Sender->Success();
        Size = Sender->ResultText().size();
    };
    const auto Start = TClock::now();
    Worker->Start();
    while (!Ended)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double Elapsed = Seconds(TClock::now() - Start);
    if (!Success || Size != PageSize)
        throw std::runtime_error("the worker's download failed");
    return Elapsed;
}

// One download by the curl tool: wall time including the process start, and curl's own total.
std::pair<double, double> CurlSeconds(const std::string& Url)
{
    const std::string Command = "curl -s -o /dev/null -w '%{time_total} %{size_download}' '" + Url + "'";
    const auto Start = TClock::now();
    FILE* Pipe = popen(Command.c_str(), "r");
    if (!Pipe)
        throw std::runtime_error("cannot run curl");
    double Total = 0;
    long long Size = 0;
    const int Read = std::fscanf(Pipe, "%lf %lld", &Total, &Size);
    if (pclose(Pipe) != 0 || Read != 2 || Size != static_cast<long long>(PageSize))
        throw std::runtime_error("the curl tool's download failed (is curl installed?)");
    return {Seconds(TClock::now() - Start), Total};
}

// Mean round trip of the worker's hand-over of an empty step from another thread.
double HandOverSeconds(int Count)
{
    std::atomic<bool> Finished = false;
    PrepareHandOver();
    const auto Start = TClock::now();
    std::thread Caller([&] {
        for (int I = 0; I < Count; ++I)
            HandOverToUserInterface([] {});
        Finished = true;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
    });
    while (!Finished)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double Elapsed = Seconds(TClock::now() - Start);
    Caller.join();
    return Elapsed / Count;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication App(argc, argv);
    TLoopbackServer Server;
    Server.Serve("/page", {.Body = std::string(PageSize, 'x')});
    const std::string Url = Server.Url("/page");

    SciagerSeconds(Url); // warm-up
    CurlSeconds(Url);
    std::vector<double> Worker, CurlWall, CurlOwn, HandOver;
    for (int Run = 0; Run < Runs; ++Run) {
        Worker.push_back(SciagerSeconds(Url));
        const auto [Wall, Own] = CurlSeconds(Url);
        CurlWall.push_back(Wall);
        CurlOwn.push_back(Own);
        HandOver.push_back(HandOverSeconds(20000));
    }

    const double MiB = PageSize / 1048576.0;
    const double Reads = PageSize / 1025.0 + 1;
    std::printf("16 MiB page, median of %d runs\n", Runs);
    std::printf("  TSciager (1025-byte reads, hand-over each): %8.1f ms  %7.1f MiB/s\n", Median(Worker) * 1e3,
                MiB / Median(Worker));
    std::printf("  curl tool, wall time incl. process start:   %8.1f ms  %7.1f MiB/s\n",
                Median(CurlWall) * 1e3, MiB / Median(CurlWall));
    std::printf("  curl tool, its own time_total:              %8.1f ms  %7.1f MiB/s\n",
                Median(CurlOwn) * 1e3, MiB / Median(CurlOwn));
    std::printf("  ratio TSciager / curl (wall):               %8.2f\n", Median(Worker) / Median(CurlWall));
    std::printf("one hand-over (round trip of an empty step): %.2f us\n", Median(HandOver) * 1e6);
    std::printf("  x %.0f reads of the page = %.1f ms\n", Reads, Median(HandOver) * Reads * 1e3);
    return 0;
}
