// Program entry: the command-line options, or the window's start and end sequence.
#include "Application.h"
#include "CommandLine.h"
#include "PageFolder.h"
#include "SingleInstance.h"
#include "TKW.h"
#include "WebBrowser.h"

#include <cstdio>
#include <unistd.h>

namespace {
// Downloads still in flight are neither stopped nor awaited: they end with the process.
[[noreturn]] void End(int ExitCode)
{
    std::fflush(nullptr);
    _exit(ExitCode);
}
} // namespace

int main(int argc, char** argv)
{
    // Options are handled before the application object exists, which needs a display.
    if (AsksForCommandLine(argc, argv))
        End(RunCommandLine(argc, argv));
    PreparePageViews();
    TApplication Application(argc, argv);
    NoteIgnoredArguments(QCoreApplication::arguments());
    int ExitCode;
    {
        // A second start with the same page folder shows the running copy's window instead.
        TSingleInstance Instance(MakePageFolder(QCoreApplication::applicationDirPath()));
        if (Instance.HandedOver())
            End(0);
        auto* Form1 = new TForm1;
        QObject::connect(&Instance, &TSingleInstance::Activated, Form1, [Form1] { Form1->Open1Click(); });
        QObject::connect(&Instance, &TSingleInstance::RefreshRequested, Form1,
                         [Form1](const QList<int>& Sources, const TSingleInstance::TReplyFn& Reply) {
                             TApplication::Guarded([&] { Form1->RefreshOnRequest(Sources, Reply); });
                         });
        Form1->show();
        ExitCode = Application.exec();
        delete Form1;
    }
    End(ExitCode);
}
