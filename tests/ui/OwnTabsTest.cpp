// The window with sources of one's own beside the five: their tabs in the file's order, Ctrl+6, their
// page and history, a broken sources file told while the five refresh, and removal from the tab menu.
#include "OwnTabs.h"
#include "FormFixture.h"
#include "History.h"
#include "HistoryStore.h"
#include "HistoryWindow.h"
#include "OwnSources.h"
#include "SettingsDialog.h"
#include "SourceRound.h"
#include "SourceRules.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTimer>

namespace {
class TOwnTabsTest : public TFormFixture
{
protected:
    // Ids 6 to 13, 7 off; each page's section is between <o> and </o>.
    void WriteSources()
    {
        std::string File;
        for (int Id = 6; Id <= 13; ++Id) {
            const std::string Number = std::to_string(Id);
            Server.Serve("/own" + Number,
                         {.Body = "<o>własna " + Number + "</o>", .ContentType = "text/html"});
            File += "[" + Number + "]\ncaption = " + (Id == 8 ? "A & B" : "Własne " + Number) +
                    "\naddress = " + Server.Url("/own" + Number) +
                    "\nstart = <o>\nend = </o>\non = " + (Id == 7 ? "no" : "yes") + "\n";
        }
        WorkDir.Write(OwnSourcesFileName, "next-id = 14\n" + File);
    }
    bool RefreshAll()
    {
        Refresh();
        return WaitUntil([this] { return AllIdle() && !Form->OwnTabs->Busy(); });
    }
    // Runs a key's shortcut as the active window would, whichever window the desktop activated.
    void Press(const QKeySequence& Key)
    {
        for (QShortcut* Shortcut : Form->findChildren<QShortcut*>())
            if (Shortcut->key() == Key)
                emit Shortcut->activated();
    }
    // Answers the question box about to open with Yes, and keeps its text.
    void AnswerYes(QString& Question)
    {
        QTimer::singleShot(0, [&Question] {
            auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(Box, nullptr);
            Question = Box->text();
            Box->button(QMessageBox::Yes)->click();
        });
    }
    QStringList TabTexts() const
    {
        QStringList Texts;
        for (int Tab = 0; Tab < Form->PageControl1->count(); ++Tab)
            Texts << Form->PageControl1->tabText(Tab);
        return Texts;
    }
};
} // namespace

TEST_F(TOwnTabsTest, TabsFollowTheFileAndWorkAsTheFiveDo)
{
    WriteConfiguration();
    ServePages();
    WriteSources();
    ASSERT_TRUE(RefreshAll());
    const QStringList Five = TabTexts().mid(0, SourceCount);
    EXPECT_EQ(TabTexts().mid(SourceCount), (QStringList{"Własne 6", "A && B", "Własne 9", "Własne 10",
                                                        "Własne 11", "Własne 12", "Własne 13"}));
    EXPECT_TRUE(Form->PageControl1->usesScrollButtons());
    EXPECT_NE(ProgramDir.Read("zrodlo13.htm").find("<o>własna 13</o>"), std::string::npos);
    EXPECT_FALSE(ProgramDir.Exists("zrodlo7.htm"));

    // Ctrl+6 shows the sixth tab, its page file and its status line; Ctrl+H its history.
    Press(Qt::CTRL | Qt::Key_6);
    ASSERT_EQ(Form->PageControl1->currentIndex(), 5);
    auto* Sixth = Form->PageControl1->widget(5)->findChild<TWebBrowser*>();
    ASSERT_NE(Sixth, nullptr);
    EXPECT_EQ(Sixth->Address(),
              QUrl::fromLocalFile(QString::fromStdString(ProgramDir.Dir() + "zrodlo6.htm")));
    EXPECT_TRUE(WaitUntil([&] { return Sixth->Loaded(); })) << "the view is made when first shown";
    EXPECT_TRUE(Form->InfoLabel->text().startsWith(TForm1::LastUpdatePrefix))
        << Form->InfoLabel->text().toStdString();
    EXPECT_FALSE(Form->PageControl1->tabToolTip(5).isEmpty());
    Press(Qt::CTRL | Qt::Key_H);
    THistoryWindow* Window = Form->findChild<THistoryWindow*>();
    ASSERT_NE(Window, nullptr);
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("Historia zmian — Własne 6"));
    EXPECT_TRUE(WaitUntil([&] { return Window->Versions->count() == 1; }));
    Window->close();

    // A shell's refresh of two of them refreshes those alone and names them.
    std::optional<TRefreshReply> Reply;
    Form->RefreshOnRequest({5, 12}, [&](const TRefreshReply& Answer) { Reply = Answer; });
    ASSERT_TRUE(WaitUntil([&] { return Reply.has_value(); }));
    EXPECT_EQ(Reply->Lines, QStringList({"Własne 6\tbez zmian\t+0 -0", "Własne 13\tbez zmian\t+0 -0"}));
    EXPECT_EQ(Server.RequestCount("/own6"), 2);
    EXPECT_EQ(Server.RequestCount("/own9"), 1);

    // A renamed source keeps its tab; one turned off loses it; a broken file is told, the five refresh.
    WorkDir.Write(OwnSourcesFileName, "[6]\ncaption = Nowa nazwa\naddress = " + Server.Url("/own6") +
                                          "\nstart = <o>\nend = </o>\n[8]\ncaption = A & B\naddress = " +
                                          Server.Url("/own8") + "\nstart = <o>\nend = </o>\n");
    ASSERT_TRUE(RefreshAll());
    EXPECT_EQ(TabTexts(), Five + QStringList({"Nowa nazwa", "A && B"}));
    WorkDir.Write(OwnSourcesFileName, "[6\n");
    const int Asked = Server.RequestCount("/s0");
    ASSERT_TRUE(RefreshAll());
    EXPECT_EQ(Server.RequestCount("/s0"), Asked + 1) << "the five refresh beside a broken file";
    ASSERT_EQ(Boxes.Texts.size(), 1);
    EXPECT_TRUE(Boxes.Texts[0].contains(QStringLiteral("zrodla.ini"))) << Boxes.Texts[0].toStdString();
}

