// Soak run: the real window refreshes its five sources from the loopback server cycle after cycle,
// through its own timer set to a few milliseconds, with faults mixed in so that some sources fail
// in different ways in every cycle. Each cycle waits for every source to be idle again. Every 50
// cycles it prints the process's resident memory (now and at its peak), thread count and open
// descriptors; after the warm-up these must stay flat. Every 10th cycle one source other than the
// visible first one answers with a
// body that never ends, which the worker's size limit (64 MiB) must end; the peak shows what that
// costs. Run it on an X server (bench/soak.sh starts a virtual one).
//
//   tkw_soak_bench [--cycles N] [--endless-every K]      (defaults 500 and 10; K 0: never)
#include "Application.h"
#include "ClosedPort.h"
#include "HttpSession.h"
#include "LoopbackServer.h"
#include "TKW.h"
#include "TempDir.h"
#include "WaitUntil.h"
#include "WebBrowser.h"

#include <QDeadlineTimer>
#include <QTimer>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <netinet/in.h>
#include <random>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
using namespace std::chrono_literals;
using TFault = TReply::TFault;
using TClock = std::chrono::steady_clock;

constexpr int ReportEvery = 50;

// A field of /proc/self/status such as "VmRSS:" or "Threads:", as a number (kB for sizes).
long StatusField(const std::string& Field)
{
    std::ifstream Status("/proc/self/status");
    for (std::string Line; std::getline(Status, Line);)
        if (Line.starts_with(Field))
            return std::strtol(Line.c_str() + Field.size(), nullptr, 10);
    return -1;
}

int OpenDescriptors()
{
    int Count = 0;
    if (DIR* Dir = opendir("/proc/self/fd")) {
        while (const dirent* Entry = readdir(Dir))
            if (Entry->d_name[0] != '.')
                ++Count;
        closedir(Dir);
        --Count; // the directory stream's own
    }
    return Count;
}

// The process's threads by name, as "name x count" pieces. Download threads and the loopback
// server's carry the program's name; the framework's and the page views' have names of their own.
std::string ThreadsByName()
{
    std::map<std::string, int> Count;
    for (const auto& Task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::string Name;
        std::getline(std::ifstream(Task.path() / "comm"), Name);
        ++Count[Name];
    }
    std::string Text;
    for (const auto& [Name, Number] : Count)
        Text += (Text.empty() ? "" : ", ") + Name + " x" + std::to_string(Number);
    return Text;
}

std::string Name(int Source)
{
    std::string Text(1, 's');
    return Text += std::to_string(Source);
}

std::string PageOf(int Source, int Cycle, std::size_t Filler)
{
    if (Source == IndexSource)
        return "<a href=\"/lib/php/p_glowna.php?sesid=C" + std::to_string(Cycle) + "\">WIG</a>\r\n" +
               std::string(Filler, ' ') + "\r\n";
    return "head <" + Name(Source) + ">cycle " + std::to_string(Cycle) + " <b>news</b>\r\n" +
           std::string(Filler, 'n') + "</" + Name(Source) + "> tail\r\n";
}

std::string EveryByte()
{
    std::string Bytes;
    for (int Value = 0; Value < 256; ++Value)
        Bytes += static_cast<char>(Value);
    return Bytes;
}

enum class TKind
{
    Good,
    Refused,
    BreakOff,
    Status404,
    Status500,
    Status503,
    RedirectLoop,
    Trickle,
    Binary,
    Large,
    Stall,
    Endless,
    Count
};

const char* KindName(TKind Kind)
{
    static const char* const Names[] = {"good",          "refused", "break-off", "404",   "500",   "503",
                                        "redirect loop", "trickle", "binary",    "4 MiB", "stall", "endless"};
    return Names[static_cast<int>(Kind)];
}

// A server on 127.0.0.1 whose every reply is a status line, headers without a length, and then a
// body that goes on until the client hangs up or the server ends.
class TEndlessServer
{
public:
    TEndlessServer()
    {
        sockaddr_in Address{};
        Address.sin_family = AF_INET;
        Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t Length = sizeof Address;
        if (Listener < 0 || bind(Listener, reinterpret_cast<sockaddr*>(&Address), sizeof Address) != 0 ||
            listen(Listener, 16) != 0 ||
            getsockname(Listener, reinterpret_cast<sockaddr*>(&Address), &Length) != 0)
            throw std::runtime_error("cannot start the endless server");
        Port = ntohs(Address.sin_port);
        Acceptor = std::thread([this] { Accept(); });
    }
    ~TEndlessServer()
    {
        Ending = true;
        shutdown(Listener, SHUT_RDWR);
        Acceptor.join();
        for (std::thread& Reply : Replies)
            Reply.join();
        close(Listener);
    }
    TEndlessServer(const TEndlessServer&) = delete;
    TEndlessServer& operator=(const TEndlessServer&) = delete;

