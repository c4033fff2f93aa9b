// tickerwell --check against sources on loopback: the exit status and the key words of each block.
#include "ClosedPort.h"
#include "LoopbackServer.h"
#include "ProgramRun.h"

#include <gtest/gtest.h>

namespace {
std::string Source(const std::string& Address, const std::string& Start, const std::string& End)
{
    return Address + "\r\n" + Start + "\r\n" + End + "\r\n";
}
} // namespace

TEST(ConfigCheck, ReportsEverySourceInABlockOfItsOwn)
{
    TLoopbackServer Server;
    TClosedPort Closed;
    Server.Serve("/fine", {.Body = "<html>\n<!-- S -->\n<p>Pierwsza linia</p>\n<p>Druga</p>\n<!-- E -->\n"});
    Server.Serve("/nostart", {.Body = "<p>tekst</p><!-- E -->"});
    Server.Serve("/index", {.Body = "<a href=\"/lib/php/p_glowna.php?sesid=AB12\">"});
    TTempDir Dir;
    Dir.Write("dane.txt", Source(Server.Url("/fine"), "<!-- S -->", "<!-- E -->") +
                              Source(Server.Url("/missing"), "<p>", "</p>") +
                              Source(Closed.Url("/x"), "<p>", "</p>") +
                              Source(Server.Url("/nostart"), "<!-- S -->", "<!-- E -->") +
                              Source(Server.Url("/index"), "", ""));
    Dir.Write("zrodla.ini", "[1]\nignore = linia\ntrigger = druga\ntrigger = trzecia\n");
    const TRun Run = RunProgram(Dir, {QStringLiteral("--check")});
    EXPECT_EQ(Run.Status, 1);
    const QStringList Expected[] = {
        {"[1] Wirek & Borta", "HTTP 200", "początek (wiersz 2): znaleziony w bajcie 9",
         "koniec (wiersz 3): znaleziony w bajcie 58", "„Pierwsza linia”", "„Druga”",
         "reguły: pominięte fragmenty: 1 z 2; słowa kluczowe na stronie: druga\n    wynik: dobrze"},
        {"[2] Stormer Futures", "HTTP 404", "wynik: BŁĄD"},
        {"[3] Stormer On-line", "połączenie odrzucone", "wynik: BŁĄD"},
        {"[4] doakcji.pl", "początek (wiersz 11): nie znaleziony", "koniec (wiersz 12): znaleziony",
         "wynik: BŁĄD"},
        {"[5] Indeksy", "sesja: AB12", "/lib/php/gieldy.php?sesid=AB12", "wynik: dobrze"},
    };
    for (int N = 1; N <= 5; ++N)
        for (const QString& Words : Expected[N - 1])
            EXPECT_TRUE(Run.Block(N).contains(Words))
                << "block " << N << " lacks " << Words.toStdString() << ":\n"
                << Run.Out.toStdString();
    EXPECT_TRUE(Run.Out.contains(QStringLiteral("Źródła z błędami: 2, 3, 4.")));
    EXPECT_FALSE(Run.Out.contains(QStringLiteral("UWAGA")));
    EXPECT_FALSE(Run.Block(4).contains(QStringLiteral("reguły"))) << "a source without rules";
}

TEST(ConfigCheck, StatusZeroForAGoodFileTwoForAMissingOneAndWarningsAboutTheFile)
{
    TLoopbackServer Server;
    Server.Serve("/fine", {.Body = "a <b>S</b> c <i>E</i> d"});
    TTempDir Dir;
    const std::string Good = Source(Server.Url("/fine"), "<b>", "</i>");
    Dir.Write("good.txt", Good);
    std::string LfOnly = Good;
    std::erase(LfOnly, '\r');
    Dir.Write("lf.txt", LfOnly);

    TRun Run = RunProgram(Dir, {QStringLiteral("--check"), QStringLiteral("good.txt")});
    EXPECT_EQ(Run.Status, 0) << Run.Out.toStdString();
    EXPECT_TRUE(Run.Block(2).contains(QStringLiteral("pusty, a źródło jest domyślnie włączone")));
    EXPECT_TRUE(Run.Out.contains(QStringLiteral("Wszystkie źródła w porządku.")));

    Run = RunProgram(Dir, {QStringLiteral("--check"), QStringLiteral("lf.txt")});
    EXPECT_EQ(Run.Status, 1);
    EXPECT_TRUE(Run.Out.contains(QStringLiteral("UWAGA: wiersz 1 kończy się samym LF")));
    EXPECT_TRUE(Run.Out.contains(QStringLiteral("zapisz plik z końcami linii CR LF")));
    EXPECT_TRUE(Run.Block(1).contains(QStringLiteral("\\n<b>\\n</i>\\n"))) << "the address shows its LFs";

    std::string Long = "\xEF\xBB\xBF" + Good + "x\r\nZa\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87\r\n";
    for (int Line = 0; Line < 12; ++Line)
        Long += "x\r\n";
    Dir.Write("bom.txt", Long);
    Run = RunProgram(Dir, {QStringLiteral("--check"), QStringLiteral("bom.txt")});
    for (const char* Words : {"UWAGA: plik zaczyna się znacznikiem BOM (UTF-8)",
                              "UWAGA: wiersz 5 zawiera tekst UTF-8", "UWAGA: plik ma 17 wierszy z tekstem"})
        EXPECT_TRUE(Run.Out.contains(QString::fromUtf8(Words))) << Words;

    Run = RunProgram(Dir, {QStringLiteral("--check")});
    EXPECT_EQ(Run.Status, 2);
    EXPECT_EQ(Run.Err, QStringLiteral("dane.txt: File not found.\n"));
}
