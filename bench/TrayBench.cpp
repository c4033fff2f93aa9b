// Tray benchmark: the real window on a recording tray, its five sources served by the loopback
// server. It prints, for the program and its helper processes together:
//   memory (PSS) with the window up after a refresh, and 10 s after going to the tray
//   the same after N refreshes in the tray (default 200)
//   from "Open..." to the visible tab painted with its page
//   CPU time and context switches over 30 s idle in the tray
//   CPU time over 30 s with the window up and a tab not shown whose page runs a 100 ms timer, and
//   beside it the same page on the tab shown
// bench/tray.sh runs it on a virtual X server beside a bare Qt web view showing the same page.
//
//   tkw_tray_bench --dir FOLDER [--refreshes N]      (FOLDER receives the page files)
#include "Application.h"
#include "LoopbackServer.h"
#include "RecordingTrayLayer.h"
#include "TKW.h"
#include "TempDir.h"
#include "WaitUntil.h"
#include "WebBrowser.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
constexpr int MeasureSeconds = 30;

// Process Pid and all its descendants.
std::vector<int> ProcessTree(int Pid)
{
    std::vector<int> Tree{Pid};
    for (std::size_t I = 0; I < Tree.size(); ++I)
        for (const auto& Task :
             std::filesystem::directory_iterator("/proc/" + std::to_string(Tree[I]) + "/task")) {
            std::ifstream Children(Task.path() / "children");
            for (int Child; Children >> Child;)
                Tree.push_back(Child);
        }
    return Tree;
}

// A "Name:  value" field of a /proc file as a number, 0 where missing.
long Field(const std::filesystem::path& File, const std::string& Name)
{
    std::ifstream In(File);
    for (std::string Line; std::getline(In, Line);)
        if (Line.starts_with(Name))
            return std::strtol(Line.c_str() + Name.size(), nullptr, 10);
    return 0;
}

// One process's figures.
struct TProcess
{
    double PssMiB = 0;
    double DirtyMiB = 0;          // its private dirty pages: what it alone holds, whatever else runs
    double CpuSeconds = 0;        // user and system time
    std::map<int, long> Switches; // context switches by thread
};

struct TTreeFigures
{
    double PssMiB = 0;
    double DirtyMiB = 0;
    std::map<int, TProcess> Each; // by process id; the program has the lowest
};

TProcess MeasureProcess(int Pid)
{
    const std::filesystem::path Dir = "/proc/" + std::to_string(Pid);
    TProcess Figures;
    Figures.PssMiB = Field(Dir / "smaps_rollup", "Pss:") / 1024.0;
    Figures.DirtyMiB = Field(Dir / "smaps_rollup", "Private_Dirty:") / 1024.0;
    std::ifstream Stat(Dir / "stat");
    const std::string Text((std::istreambuf_iterator<char>(Stat)), {});
    std::istringstream Rest(Text.substr(Text.rfind(')') + 2));
    std::string Skip;
    for (int I = 3; I < 14; ++I)
        Rest >> Skip;
    long User = 0, System = 0;
    Rest >> User >> System;
    Figures.CpuSeconds = static_cast<double>(User + System) / static_cast<double>(sysconf(_SC_CLK_TCK));
    for (const auto& Task : std::filesystem::directory_iterator(Dir / "task"))
        Figures.Switches[std::stoi(Task.path().filename())] =
            Field(Task.path() / "status", "voluntary_ctxt_switches:") +
            Field(Task.path() / "status", "nonvoluntary_ctxt_switches:");
    return Figures;
}

TTreeFigures Measure()
{
    TTreeFigures Figures;
    for (int Pid : ProcessTree(getpid())) {
        const TProcess Process = MeasureProcess(Pid);
        Figures.PssMiB += Process.PssMiB;
        Figures.DirtyMiB += Process.DirtyMiB;
        Figures.Each[Pid] = Process;
    }
    return Figures;
}

std::string Memory(const TTreeFigures& Figures)
{
    std::string Each;
    for (const auto& [Pid, Process] : Figures.Each)
        Each += (Each.empty() ? "" : " + ") + std::to_string(std::lround(Process.PssMiB));
    char Text[200];
    std::snprintf(Text, sizeof Text, "%.0f MiB in %zu processes (%s), private dirty %.0f MiB", Figures.PssMiB,
                  Figures.Each.size(), Each.c_str(), Figures.DirtyMiB);
    return Text;
}