    std::string Url(const std::string& Path) const
    {
        return "http://127.0.0.1:" + std::to_string(Port) + Path;
    }

private:
    void Accept()
    {
        while (!Ending) {
            const int Client = accept4(Listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (Client < 0)
                continue;
            Replies.emplace_back([this, Client] { Reply(Client); });
        }
    }
    void Reply(int Client)
    {
        char Request[4096];
        [[maybe_unused]] const ssize_t Read = recv(Client, Request, sizeof Request, 0);
        const timeval Wait{.tv_sec = 0, .tv_usec = 200000};
        setsockopt(Client, SOL_SOCKET, SO_SNDTIMEO, &Wait, sizeof Wait);
        const std::string Head = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n";
        const std::string Block(64 << 10, 'e');
        bool Open = send(Client, Head.data(), Head.size(), MSG_NOSIGNAL) > 0;
        while (Open && !Ending) {
            const ssize_t Sent = send(Client, Block.data(), Block.size(), MSG_NOSIGNAL);
            Open = Sent > 0 || (Sent < 0 && (errno == EAGAIN || errno == EINTR));
        }
        close(Client);
    }

    int Listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    std::uint16_t Port = 0;
    std::atomic<bool> Ending = false;
    std::thread Acceptor;
    std::vector<std::thread> Replies; // the acceptor's own
};

struct TOptions
{
    int Cycles = 500;
    int EndlessEvery = 10;
};

TOptions ParseOptions(int argc, char** argv)
{
    TOptions Options;
    for (int I = 1; I < argc; ++I) {
        if (std::strcmp(argv[I], "--cycles") == 0 && I + 1 < argc)
            Options.Cycles = std::max(1, std::atoi(argv[++I]));
        else if (std::strcmp(argv[I], "--endless-every") == 0 && I + 1 < argc)
            Options.EndlessEvery = std::max(0, std::atoi(argv[++I]));
        else if (argv[I][0] == '-' && argv[I][1] == '-')
            throw std::invalid_argument(std::string("unknown option ") + argv[I]);
    }
    return Options;
}

int Run(const TOptions& Options)
{
    TTempDir WorkDir;
    TTempDir ProgramDir;
    std::filesystem::current_path(WorkDir.Path());
    // The sources are served by a server of their own in every cycle, which ends with the cycle: the
    // server keeps a log of every request, which would otherwise grow with the run and be counted
    // as the program's memory. The index tab shows its quotes page from a loopback server too.
    std::unique_ptr<TLoopbackServer> Server;
    TLoopbackServer Quotes;
    Quotes.Serve("/lib/php/gieldy.php", {.Body = "<html><body>quotes</body></html>"});
    setenv("TICKERWELL_QUOTES_SERVER", Quotes.Url("").c_str(), 1);
    const TClosedPort Refusing;
    const TEndlessServer Endless;
    // Stalled downloads are broken off after this much silence.
    THttpSession::TLimits Limits = THttpSession::DefaultLimits();
    Limits.Idle = 500ms;
    THttpSession::SetDefaultLimits(Limits);

    int ErrorBoxes = 0;
    TApplication::SetErrorBoxHook([&](const QString& Text) {
        ++ErrorBoxes;
        std::fprintf(stderr, "error box: %s\n", Text.toUtf8().constData());
    });

    TForm1 Form;
    Form.ProgramDir = ProgramDir.Dir();
    Form.show();
    const auto AllIdle = [&Form] {
        for (bool Flag : Form.Busy)
            if (Flag)
                return false;
        return true;
    };

    std::mt19937 Random(20240601);
    std::discrete_distribution<int> Pick({30, 3, 3, 2, 2, 2, 2, 3, 3, 2, 0, 0});
    std::array<int, static_cast<int>(TKind::Count)> Met{};
    const std::string Binary = EveryByte();

    // Serves this cycle's replies and writes the configuration the next refresh reads.
    const auto Prepare = [&](int Cycle) {
        Server = std::make_unique<TLoopbackServer>();
        std::string Configuration;
        for (int Source = 0; Source < SourceCount; ++Source) {
            auto Kind = static_cast<TKind>(Pick(Random));
            // Every 25th cycle one source stalls past the time-out.
            if (Cycle % 25 == 0 && Source == (Cycle / 25) % SourceCount)
                Kind = TKind::Stall;
            else if (Options.EndlessEvery > 0 && Cycle % Options.EndlessEvery == 0 &&
                     Source == 1 + (Cycle / Options.EndlessEvery) % (SourceCount - 1))
                Kind = TKind::Endless;
            ++Met[static_cast<int>(Kind)];
            std::string Path(1, '/');
            Path += Name(Source);
            std::string Address = Server->Url(Path);
            const std::string Page = PageOf(Source, Cycle, 2000);
            switch (Kind) {
            case TKind::Good:
            case TKind::Count:
                Server->Serve(Path, {.Body = Page});
                break;
            case TKind::Refused:
                Address = Refusing.Url(Path);
                break;
            case TKind::BreakOff:
                Server->Serve(Path, {.Body = Page, .Fault = TFault::BreakOff});
                break;
            case TKind::Status404:
                Server->Serve(Path, {.Status = 404, .Body = Page});
                break;
            case TKind::Status500:
                Server->Serve(Path, {.Status = 500, .Body = Page});
                break;
            case TKind::Status503:
                Server->Serve(Path, {.Status = 503, .Body = Page});
                break;
            case TKind::RedirectLoop:
                Server->Serve(Path, {.Fault = TFault::RedirectLoop});
                break;
            case TKind::Trickle:
                Server->Serve(Path, {.Body = PageOf(Source, Cycle, 100),
                                     .Fault = TFault::Trickle,
                                     .TrickleChunk = 32,
                                     .TrickleDelay = 5ms});
                break;
            case TKind::Binary:
                Server->Serve(Path, {.Body = Page + Binary});
                break;
            case TKind::Large:
                Server->Serve(Path, {.Body = Page + std::string(4 << 20, 'z') + "\r\n"});
                break;
            case TKind::Stall:
                Server->Serve(Path, {.Body = Page, .Fault = TFault::Stall, .StallAfter = 100});
                break;
            case TKind::Endless:
                Address = Endless.Url(Path);
                break;
            }
            Configuration += Address + "\r<" + Name(Source) + ">\r</" + Name(Source) + ">\r";
        }
        std::ofstream("dane.txt", std::ios::binary | std::ios::trunc) << Configuration;
    };

    // The first refresh is the press of START; it also starts the timer, which from then on runs
    // every refresh, one tick per cycle.
    int Ticks = 0;
    std::size_t Requests = 0;
    QObject::connect(Form.Timer1, &QTimer::timeout, &Form, [&] {
        ++Ticks;
        Form.Timer1->stop();
    });
    Prepare(0);
    Form.Button1->click();
    Form.Timer1->stop();
    Form.Timer1->setInterval(5);
    if (!WaitUntil(AllIdle, 120))
        throw std::runtime_error("the first refresh did not end");
    Requests += Server->Requests().size();
    Server.reset();

    std::printf("%6s %10s %10s %8s %6s %10s\n", "cycle", "VmRSS kB", "VmHWM kB", "threads", "fds", "seconds");
    long Rss50 = 0;
    long Threads50 = 0;
    int Fds50 = 0;
    const auto Start = TClock::now();
    for (int Cycle = 1; Cycle <= Options.Cycles; ++Cycle) {
        Prepare(Cycle);
        // A tick may run inside another, as a press of the button can: count any.
        const int TicksBefore = Ticks;
        Form.Timer1->start();
        if (!WaitUntil([&] { return Ticks > TicksBefore; }, 60))
            throw std::runtime_error("no timer tick in cycle " + std::to_string(Cycle));
        // An endless body takes a while to reach the size limit through the worker's small reads.
        if (!WaitUntil(AllIdle, 600))
            throw std::runtime_error("sources still busy at the end of cycle " + std::to_string(Cycle));
        Requests += Server->Requests().size();
        Server.reset();
        if (Cycle % ReportEvery == 0 || Cycle == Options.Cycles) {
            // The page views finish loading before the figures are taken.
            const QDeadlineTimer Pause(200);
            WaitUntil([&] { return Pause.hasExpired(); }, 10);
            const long Rss = StatusField("VmRSS:");
            const long Threads = StatusField("Threads:");
            const int Fds = OpenDescriptors();
            std::printf("%6d %10ld %10ld %8ld %6d %10.1f\n", Cycle, Rss, StatusField("VmHWM:"), Threads, Fds,
                        std::chrono::duration<double>(TClock::now() - Start).count());
            std::fflush(stdout);
            if (Cycle == ReportEvery || Cycle == Options.Cycles)
                std::printf("       threads: %s\n", ThreadsByName().c_str());
            if (Cycle == ReportEvery) {
                Rss50 = Rss;
                Threads50 = Threads;
                Fds50 = Fds;
            }
        }
    }

    std::printf("\nfaults met (source downloads):");
    for (int Kind = 0; Kind < static_cast<int>(TKind::Count); ++Kind)
        std::printf(" %s %d%s", KindName(static_cast<TKind>(Kind)), Met[Kind],
                    Kind + 1 < static_cast<int>(TKind::Count) ? "," : "\n");
    int Busy = 0;
    for (bool Flag : Form.Busy)
        Busy += Flag ? 1 : 0;
    std::printf("requests: %zu to the sources, %zu to the quotes page; error boxes: %d; sources busy at the "
                "end: %d\n",
                Requests, Quotes.Requests().size(), ErrorBoxes, Busy);
    if (Options.Cycles > ReportEvery)
        std::printf("from cycle %d to %d: VmRSS %+ld kB, threads %+ld, fds %+d\n", ReportEvery,
                    Options.Cycles, StatusField("VmRSS:") - Rss50, StatusField("Threads:") - Threads50,
                    OpenDescriptors() - Fds50);
    TApplication::SetErrorBoxHook({});
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    try {
        const TOptions Options = ParseOptions(argc, argv);
        PreparePageViews();
        TApplication Application(argc, argv);
        return Run(Options);
    } catch (const std::exception& Error) {
        std::fprintf(stderr, "tkw_soak_bench: %s\n", Error.what());
        return 1;
    }
}
