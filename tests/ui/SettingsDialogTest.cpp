// The settings dialog on the real window: a source set up from its address, saved and refreshed as
// previewed; its rules; the empty tab's panel; the autostart entry.
#include "SettingsDialog.h"
#include "Autostart.h"
#include "EmptyTabPanel.h"
#include "FormFixture.h"
#include "OwnSources.h"
#include "SourcePage.h"
#include "SourceRules.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {
class TSettings : public TFormFixture
{
protected:
    TSettingsDialog* Dialog() const
    {
        auto* Found = Form->findChild<TSettingsDialog*>();
        return Found && Found->isVisible() ? Found : nullptr;
    }
    template <typename T> T* Control(const char* Name) const
    {
        T* Found = Dialog()->findChild<T*>(QLatin1String(Name));
        EXPECT_TRUE(Found) << Name;
        return Found;
    }
    QString Text(const char* Label) const { return Control<QLabel>(Label)->text(); }

    // Opens the dialog with its key, which works while the window is active.
    bool OpenDialog()
    {
        Form->activateWindow();
        if (!WaitUntil([this] { return Form->isActiveWindow(); }))
            return false;
        QTest::keyClick(Form.get(), Qt::Key_Comma, Qt::ControlModifier);
        return WaitUntil([this] { return Dialog() != nullptr; });
    }

    // Selects the Occurrence-th Text in the page source, as the mouse would.
    void Select(const QString& Text, int Occurrence = 0)
    {
        auto* View = Control<QPlainTextEdit>("PageSource");
        qsizetype At = View->toPlainText().indexOf(Text);
        for (int Skip = 0; Skip < Occurrence; ++Skip)
            At = View->toPlainText().indexOf(Text, At + 1);
        ASSERT_GE(At, 0) << Text.toStdString();
        QTextCursor Cursor = View->textCursor();
        Cursor.setPosition(static_cast<int>(At));
        Cursor.setPosition(static_cast<int>(At + Text.size()), QTextCursor::KeepAnchor);
        View->setTextCursor(Cursor);
    }
};
} // namespace

TEST(Autostart, TheEntryKeepsTheWorkingFolderEscapedAndRefusesAFolderWithALineFeed)
{
    TTempDir Dir;
    const auto Entry = [] {
        QFile File(AutostartFile());
        return File.open(QIODevice::ReadOnly) ? QString::fromUtf8(File.readAll()) : QString();
    };
    for (const char* Name : {"a\\b\tc", "line\nX-Extra=1"}) {
        std::filesystem::create_directory(Dir.Path() / Name);
        const TWorkingDirectory Work(Dir.Path() / Name);
        try {
            SetAutostart(true);
        } catch (const std::runtime_error& Error) {
            EXPECT_NE(std::string(Error.what()).find("znak nowego wiersza"), std::string::npos)
                << Error.what();
        }
    }
    EXPECT_TRUE(
        Entry().endsWith(QStringLiteral("\nPath=") + QString::fromStdString(Dir.Dir()) +
                         "a\\\\b\\tc\nIcon=tickerwell\nTerminal=false\nX-GNOME-Autostart-enabled=true\n"))
        << "escaped, and the folder with a line feed refused: " << Entry().toStdString();
    SetAutostart(false);
    EXPECT_FALSE(AutostartOn());
}