// Runs the event loop for a while with no timer of its own, which would wake the program.
void Settle(int Seconds)
{
    QEventLoop Loop;
    QTimer::singleShot(Seconds * 1000, &Loop, &QEventLoop::quit);
    Loop.exec();
}

// The CPU seconds and context switches of the process tree over the next MeasureSeconds, counted
// over the processes and threads that live all that time.
std::pair<double, long> CpuOver()
{
    const TTreeFigures Before = Measure();
    Settle(MeasureSeconds);
    const TTreeFigures After = Measure();
    double Cpu = 0;
    long Switches = 0;
    for (const auto& [Pid, Figures] : After.Each)
        if (const auto Was = Before.Each.find(Pid); Was != Before.Each.end()) {
            Cpu += Figures.CpuSeconds - Was->second.CpuSeconds;
            for (const auto& [Thread, Count] : Figures.Switches)
                if (const auto Earlier = Was->second.Switches.find(Thread);
                    Earlier != Was->second.Switches.end())
                    Switches += Count - Earlier->second;
        }
    return {Cpu, Switches};
}

// A commentary page of some thirty paragraphs on a green ground, which tells a painted page from
// an empty view. Source 1's page also runs a 100 ms timer that rewrites a line.
std::string PageOf(int Source, int Refresh)
{
    std::string Section = "<div style=\"background:#00c000\">";
    for (int Paragraph = 0; Paragraph < 30; ++Paragraph)
        Section += "<p>Akapit " + std::to_string(Paragraph) + " komentarza, odświeżenie " +
                   std::to_string(Paragraph == 0 ? Refresh : 0) + ": WIG20 i kontrakty na otwarciu.</p>";
    if (Source == 1)
        Section += "<p id=t></p><script>let n = 0; setInterval(() => "
                   "document.getElementById('t').textContent = 'tick ' + ++n, 100);</script>";
    Section += "</div>";
    const std::string Name = "s" + std::to_string(Source);
    if (Source == IndexSource)
        return "<a href=\"/lib/php/p_glowna.php?sesid=R" + std::to_string(Refresh) + "\">WIG</a>\r\n";
    return "head <" + Name + ">" + Section + "</" + Name + "> tail\r\n";
}

bool Painted(TWebBrowser* View)
{
    const QImage Frame = View->grab().toImage();
    return !Frame.isNull() && Frame.pixelColor(Frame.width() / 2, 8) == QColor(0x00, 0xc0, 0x00);
}