TEST_F(TOwnTabsTest, FiftySourcesDownloadEightAtOnceAndWriteEveryPage)
{
    WriteConfiguration();
    for (QCheckBox* Box : {Form->CheckBox3, Form->CheckBox4, Form->CheckBox5, Form->CheckBox6})
        Box->setChecked(false);
    std::string File;
    for (int Id = 6; Id < 56; ++Id) {
        const std::string Path = "/own" + std::to_string(Id);
        Server.Serve(Path, {.Body = "<o>" + Path + "</o>",
                            .Fault = TReply::TFault::Trickle,
                            .TrickleChunk = 8,
                            .TrickleDelay = std::chrono::milliseconds(5)});
        File += "[" + std::to_string(Id) + "]\ncaption = " + Path + "\naddress = " + Server.Url(Path) + "\n";
    }
    WorkDir.Write(OwnSourcesFileName, File);
    ASSERT_TRUE(RefreshAll());
    EXPECT_EQ(Form->PageControl1->count(), 55);
    EXPECT_LE(Server.MaxInFlight(), MaxOwnDownloads) << "downloads of one's own at once";
    for (int Id = 6; Id < 56; ++Id)
        EXPECT_TRUE(ProgramDir.Exists("zrodlo" + std::to_string(Id) + ".htm")) << Id;
}

TEST_F(TOwnTabsTest, TheTabMenuRemovesASourceOfOnesOwnAfterAskingAndKeepsItsHistory)
{
    WriteConfiguration();
    ServePages();
    WriteSources();
    ASSERT_TRUE(RefreshAll());
    QTabBar* Bar = Form->PageControl1->tabBar();
    const auto MenuOn = [&](int Tab) {
        const QPoint At = Bar->tabRect(Tab).center();
        QContextMenuEvent Click(QContextMenuEvent::Mouse, At, Bar->mapToGlobal(At));
        QApplication::sendEvent(Bar, &Click);
        QMenu* Menu = Form->PageControl1->findChild<QMenu*>();
        EXPECT_TRUE(Menu && Menu->isVisible()) << "no menu on the tab";
        return Menu;
    };
    QMenu* Menu = MenuOn(0);
    ASSERT_NE(Menu, nullptr);
    EXPECT_FALSE(Menu->actions().value(1)->isVisible()) << "the five cannot be removed";
    Menu->close();

    // The question names the caption; its answer is Yes.
    Form->PageControl1->setCurrentIndex(6);
    Menu = MenuOn(6);
    ASSERT_NE(Menu, nullptr);
    QAction* Remove = Menu->actions().value(1);
    ASSERT_TRUE(Remove && Remove->isVisible());
    QString Question;
    AnswerYes(Question);
    Remove->trigger();
    Menu->close();
    EXPECT_TRUE(Question.contains(QStringLiteral("„A & B”"))) << Question.toStdString();
    EXPECT_EQ(Form->PageControl1->count(), 11);
    EXPECT_FALSE(ProgramDir.Exists("zrodlo8.htm"));
    EXPECT_EQ(WorkDir.Read(OwnSourcesFileName).find("[8]"), std::string::npos);
    ASSERT_TRUE(RefreshAll());
    EXPECT_EQ(Form->PageControl1->count(), 11) << "removed for good";
    std::optional<std::size_t> Kept;
    Form->Round->History().Run<std::size_t>([](THistoryStore& Store) { return Store.Versions(7).size(); },
                                            [&](std::size_t Count) { Kept = Count; });
    ASSERT_TRUE(WaitUntil([&] { return Kept.has_value(); }));
    EXPECT_EQ(*Kept, 1u) << "its history stays";
}

