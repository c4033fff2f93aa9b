// The file of one's own sources: round trips, rewrites, broken files and the atomic save.
#include "OwnSources.h"
#include "AtomicFile.h"
#include "IniValue.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
TOwnSource Own(std::string Caption, std::string Start = {}, std::string End = {})
{
    return {0, std::move(Caption), "https://example.com/a?b=1&c=2", std::move(Start), std::move(End), true};
}

std::string Broken(const std::string& Text)
{
    try {
        TSourcesFile::Parse(Text, "zrodla.ini");
    } catch (const ESourcesFile& Error) {
        return Error.what();
    }
    return "(read without error)";
}
} // namespace

TEST(OwnSources, EveryTextReadsBackUnchanged)
{
    const std::string Texts[] = {
        "\"w cudzysłowie\"",
        "a = b",
        "; nie komentarz",
        "# też nie",
        "[6]",
        "  spacje wokół  ",
        "\t",
        "Zażółć gęślą jaźń",
        "dwa\nwiersze\r\n",
        "ukośnik \\n dosłownie",
        "\"",
        "",
        "bajt \xff obcy",
        "<div class=\"news\" id='a'>",
    };
    TSourcesFile File;
    for (const std::string& Text : Texts)
        File.Add(Own("Nazwa " + std::to_string(File.Sources().size()), Text, Text + "!"));
    File.Add(Own("  Ćma \"[x]\" = ; # "));
    const std::string Written = File.Text();
    EXPECT_TRUE(IsUtf8(Written)) << Written;
    // A value that needs no quotes stands as it is, for the person who reads the file.
    EXPECT_NE(Written.find("\nstart = a = b\n"), std::string::npos) << Written;
    EXPECT_NE(Written.find("\nstart = Zażółć gęślą jaźń\n"), std::string::npos) << Written;

    const std::vector<TOwnSource> Read = TSourcesFile::Parse(Written, "zrodla.ini").Sources();
    ASSERT_EQ(Read.size(), std::size(Texts) + 1);
    for (std::size_t I = 0; I < std::size(Texts); ++I) {
        EXPECT_EQ(Read[I].Id, FirstOwnId + static_cast<int>(I));
        EXPECT_EQ(Read[I].StartText, Texts[I]);
        EXPECT_EQ(Read[I].EndText, Texts[I] + "!");
    }
    EXPECT_EQ(Read.back().Caption, "  Ćma \"[x]\" = ; # ");
    EXPECT_EQ(Read.back().Address, "https://example.com/a?b=1&c=2");
}

TEST(OwnSources, ARewriteKeepsWhatAPersonWroteAndNeverReusesAnId)
{
    const std::string Old = "; moje źródła\n"
                            "next-id = 9\n"
                            "\n"
                            "[2]\n"
                            "ignore = \\d+:\\d+\n"
                            "[6]\n"
                            "caption=Poranny\n"
                            "# notatka\n"
                            "colour = red\n"
                            "address = http://a/\n"
                            "start = <p>\n"
                            "end =\n"
                            "on = yes\n"
                            "\n"
                            "[kanały]\n"
                            "ntfy = x\n"
                            "[8]\n"
                            "caption = Ostatni\n"
                            "address = https://b/\n";
    TSourcesFile File = TSourcesFile::Parse(Old, "zrodla.ini");
    EXPECT_EQ(File.Text(), Old) << "nothing changed, nothing rewritten";
    EXPECT_EQ(File.Values(2, "ignore"), std::vector<std::string>{"\\d+:\\d+"});

    TOwnSource First = *File.Source(6);
    First.EndText = "</p>";
    First.On = false;
    File.Update(First);
    ASSERT_TRUE(File.Remove(8));
    EXPECT_FALSE(File.Remove(8));
    EXPECT_FALSE(File.Remove(2)) << "sections of the five are no sources to remove";
    EXPECT_EQ(File.Add(Own("Nowy")), 9);
    File.SetValues(3, "trigger", {"zysk", "strata"});
    File.SetValues(2, "ignore", {});
    EXPECT_EQ(File.Text(), "; moje źródła\n"
                           "next-id = 10\n"
                           "\n"
                           "[2]\n"
                           "[6]\n"
                           "caption=Poranny\n"
                           "# notatka\n"
                           "colour = red\n"
                           "address = http://a/\n"
                           "start = <p>\n"
                           "end = </p>\n"
                           "on = no\n"
                           "\n"
                           "[kanały]\n"
                           "ntfy = x\n"
                           "\n"
                           "[9]\n"
                           "caption = Nowy\n"
                           "address = https://example.com/a?b=1&c=2\n"
                           "start =\n"
                           "end =\n"
                           "on = yes\n"
                           "\n"
                           "[3]\n"
                           "trigger = zysk\n"
                           "trigger = strata\n");

    // Without next-id the highest section decides; a removed highest id is still not reused.
    TSourcesFile Bare = TSourcesFile::Parse("[7]\ncaption = a\naddress = http://a/\n", "zrodla.ini");
    Bare.Remove(7);
    EXPECT_EQ(Bare.Add(Own("b")), 8);
    Bare.Remove(8);
    EXPECT_EQ(TSourcesFile::Parse(Bare.Text(), "zrodla.ini").Add(Own("c")), 9);
}

