// Program entry: the start and end sequence.
#include "Application.h"
#include "TKW.h"
#include "WebBrowser.h"

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv)
{
    PreparePageViews();
    TApplication Application(argc, argv);
    auto* Form1 = new TForm1;
    Application.MainForm = Form1;
    Form1->show();
    const int ExitCode = Application.exec();
    delete Form1;
    // Downloads still in flight are neither stopped nor awaited: they end with the process.
    std::fflush(nullptr);
    _exit(ExitCode);
}