TEST_F(TSettings, SourceSetUpFromItsAddressIsCutWhereTheUserPointed)
{
    const std::string Page = "<html><head><meta charset=\"utf-8\"></head><body>\n<div>menu</div>\n"
                             "<h2>Komentarz dnia</h2><p>Złoty się umacnia.</p><div>stopka</div>\n"
                             "<h2>Komentarz</h2></body></html>\n";
    Server.Serve("/page", {.Body = Page});
    std::string Old = "http://old/\r\n<old>\r\n</old>\r\n";
    for (int Line = 4; Line <= 15; ++Line)
        Old += "line " + std::to_string(Line) + "\r\n";
    Old += "\x1A"
           "kept";
    WorkDir.Write("dane.txt", Old);
    OnlyFirstSource();

    ASSERT_TRUE(OpenDialog()) << "Ctrl+, opens the dialog";
    EXPECT_EQ(Dialog()->windowTitle(), "Ustawienia — Tickerwell");
    EXPECT_EQ(Dialog()->Source(), 0);
    const WId Shown = Dialog()->winId();
    auto* Address = Control<QLineEdit>("Address");
    EXPECT_EQ(Address->text(), "http://old/");
    Address->selectAll();
    QTest::keyClicks(Address, QString::fromStdString(Server.Url("/page")));
    Control<QPushButton>("Download")->click();
    ASSERT_TRUE(WaitUntil([this] { return Text("Outcome").startsWith("HTTP 200"); }))
        << Text("Outcome").toStdString();
    EXPECT_TRUE(Text("Outcome").contains("utf-8"));
    ASSERT_TRUE(PageShown(Control<TWebBrowser>("Preview")));
    EXPECT_EQ(Dialog()->winId(), Shown) << "the dialog was made again for its preview";
    Dialog()->activateWindow();
    EXPECT_TRUE(WaitUntil([this] { return Dialog()->isActiveWindow(); }));
    Control<QPlainTextEdit>("PageSource")->setFocus();
    QTest::keyClick(Control<QPlainTextEdit>("PageSource"), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(Control<QLineEdit>("Search")->isVisible()) << "Ctrl+F searches the page source";
    QTest::keyClicks(Control<QLineEdit>("Search"), QStringLiteral("umacnia"));
    QTest::keyClick(Control<QLineEdit>("Search"), Qt::Key_Return);
    EXPECT_EQ(Control<QPlainTextEdit>("PageSource")->textCursor().selectedText(), "umacnia");

    // The second heading is found at the first: the dialog offers the text that tells them apart.
    Select("<h2>Komentarz", 1);
    Control<QPushButton>("PickStart")->click();
    EXPECT_TRUE(Text("StartNote").contains("wcześniejsze wystąpienie")) << Text("StartNote").toStdString();
    EXPECT_EQ(Control<QPushButton>("LengthenStart")->text(), "Wydłuż do „<h2>Komentarz<”");
    Select("<h2>Komentarz");
    Control<QPushButton>("PickStart")->click();
    EXPECT_TRUE(Text("StartNote").endsWith("tam gdzie zaznaczono")) << Text("StartNote").toStdString();
    EXPECT_TRUE(Control<QPushButton>("LengthenStart")->isHidden());
    // Across lines, the end marker keeps the line where the selection ends.
    Select("menu</div>\n<h2>Komentarz dnia</h2><p>Złoty się umacnia.</p>");
    Control<QPushButton>("PickEnd")->click();
    EXPECT_EQ(Control<QLineEdit>("EndMarker")->text(), "<h2>Komentarz dnia</h2><p>Złoty się umacnia.</p>");
    const std::string Expected =
        BuildSourcePage(0, Page, "<h2>Komentarz",
                        "<h2>Komentarz dnia</h2><p>Z\xC5\x82oty si\xC4\x99 umacnia.</p>")
            .FileBytes;
    EXPECT_EQ(Text("PreviewInfo"),
              QStringLiteral("Podgląd pliku 1wirek&borta.htm: %1 bajtów").arg(Expected.size()));

    // An unfit character is refused, nothing saved; a typed marker keeps the page's charset.
    auto* Field = Control<QLineEdit>("Address");
    Field->setFocus();
    QTest::sendKeyEvent(QTest::Click, Field, Qt::Key_unknown, QStringLiteral("☃"), Qt::NoModifier);
    EXPECT_TRUE(Text("AddressRefusal").contains("Windows-1250"));
    Control<QPushButton>("Save")->click();
    EXPECT_TRUE(Control<QLabel>("SaveError")->isVisible());
    EXPECT_EQ(WorkDir.Read("dane.txt"), Old);
    QTest::keyClick(Field, Qt::Key_Backspace);
    Field = Control<QLineEdit>("EndMarker");
    Field->setFocus();
    QTest::keyClick(Field, Qt::Key_Backspace);
    QTest::sendKeyEvent(QTest::Click, Field, Qt::Key_unknown, QStringLiteral(">"), Qt::NoModifier);

    Control<QPushButton>("Save")->click();
    ASSERT_TRUE(WaitUntil([this] { return Dialog() == nullptr; })) << "the dialog closes once saved";
    EXPECT_EQ(WorkDir.Read("dane.txt"),
              Server.Url("/page") +
                  "\r\n<h2>Komentarz\r\n<h2>Komentarz dnia</h2><p>Z\xC5\x82oty si\xC4\x99 umacnia.</p>\r\n" +
                  Old.substr(Old.find("line 4")));
    EXPECT_EQ(WorkDir.Read("dane.txt.bak"), Old);

    ASSERT_TRUE(RefreshAndWait("/page", 2));
    EXPECT_EQ(PageFile(0), Expected) << "the refresh writes the page the preview showed";
}

TEST_F(TSettings, RulesAreCheckedAgainstThePageFetchedAndSaved)
{
    Server.Serve("/page", {.Body = "<body><p>Kurs o 10:05</p><p>Rekordowy zysk</p><p>Bez zmian</p></body>"});
    WorkDir.Write("dane.txt", Server.Url("/page") + "\r\n<body>\r\n</body>\r\n" + std::string(24, '\n'));
    OnlyFirstSource();
    ASSERT_TRUE(OpenDialog());
    Control<QPushButton>("Download")->click();
    ASSERT_TRUE(WaitUntil([this] { return Text("Outcome").startsWith("HTTP 200"); }));

    Control<QPlainTextEdit>("IgnoreRules")->setPlainText("\\d\\d:\\d\\d\n(");
    EXPECT_TRUE(Text("RulesCheck").startsWith("Błędne wyrażenie „(”")) << Text("RulesCheck").toStdString();
    Control<QPushButton>("Save")->click();
    EXPECT_TRUE(Text("SaveError").contains("błędne wyrażenie „(”")) << Text("SaveError").toStdString();
    EXPECT_FALSE(WorkDir.Exists("zrodla.ini"));

    Control<QPlainTextEdit>("IgnoreRules")->setPlainText("\\d\\d:\\d\\d");
    Control<QPlainTextEdit>("TriggerWords")->setPlainText("zysk\nstrata");
    EXPECT_EQ(Text("RulesCheck"),
              "Pominięte: 1: „Kurs o 10:05”\nZ kluczowymi słowami: 1: „Rekordowy zysk” (zysk)");
    Control<QPushButton>("Save")->click();
    ASSERT_TRUE(WaitUntil([this] { return Dialog() == nullptr; })) << Text("SaveError").toStdString();
    EXPECT_EQ(RulesOf(LoadSourcesFile(WorkDir.Dir() + "zrodla.ini"), 1),
              (TSourceRules{{"\\d\\d:\\d\\d"}, {"zysk", "strata"}, true}));
}

TEST_F(TSettings, EmptyTabSaysWhyAndOpensTheDialogOnItsSource)
{
    const auto Panel = [this](int Source) {
        return Form->findChild<TEmptyTabPanel*>(QStringLiteral("EmptyTabPanel%1").arg(Source + 1));
    };
    EXPECT_EQ(Panel(1)->Reason()->text(), "Ta karta jest pusta: jeszcze nie pobrano.");
    ServePages();
    Server.Serve("/s1", {.Status = 404, .Body = "gone"});
    WriteConfiguration();
    const std::string File = WorkDir.Read("dane.txt");
    Form->CheckBox5->setChecked(false);
    Form->CheckBox6->setChecked(false);
    ASSERT_TRUE(RefreshAndWait());
    EXPECT_TRUE(WaitUntil([&] { return Panel(0) == nullptr; })) << "a tab with a page has no panel";
    Form->PageControl1->setCurrentIndex(1);
    ASSERT_TRUE(Panel(1));
    EXPECT_TRUE(Panel(1)->isVisible());
    EXPECT_EQ(Panel(1)->geometry(), View(1)->geometry());
    EXPECT_TRUE(Panel(1)->Reason()->text().startsWith("Ta karta jest pusta. Błąd pobierania: HTTP 404 ("))
        << Panel(1)->Reason()->text().toStdString();
    Panel(1)->findChild<QPushButton*>(QStringLiteral("SetSource"))->click();
    ASSERT_TRUE(Dialog());
    EXPECT_EQ(Dialog()->Source(), 1);
    EXPECT_EQ(Control<QLineEdit>("Address")->text(), QString::fromStdString(Server.Url("/s1")));
    Control<QPushButton>("Cancel")->click();
    EXPECT_TRUE(WaitUntil([this] { return Dialog() == nullptr; }));
    EXPECT_EQ(WorkDir.Read("dane.txt"), File) << "Anuluj changes nothing";
    EXPECT_FALSE(WorkDir.Exists("dane.txt.bak"));
}

TEST_F(TSettings, RefusedAddressIsNotDownloadedAndSessionIdIsShownAsText)
{
    Server.Serve("/index", {.Body = IndexPageOf("<b>s1</b>")});
    WorkDir.Write("dane.txt", "http://old/\r\n");
    ASSERT_TRUE(OpenDialog());
    Dialog()->SelectSource(IndexSource);
    auto* Address = Control<QLineEdit>("Address");
    auto* Download = Control<QPushButton>("Download");
    Address->setText(QString::fromStdString(Server.Url("/index")));
    Address->setFocus();
    QTest::sendKeyEvent(QTest::Click, Address, Qt::Key_unknown, QStringLiteral("☃"), Qt::NoModifier);
    EXPECT_FALSE(Download->isEnabled()) << "Pobierz stays off while the address is refused";
    QTest::keyClick(Address, Qt::Key_Return);
    EXPECT_EQ(Text("Outcome"), "") << "Enter downloads nothing while the address is refused";

    QTest::keyClick(Address, Qt::Key_Backspace);
    EXPECT_TRUE(Download->isEnabled());
    QTest::keyClick(Address, Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([this] { return Text("Outcome").startsWith("HTTP 200"); }))
        << Text("Outcome").toStdString();
    EXPECT_EQ(Server.RequestCount("/index"), 1);
    // The id comes from the page: the label shows its markup as it is.
    auto* Info = Control<QLabel>("PreviewInfo");
    EXPECT_TRUE(Info->text().startsWith("Sesja: <b>s1</b>\n")) << Info->text().toStdString();
    EXPECT_EQ(Info->textFormat(), Qt::PlainText);
}

TEST_F(TSettings, SaveKeepsWhatChangedInTheFileAndAsksAboutFieldsChangedOnBothSides)
{
    const auto File = [](const std::string& Source0, const std::string& Source1) {
        return Source0 + "\r\n" + Source1 + "\r\nhttp://s2/\r\n<s2>\r\n</s2>\r\n";
    };
    WorkDir.Write("dane.txt", File("http://s0/\r\n<s0>\r\n</s0>", "http://s1/\r\n<s1>\r\n</s1>"));
    ASSERT_TRUE(OpenDialog());
    auto* Address = Control<QLineEdit>("Address");
    Address->selectAll();
    QTest::keyClicks(Address, QStringLiteral("http://mine/"));
    // Another copy changes other fields meanwhile: they stay as it wrote them.
    WorkDir.Write("dane.txt", File("http://s0/\r\n<new0>\r\n</s0>", "http://other/\r\n<s1>\r\n</s1>"));
    Control<QPushButton>("Save")->click();
    ASSERT_TRUE(WaitUntil([this] { return Dialog() == nullptr; }));
    EXPECT_EQ(WorkDir.Read("dane.txt"),
              File("http://mine/\r\n<new0>\r\n</s0>", "http://other/\r\n<s1>\r\n</s1>"));

    // A field changed on both sides: nothing is written until the user chooses.
    for (const char* Choice : {"KeepMine", "TakeFile"}) {
        const std::string Before = File("http://s0/\r\n<s0>\r\n</s0>", "http://s1/\r\n<s1>\r\n</s1>");
        WorkDir.Write("dane.txt", Before);
        ASSERT_TRUE(OpenDialog());
        auto* End = Control<QLineEdit>("EndMarker");
        End->selectAll();
        QTest::keyClicks(End, QStringLiteral("</mine>"));
        std::string Theirs = Before;
        Theirs.replace(Theirs.find("</s0>"), 5, "</theirs>");
        Theirs.replace(Theirs.find("<s1>"), 4, "<t1>");
        WorkDir.Write("dane.txt", Theirs);
        Control<QPushButton>("Save")->click();
        EXPECT_TRUE(Control<QWidget>("SaveConflict")->isVisible());
        const QString Question = Text("ConflictQuestion");
        EXPECT_TRUE(Question.contains(QString::fromUtf8(SourceTable[0].Caption) + ": koniec") &&
                    !Question.contains("adres"))
            << Question.toStdString();
        EXPECT_EQ(WorkDir.Read("dane.txt"), Theirs) << "nothing written before the choice";
        Control<QPushButton>(Choice)->click();
        ASSERT_TRUE(WaitUntil([this] { return Dialog() == nullptr; })) << Choice;
        std::string Expected = Theirs;
        if (std::string_view(Choice) == "KeepMine")
            Expected.replace(Expected.find("</theirs>"), 9, "</mine>");
        EXPECT_EQ(WorkDir.Read("dane.txt"), Expected) << Choice;
    }
}
