// TFormFixture: a main window with its own program and working directories, a loopback server for
// its sources and recorded error boxes; and the pages the tests serve.
#pragma once

#include "Application.h"
#include "ErrorBoxRecorder.h"
#include "FragmentPages.h"
#include "IndexPage.h"
#include "LoopbackServer.h"
#include "RecordingTrayLayer.h"
#include "TKW.h"
#include "TempDir.h"
#include "TextRoutines.h"
#include "WaitUntil.h"
#include "WebBrowser.h"

#include <QRegularExpression>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

inline const QRegularExpression LongTime(QStringLiteral("^\\d{1,2}:\\d\\d:\\d\\d$"));

inline std::string Name(int Source)
{
    return "s" + std::to_string(Source);
}

inline std::string PageOf(int Source, const std::string& Section, const std::string& After = " tail\r\n")
{
    return "head <" + Name(Source) + ">" + Section + "</" + Name(Source) + ">" + After;
}

inline std::string IndexPageOf(const std::string& Sesid)
{
    return "<a href=\"/lib/php/p_glowna.php?sesid=" + Sesid + "\">WIG</a>\r\n";
}

// What the window makes of a downloaded page: the fragment page, or the index source's page in lines.
inline std::string PageFileOf(int Source, const std::string& Page)
{
    if (Source == IndexSource)
        return NormalizeLines(Page);
    return BuildFragmentPage(Source, NormalizeLines(Page), "<" + Name(Source) + ">",
                             "</" + Name(Source) + ">");
}

class TFormFixture : public testing::Test
{
protected:
    explicit TFormFixture(const std::string& ProgramDirName = "program") : ProgramDir(ProgramDirName) {}

    // A recording tray, so that window tests do not depend on the desktop's; none means the desktop's.
    virtual std::unique_ptr<TTrayLayer> MakeTrayLayer() { return std::make_unique<TRecordingTrayLayer>(); }

    void SetUp() override
    {
        Form = std::make_unique<TForm1>(nullptr, MakeTrayLayer());
        TApplication::Instance()->MainForm = Form.get();
        Form->ProgramDir = ProgramDir.Dir();
        Form->show();
    }

    void TearDown() override
    {
        // Workers must not outlive the window whose handlers they call.
        Server.Release();
        EXPECT_TRUE(WaitUntil([this] { return AllIdle(); })) << "downloads still in flight at the end";
        Form.reset();
    }

    // Writes dane.txt with source i at path <PathPrefix><i> of the server and markers <s<i>>, </s<i>>.
    void WriteConfiguration(const std::string& PathPrefix = "/s")
    {
        std::string File;
        for (int Source = 0; Source < SourceCount; ++Source)
            File += Server.Url(PathPrefix + std::to_string(Source)) + "\r\n<" + Name(Source) + ">\r\n</" +
                    Name(Source) + ">\r\n";
        WorkDir.Write("dane.txt", File);
    }

    void ServePages(const std::string& Text = "news", const std::string& PathPrefix = "/s")
    {
        for (int Source = 0; Source < SourceCount; ++Source)
            Server.Serve(PathPrefix + std::to_string(Source), {.Body = PageOf(Source, Text)});
    }

    bool AllIdle() const
    {
        return std::none_of(std::begin(Form->Busy), std::end(Form->Busy), [](bool Flag) { return Flag; });
    }

    void Refresh() { Form->Button1->click(); }

    // Refreshes and waits until every source is idle and Path has had Count requests.
    bool RefreshAndWait(const std::string& Path = "", int Count = 0)
    {
        Refresh();
        return WaitUntil([&] { return AllIdle() && (Path.empty() || Server.RequestCount(Path) == Count); });
    }

    // Leaves only source 0 enabled.
    void OnlyFirstSource()
    {
        for (QCheckBox* Box : {Form->CheckBox4, Form->CheckBox5, Form->CheckBox6})
            Box->setChecked(false);
    }

    std::string PageFile(int Source) const
    {
        return ProgramDir.Read(std::string(SourceTable[Source].PageFileName));
    }
    QUrl FileUrl(int Source) const
    {
        return QUrl::fromLocalFile(
            QString::fromStdString(ProgramDir.Dir() + std::string(SourceTable[Source].PageFileName)));
    }
    long FilesInProgramDir() const
    {
        return std::distance(std::filesystem::directory_iterator(ProgramDir.Path()), {});
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
    std::unique_ptr<TForm1> Form;
};