TEST_F(TOwnTabsTest, TheSettingsDialogEditsAddsAndRemovesSourcesOfOnesOwn)
{
    WriteSources();
    Press(Qt::CTRL | Qt::Key_Comma);
    auto* Dialog = Form->findChild<TSettingsDialog*>();
    ASSERT_TRUE(Dialog && Dialog->isVisible());
    const auto Field = [&](const char* Name) { return Dialog->findChild<QLineEdit*>(QLatin1String(Name)); };
    const auto Button = [&](const char* Name) {
        return Dialog->findChild<QPushButton*>(QLatin1String(Name));
    };
    const auto Label = [&](const char* Name) {
        return Dialog->findChild<QLabel*>(QLatin1String(Name))->text();
    };
    const auto Rules = [&](const char* Name) {
        return Dialog->findChild<QPlainTextEdit*>(QLatin1String(Name));
    };
    Server.Serve("/own8", {.Body = "<o>własna <p>Kurs 10:05</p><p>Rekordowy zysk</p></o>"});
    Dialog->SelectSource(7);
    EXPECT_EQ(Field("OwnCaption")->text(), QStringLiteral("A & B"));

    // Downloaded, its start text taken from the page source: unique, and the preview is its page file.
    Button("OwnDownload")->click();
    ASSERT_TRUE(WaitUntil([&] { return Label("OwnOutcome").startsWith(QStringLiteral("HTTP 200")); }))
        << Label("OwnOutcome").toStdString();
    auto* Page = Dialog->findChild<QPlainTextEdit*>(QStringLiteral("OwnPageSource"));
    QTextCursor Cursor = Page->textCursor();
    Cursor.setPosition(static_cast<int>(Page->toPlainText().indexOf(QStringLiteral("własna"))));
    Cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, 6);
    Page->setTextCursor(Cursor);
    Button("OwnPickStart")->click();
    EXPECT_EQ(Field("OwnStart")->text(), QStringLiteral("własna"));
    EXPECT_EQ(Label("OwnStartNote"), QStringLiteral("Znaleziony, jednoznaczny."));
    EXPECT_TRUE(Label("OwnPreviewInfo").contains(QStringLiteral("zrodlo8.htm")))
        << Label("OwnPreviewInfo").toStdString();
    // Its rules are checked against the page file the preview shows.
    Rules("IgnoreRules")->setPlainText("\\d\\d:\\d\\d");
    Rules("TriggerWords")->setPlainText("zysk");
    EXPECT_EQ(Label("RulesCheck"),
              "Pominięte: 1: „Kurs 10:05”\nZ kluczowymi słowami: 1: „Rekordowy zysk” (zysk)");
    // A download of one of the five that ends while one's own is shown leaves the group to that one.
    Dialog->SelectSource(0);
    Button("Download")->click();
    Dialog->SelectSource(7);
    ASSERT_TRUE(WaitUntil([&] { return !Label("Outcome").startsWith(QStringLiteral("Pobieranie")); }));
    EXPECT_EQ(Rules("TriggerWords")->toPlainText(), "zysk");

    // A source added and one removed after the question that names it; Save writes them all.
    Button("AddSource")->click();
    for (const auto& [Name, Value] :
         {std::pair{"OwnCaption", "Nowy"}, std::pair{"OwnAddress", "https://example.org/"}}) {
        Field(Name)->setText(QString::fromUtf8(Value));
        emit Field(Name)->textEdited(Field(Name)->text());
    }
    // A source not saved yet has rules of its own; a bad one is named with its source and blocks saving.
    EXPECT_EQ(Label("RulesCheck"), QStringLiteral("Sprawdzenie reguł: najpierw „Pobierz”."));
    Rules("IgnoreRules")->setPlainText("(");
    Rules("TriggerWords")->setPlainText("strata");
    Dialog->SelectSource(0);
    EXPECT_EQ(Rules("TriggerWords")->toPlainText(), "");
    Dialog->SelectSource(7);
    EXPECT_EQ(Rules("TriggerWords")->toPlainText(), "zysk");
    Button("Save")->click();
    EXPECT_TRUE(Label("SaveError").contains(QStringLiteral("błędne wyrażenie „(” w regułach „Nowy”")))
        << Label("SaveError").toStdString();
    Rules("IgnoreRules")->clear();
    Dialog->SelectSource(6);
    QString Question;
    AnswerYes(Question);
    Button("RemoveSource")->click();
    EXPECT_TRUE(Question.contains(QStringLiteral("„Własne 7”"))) << Question.toStdString();
    Button("Save")->click();
    EXPECT_FALSE(Dialog->isVisible())
        << Dialog->findChild<QLabel*>(QStringLiteral("SaveError"))->text().toStdString();
    const TSourcesFile Saved = LoadSourcesFile(WorkDir.Dir() + OwnSourcesFileName);
    EXPECT_FALSE(Saved.Source(7));
    EXPECT_EQ(Saved.Source(8)->StartText, "własna");
    ASSERT_TRUE(Saved.Source(14));
    EXPECT_EQ(Saved.Source(14)->Caption, "Nowy");
    EXPECT_EQ(RulesOf(Saved, 8), (TSourceRules{{"\\d\\d:\\d\\d"}, {"zysk"}, true}));
    EXPECT_EQ(RulesOf(Saved, 14), (TSourceRules{{}, {"strata"}, true}));
}
