// TFormFixture: a main window on a recording tray, with its own folders, a loopback server and
// recorded error boxes; the pages served hold source i's section between <si> and </si>.
#pragma once

#include "ErrorBoxRecorder.h"
#include "LoopbackServer.h"
#include "RecordingTrayLayer.h"
#include "SectionHistory.h"
#include "SourcePage.h"
#include "TKW.h"
#include "TempDir.h"
#include "WaitUntil.h"
#include "WebBrowser.h"
#include "WindowFrame.h"

#include <QWindow>
#include <gtest/gtest.h>
#include <memory>

// Failing checks show texts and addresses as text.
inline void PrintTo(const QString& Text, std::ostream* Out)
{
    *Out << '"' << Text.toStdString() << '"';
}
inline void PrintTo(const QUrl& Url, std::ostream* Out)
{
    *Out << Url.toString().toStdString();
}

inline std::string Marker(int Source, const char* Slash = "")
{
    return "<" + std::string(Slash) + "s" + std::to_string(Source) + ">";
}

inline std::string PageOf(int Source, const std::string& Section)
{
    return "head " + Marker(Source) + Section + Marker(Source, "/") + " tail\r\n";
}

inline std::string IndexPageOf(const std::string& Sesid)
{
    return "<a href=\"/lib/php/p_glowna.php?sesid=" + Sesid + "\">WIG</a>\r\n";
}

// The page file the window makes of a downloaded page: the fragment page, or the index page in lines.
inline std::string PageFileOf(int Source, const std::string& Page)
{
    return BuildSourcePage(Source, Page, Marker(Source), Marker(Source, "/")).FileBytes;
}

class TFormFixture : public testing::Test
{
protected:
    void SetUp() override
    {
        auto Layer = std::make_unique<TRecordingTrayLayer>();
        Tray = Layer.get();
        Form = std::make_unique<TForm1>(nullptr, std::move(Layer));
        Form->ProgramDir = ProgramDir.Dir();
        Form->show();
        // The X server's late answers to an unshown window may undo a test's changes.
        ASSERT_TRUE(WaitUntil([this] { return Exposed(); }));
    }

    void TearDown() override
    {
        Server.Release();
        EXPECT_TRUE(WaitUntil([this] { return AllIdle(); })) << "downloads still in flight at the end";
        Form.reset();
    }

    // Waits until the history has stored every version handed to it.
    bool Settled()
    {
        bool Done = false;
        Form->History->AfterPending([&] { Done = true; });
        return WaitUntil([&] { return Done; });
    }

    bool Exposed() const { return Form->windowHandle() && Form->windowHandle()->isExposed(); }

    // Writes dane.txt with source i at path <PathPrefix><i> of the server.
    void WriteConfiguration(const std::string& PathPrefix = "/s")
    {
        std::string File;
        for (int Source = 0; Source < SourceCount; ++Source)
            File += Server.Url(PathPrefix + std::to_string(Source)) + "\r\n" + Marker(Source) + "\r\n" +
                    Marker(Source, "/") + "\r\n";
        WorkDir.Write("dane.txt", File);
    }

    void ServePages(const std::string& Text = "news", const std::string& PathPrefix = "/s")
    {
        for (int Source = 0; Source < SourceCount; ++Source)
            Server.Serve(PathPrefix + std::to_string(Source), {.Body = PageOf(Source, Text)});
    }

    bool AllIdle() const
    {
        return std::ranges::none_of(Form->Busy, [](bool Busy) { return Busy; });
    }

    void Refresh() { Form->Button1->click(); }

    // Refreshes and waits until every source is idle and Path has had Count requests.
    bool RefreshAndWait(const std::string& Path = "", int Count = 0)
    {
        Refresh();
        return WaitUntil([&] { return AllIdle() && (Path.empty() || Server.RequestCount(Path) == Count); });
    }

    void OnlyFirstSource()
    {
        for (QCheckBox* Box : {Form->CheckBox4, Form->CheckBox5, Form->CheckBox6})
            Box->setChecked(false);
    }

    std::string PageFile(int Source) const
    {
        const std::string Name(SourceTable[Source].PageFileName);
        return ProgramDir.Exists(Name) ? ProgramDir.Read(Name) : "(none)";
    }
    QUrl PageUrl(int Source) const
    {
        return QUrl::fromLocalFile(
            QString::fromStdString(ProgramDir.Dir().append(SourceTable[Source].PageFileName)));
    }
    long FilesInProgramDir() const
    {
        return std::distance(std::filesystem::directory_iterator(ProgramDir.Path()), {});
    }
    // Waits until View shows a page that has loaded and runs scripts.
    static bool PageShown(TWebBrowser* View)
    {
        const auto Ran = std::make_shared<bool>(false);
        return WaitUntil([&] {
            View->RunScript(QStringLiteral("1"), [Ran](const QVariant&) { *Ran = true; });
            return *Ran;
        });
    }
    TWebBrowser* View(int Source) const
    {
        return std::array{Form->WebBrowser1, Form->WebBrowser2, Form->WebBrowser3, Form->WebBrowser4,
                          Form->WebBrowser5}[Source];
    }

    TTempDir ProgramDir;
    TTempDir WorkDir;
    TWorkingDirectory Cwd{WorkDir.Path()};
    TLoopbackServer Server;
    TErrorBoxRecorder Boxes;
    TRecordingTrayLayer* Tray = nullptr;
    std::unique_ptr<TForm1> Form;
};