int Run(const std::filesystem::path& ProgramDir, int Refreshes)
{
    TTempDir WorkDir;
    std::filesystem::current_path(WorkDir.Path());
    TLoopbackServer Server;
    TLoopbackServer Quotes;
    Quotes.Serve("/lib/php/gieldy.php", {.Body = "<html><body>quotes</body></html>"});
    setenv("TICKERWELL_QUOTES_SERVER", Quotes.Url("").c_str(), 1);
    std::string Configuration;
    for (int Source = 0; Source < SourceCount; ++Source) {
        const std::string Name = "s" + std::to_string(Source);
        Configuration += Server.Url("/" + Name) + "\r<" + Name + ">\r</" + Name + ">\r";
    }
    std::ofstream("dane.txt", std::ios::binary) << Configuration;
    const auto Serve = [&](int Refresh) {
        for (int Source = 0; Source < SourceCount; ++Source)
            Server.Serve("/s" + std::to_string(Source), {.Body = PageOf(Source, Refresh)});
    };
    TApplication::SetErrorBoxHook(
        [](const QString& Text) { std::fprintf(stderr, "error box: %s\n", Text.toUtf8().constData()); });

    TForm1 Form(nullptr, std::make_unique<TRecordingTrayLayer>());
    Form.ProgramDir = ProgramDir.string() + "/";
    Form.show();
    const auto AllIdle = [&Form] { return std::ranges::none_of(Form.Busy, [](bool Flag) { return Flag; }); };
    const auto Refresh = [&](int Number) {
        Serve(Number);
        Form.Button1->click();
        if (!WaitUntil(AllIdle, 120))
            throw std::runtime_error("refresh " + std::to_string(Number) + " did not end");
    };
    const auto ToTray = [&] {
        Form.showMinimized();
        if (!WaitUntil([&] { return !Form.isVisible(); }))
            throw std::runtime_error("the window did not go to the tray");
    };
    const auto Open = [&] {
        QElapsedTimer Clock;
        Clock.start();
        Form.Open1Click();
        if (!WaitUntil([&] { return Painted(Form.WebBrowser1); }))
            throw std::runtime_error("the visible tab was never painted");
        return Clock.elapsed();
    };

    Refresh(0);
    if (!WaitUntil([&] { return Painted(Form.WebBrowser1); }))
        throw std::runtime_error("the first tab was never painted");
    Settle(4);
    std::printf("  %-46s %s\n", "window up after a refresh (PSS)", Memory(Measure()).c_str());
    ToTray();
    Settle(10);
    const TTreeFigures InTray = Measure();
    std::printf("  %-46s %s\n", "10 s in the tray after a refresh (PSS)", Memory(InTray).c_str());
    // Idle with nothing unseen, so that the tray icon does not signal.
    const auto [IdleCpu, IdleSwitches] = CpuOver();
    std::printf("  %-46s %.2f s CPU, %ld context switches\n", "30 s idle in the tray", IdleCpu, IdleSwitches);
    for (int Number = 1; Number <= Refreshes; ++Number)
        Refresh(Number);
    Settle(10);
    const TTreeFigures AfterRefreshes = Measure();
    std::printf("  %-46s %s (%+.1f %%)\n",
                (std::to_string(Refreshes) + " refreshes in the tray, 10 s on").c_str(),
                Memory(AfterRefreshes).c_str(), 100.0 * (AfterRefreshes.PssMiB / InTray.PssMiB - 1));

    std::vector<long> Opens;
    for (int Trip = 0; Trip < 5; ++Trip) {
        if (Trip > 0)
            ToTray();
        Settle(2);
        Opens.push_back(Open());
    }
    std::string OpenTimes;
    for (long Time : Opens)
        OpenTimes += std::to_string(Time) + " ";
    std::sort(Opens.begin(), Opens.end());
    std::printf("  %-46s %ld ms  [%s]\n", "\"Open...\" to the visible tab painted (median)",
                Opens[Opens.size() / 2], OpenTimes.c_str());

    Settle(2);
    const auto [UpCpu, UpSwitches] = CpuOver();
    Form.PageControl1->setCurrentIndex(1);
    if (!WaitUntil([&] { return Painted(Form.WebBrowser2); }))
        throw std::runtime_error("the timer tab was never painted");
    Settle(2);
    const auto [ShownCpu, ShownSwitches] = CpuOver();
    Form.PageControl1->setCurrentIndex(0);
    Settle(2);
    const auto [HiddenCpu, HiddenSwitches] = CpuOver();
    std::printf("  %-46s %.2f s CPU, %ld context switches\n", "30 s, 100 ms page timer on a tab not shown",
                HiddenCpu, HiddenSwitches);
    std::printf("  %-46s %.2f s CPU, %ld context switches\n", "30 s, the same page on the tab shown",
                ShownCpu, ShownSwitches);
    std::printf("  %-46s %.2f s CPU, %ld context switches\n", "30 s, window up before the timer page", UpCpu,
                UpSwitches);
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    try {
        std::filesystem::path Dir;
        int Refreshes = 200;
        for (int I = 1; I + 1 < argc; I += 2) {
            if (std::strcmp(argv[I], "--dir") == 0)
                Dir = argv[I + 1];
            else if (std::strcmp(argv[I], "--refreshes") == 0)
                Refreshes = std::max(1, std::atoi(argv[I + 1]));
            else
                throw std::invalid_argument(std::string("unknown option ") + argv[I]);
        }
        if (Dir.empty())
            throw std::invalid_argument("usage: tkw_tray_bench --dir FOLDER [--refreshes N]");
        PreparePageViews();
        TApplication Application(argc, argv);
        return Run(std::filesystem::absolute(Dir), Refreshes);
    } catch (const std::exception& Error) {
        std::fprintf(stderr, "tkw_tray_bench: %s\n", Error.what());
        return 1;
    }
}
