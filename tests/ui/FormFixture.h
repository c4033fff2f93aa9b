// TFormFixture: a main window with its own program and working directories, a loopback server for
// its sources and recorded error boxes.
#pragma once

#include "Application.h"
#include "ErrorBoxRecorder.h"
#include "LoopbackServer.h"
#include "RecordingTrayLayer.h"
#include "TKW.h"
#include "TempDir.h"
#include "WaitUntil.h"

#include <gtest/gtest.h>
#include <memory>

class TFormFixture : public testing::Test
{
protected:
    explicit TFormFixture(const std::string& ProgramDirName = "program") : ProgramDir(ProgramDirName) {}

    // The tray the window's icon goes to: a recording one, so that window tests do not depend on the
    // desktop's tray; none means the desktop's.
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

    // Writes dane.txt with source i at path /s<i> of the server and markers "<s<i>>" and "</s<i>>".
    void WriteConfiguration(const std::string& PathPrefix = "/s")
    {
        std::string File;
        for (int Source = 0; Source < SourceCount; ++Source) {
            const std::string Name = "s" + std::to_string(Source);
            File +=
                Server.Url(PathPrefix + std::to_string(Source)) + "\r\n<" + Name + ">\r\n</" + Name + ">\r\n";
        }
        WorkDir.Write("dane.txt", File);
    }

    // Serves every source a page whose section between its markers reads Text.
    void ServePages(const std::string& Text = "news", const std::string& PathPrefix = "/s")
    {
        for (int Source = 0; Source < SourceCount; ++Source) {
            const std::string Name = "s" + std::to_string(Source);
            Server.Serve(PathPrefix + std::to_string(Source),
                         {.Body = "head <" + Name + ">" + Text + "</" + Name + "> tail\r\n"});
        }
    }

    bool AllIdle() const
    {
        for (bool Flag : Form->Busy)
            if (Flag)
                return false;
        return true;
    }

    void Refresh() { Form->Button1->click(); }

    TTempDir ProgramDir;
    TTempDir WorkDir;
    TWorkingDirectory Cwd{WorkDir.Path()};
    TLoopbackServer Server;
    TErrorBoxRecorder Boxes;
    std::unique_ptr<TForm1> Form;
};