TEST(OwnSources, ABrokenFileIsNamedWithItsLineAndWhatIsWrong)
{
    const std::string Source = "[6]\ncaption = a\naddress = http://a/\n";
    const std::string Captions41 = std::string(40, 'x') + "ż";
    const std::pair<std::string, std::string> Cases[] = {
        {"next-id = 7\ncaption\n", "zrodla.ini, wiersz 2: brak znaku „=”"},
        {"[6\n", "zrodla.ini, wiersz 1: nagłówek sekcji nie kończy się znakiem „]”"},
        {"[ ]\n", "wiersz 1: sekcja bez nazwy"},
        {Source + Source, "wiersz 4: sekcja [6] powtarza się"},
        {Source + "caption = b\n", "wiersz 4: klucz „caption” powtarza się"},
        {"[6]\ncaption = \"a\n", "wiersz 2: wartość w cudzysłowie nie kończy się cudzysłowem"},
        {"[6]\ncaption = \"a\"b\"\n", "wiersz 2: cudzysłów wewnątrz wartości"},
        {"[6]\ncaption = \"a\\qb\"\n", "wiersz 2: nieznana sekwencja \\q"},
        {"[6]\ncaption = \"a\\x4\"\n", "wiersz 2: nieznana sekwencja \\x"},
        {"[6]\ncaption = " + Captions41 + "\n", "wiersz 2: nazwa ma 41 znaków, a może mieć najwyżej 40"},
        {"[6]\ncaption =\n", "wiersz 2: nazwa jest pusta"},
        {"[6]\ncaption = \"a\\tb\"\n", "wiersz 2: nazwa nie może zawierać końca wiersza"},
        {"[6]\naddress = ftp://a/\n", "wiersz 2: adres musi zaczynać się od http:// albo https://"},
        {"[6]\naddress = https:///a\n", "wiersz 2: w adresie brak nazwy serwera"},
        {"[6]\naddress = http://a b/\n", "wiersz 2: adres nie może zawierać spacji"},
        {"next-id = 5\n", "wiersz 1: next-id to liczba od 6 wzwyż"},
        {"\n[6]\naddress = http://a/\n[7]\n", "wiersz 2: w sekcji [6] brak klucza „caption”"},
        {"[6]\ncaption = a\n", "wiersz 1: w sekcji [6] brak klucza „address”"},
        {"# \xB3\xF3\x64\x9F\n", "wiersz 1: to nie jest tekst UTF-8"},
    };
    for (const auto& [Text, Message] : Cases)
        EXPECT_NE(Broken(Text).find(Message), std::string::npos) << Text << "\ngave: " << Broken(Text);

    // Forty characters are a caption; the keys of the five's sections and of other sections are free.
    EXPECT_EQ(Broken("[6]\ncaption = " + std::string(39, 'x') +
                     "ż\naddress = HTTPS://a\n[3]\ncaption =\n"
                     "[x]\naddress = none\n"),
              "(read without error)");

    TSourcesFile Full;
    for (int I = 0; I < MaxOwnSources; ++I)
        Full.Add(Own("s"));
    EXPECT_NE(Broken(Full.Text() + "[99]\ncaption = a\naddress = http://a/\n")
                  .find("więcej niż 50 własnych źródeł"),
              std::string::npos);
    EXPECT_THROW(Full.Update({6, "s", "mailto:a@b", "", "", true}), ESourcesFile);
    EXPECT_THROW(Full.Update({99, "s", "http://a/", "", "", true}), ESourcesFile);
}

TEST(OwnSources, SavingReplacesTheFileWholeAndKeepsTheLastOneAsBackup)
{
    TTempDir Dir;
    const std::string Path = (Dir.Path() / OwnSourcesFileName).string();
    EXPECT_TRUE(LoadSourcesFile(Path).Sources().empty()) << "a missing file holds no sources";

    TSourcesFile File = LoadSourcesFile(Path);
    File.Add(Own("Pierwszy"));
    SaveSourcesFile(Path, File);
    const std::string First = Dir.Read(OwnSourcesFileName);
    EXPECT_FALSE(Dir.Exists(std::string(OwnSourcesFileName) + ".bak"));
    chmod(Path.c_str(), 0640);

    File = LoadSourcesFile(Path);
    File.Add(Own("Drugi"));
    SaveSourcesFile(Path, File);
    EXPECT_EQ(Dir.Read(std::string(OwnSourcesFileName) + ".bak"), First);
    EXPECT_EQ(LoadSourcesFile(Path).Sources().size(), 2u);
    struct stat Status;
    ASSERT_EQ(stat(Path.c_str(), &Status), 0);
    EXPECT_EQ(Status.st_mode & 07777, 0640u) << "the file keeps its permissions";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.Path()), {}), 2)
        << "no temporary file is left";

    // A folder in the file's place: refused when read and when written, and nothing else appears.
    std::filesystem::create_directory(Dir.Path() / "katalog.ini");
    const std::string Folder = (Dir.Path() / "katalog.ini").string();
    EXPECT_THROW(LoadSourcesFile(Folder), ESourcesFile);
    EXPECT_THROW(SaveSourcesFile(Folder, File), EFileWrite);
    EXPECT_THROW(SaveSourcesFile((Dir.Path() / "brak" / "zrodla.ini").string(), File), EFileWrite);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.Path()), {}), 3);
}
