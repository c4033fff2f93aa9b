// The configuration writer on real files: the bytes it keeps, the backup, what it leaves alone.
#include "ConfigurationWriter.h"
#include "Configuration.h"
#include "TempDir.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
const TSourceLines New{"http://n/", "<n>", "</n>"};

TSourceChanges Only(int Source, const TSourceLines& Lines = New)
{
    TSourceChanges Changes;
    Changes[Source] = Lines;
    return Changes;
}

std::vector<std::string> Listing(const TTempDir& Dir)
{
    std::vector<std::string> Names;
    for (const auto& Entry : std::filesystem::directory_iterator(Dir.Path()))
        Names.push_back(Entry.path().filename().string());
    std::sort(Names.begin(), Names.end());
    return Names;
}
} // namespace

TEST(ConfigurationWriter, ReplacesTheSourcesLinesAndKeepsEveryOtherByte)
{
    std::string Fifteen;
    for (int Line = 1; Line <= 15; ++Line)
        Fifteen += "L" + std::to_string(Line) + "\r\n";
    const std::string NewLines = "http://n/\r\n<n>\r\n</n>\r\n";
    // The old file, the source written, the new file.
    const std::tuple<std::string, int, std::string> Cases[] = {
        {Fifteen, 1, "L1\r\nL2\r\nL3\r\n" + NewLines + Fifteen.substr(24)},
        // Lone CRs stay lone; the lines written end in CR LF.
        {"a\rb\rc\rd\r", 0, NewLines + "d\r"},
        // A lone LF after CR LF ends is text within its line.
        {"x\r\ny\nz\r\n", 1, "x\r\ny\nz\r\n\r\n" + NewLines},
        // A last line without an end keeps it unless lines follow it.
        {Fifteen + "sixteenth", 4, Fifteen.substr(0, 51) + NewLines + "sixteenth"},
        {"1\r\n2", 2, "1\r\n2\r\n\r\n\r\n\r\n\r\n" + NewLines},
        // Ctrl-Z ends the text: new lines go before it, and it stays with all that follows.
        {"a\r\nb\x1A\r\nrest\r\n", 1, "a\r\nb\r\n\r\n" + NewLines + "\x1A\r\nrest\r\n"},
        {Fifteen + "\x1A"
                   "tail",
         3,
         Fifteen.substr(0, 36) + NewLines + Fifteen.substr(51) +
             "\x1A"
             "tail"},
        {"", 0, NewLines},
    };
    TTempDir Dir;
    const TWorkingDirectory Work(Dir.Path());
    for (const auto& [Old, Source, Expected] : Cases) {
        Dir.Write("dane.txt", Old);
        SaveSources("dane.txt", Only(Source));
        EXPECT_EQ(Dir.Read("dane.txt"), Expected) << "written over " << testing::PrintToString(Old);
        EXPECT_EQ(Dir.Read("dane.txt.bak"), Old) << "the previous file is the backup";
    }
    EXPECT_EQ(Listing(Dir), (std::vector<std::string>{"dane.txt", "dane.txt.bak"}))
        << "no temporary file left";

    // A missing file becomes fifteen lines, with no backup; the file keeps its permissions after.
    std::filesystem::remove(Dir.Path() / "dane.txt.bak");
    std::filesystem::remove(Dir.Path() / "dane.txt");
    SaveSources("dane.txt", Only(4));
    std::string Twelve;
    for (int Line = 0; Line < 12; ++Line)
        Twelve += "\r\n";
    EXPECT_EQ(Dir.Read("dane.txt"), Twelve + NewLines);
    EXPECT_FALSE(Dir.Exists("dane.txt.bak"));
    chmod("dane.txt", 0640);
    SaveSources("dane.txt", Only(0));
    struct stat Status;
    stat("dane.txt", &Status);
    EXPECT_EQ(Status.st_mode & 0777, 0640u);
}

TEST(ConfigurationWriter, WhatCannotBeWrittenChangesNothingOnDisk)
{
    TTempDir Dir;
    const TWorkingDirectory Work(Dir.Path());
    const std::string Old = "a\r\nb\r\nc\r\n";
    Dir.Write("dane.txt", Old);
    Dir.Write("dane.txt.bak", "older");
    const std::pair<TSourceLines, std::string> Refused[] = {
        {{"http://n/", "<n>\r", "</n>"}, "koniec wiersza"},
        {{"http://n/", "<n>", "</n>\n"}, "koniec wiersza"},
        {{"http://n/\x1A", "<n>", "</n>"}, "Ctrl-Z"},
    };
    for (const auto& [Lines, Reason] : Refused) {
        try {
            SaveSources("dane.txt", Only(0, Lines));
            ADD_FAILURE() << "a value with " << Reason << " was written";
        } catch (const EConfigurationWrite& Error) {
            EXPECT_NE(std::string(Error.what()).find(Reason), std::string::npos) << Error.what();
        }
    }
    // A folder that does not exist: the new file cannot be made.
    EXPECT_THROW(SaveSources("brak/dane.txt", Only(1)), EConfigurationWrite);
    EXPECT_EQ(Dir.Read("dane.txt"), Old);
    EXPECT_EQ(Dir.Read("dane.txt.bak"), "older");
    EXPECT_EQ(Listing(Dir), (std::vector<std::string>{"dane.txt", "dane.txt.bak"}));
}

TEST(ConfigurationWriter, SavesANewFileAndRenamesItLeavingNothingBehindOnFailure)
{
    TTempDir Dir;
    const TWorkingDirectory Work(Dir.Path());
    Dir.Write("dane.txt", "old\r\n");
    SaveSources("dane.txt", Only(0));
    // Writes that fail half-way (the file size limit) in a child: the backup or the new file.
    const std::string Written = Dir.Read("dane.txt");
    for (const std::size_t Limit : {Written.size() / 2, Written.size() + 10}) {
        const pid_t Child = fork();
        if (Child == 0) {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit Size{Limit, Limit};
            setrlimit(RLIMIT_FSIZE, &Size);
            try {
                SaveSources("dane.txt", Only(1, {std::string(200, 'a'), "<n>", "</n>"}));
            } catch (const EConfigurationWrite&) {
                _exit(0);
            }
            _exit(1);
        }
        int ChildStatus = -1;
        waitpid(Child, &ChildStatus, 0);
        EXPECT_EQ(ChildStatus, 0) << "a write past " << Limit << " bytes was not refused";
        EXPECT_EQ(Listing(Dir), (std::vector<std::string>{"dane.txt", "dane.txt.bak"})) << "limit " << Limit;
        EXPECT_EQ(Dir.Read("dane.txt"), Written);
    }
}
