// A section that changes: its new passages marked in the visible tab and counted in its tooltip,
// the page file untouched; then the history window with both versions.
#include "FormFixture.h"
#include "HistoryWindow.h"
#include "SectionHistory.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QListWidget>
#include <QMenu>
#include <QTabBar>
#include <QTest>

namespace {
class THistoryRound : public TFormFixture
{
protected:
    // Runs Script in Source's page and waits for its result as text.
    QString Evaluate(TWebBrowser* View, const QString& Script)
    {
        std::optional<QString> Result;
        View->RunScript(Script, [&](const QVariant& Value) { Result = Value.toString(); });
        EXPECT_TRUE(WaitUntil([&] { return Result.has_value(); })) << "the page ran no script";
        return Result.value_or(QString());
    }
    QString Marked(TWebBrowser* View)
    {
        return Evaluate(
            View, QStringLiteral("Array.from(document.querySelectorAll('.tkw-new'), e => e.textContent + "
                                 "' ' + getComputedStyle(e).backgroundColor + ' ' + "
                                 "getComputedStyle(e).borderLeft).join('|')"));
    }
    // Refreshes source 0 alone on First, then on Second; true once Second's page is marked.
    bool Change(const std::string& First, const std::string& Second)
    {
        OnlyFirstSource();
        WriteConfiguration();
        Server.Serve("/s0", {.Body = First});
        if (!RefreshAndWait("/s0", 1) || !Settled() || !WaitUntil([&] { return View(0)->Loaded(); }))
            return false;
        QObject Context;
        bool Highlighted = false;
        QObject::connect(View(0), &TWebBrowser::Highlighted, &Context, [&] { Highlighted = true; });
        Server.Serve("/s0", {.Body = Second});
        return RefreshAndWait("/s0", 2) && Settled() && WaitUntil([&] { return Highlighted; });
    }
};

TEST_F(THistoryRound, MarksTheChangedParagraphThenListsAndShowsBothVersions)
{
    const std::string First = PageOf(0, "<p>Rynek otwarty.</p><p>WIG bez zmian.</p><p>Koniec.</p>");
    const std::string Second =
        PageOf(0, "<p>Rynek otwarty.</p><p>WIG &amp; mWIG w g\xf3r\xea.</p><p>Koniec.</p>");
    ASSERT_TRUE(Change(First, Second)) << "the page was never marked";
    EXPECT_EQ(Marked(View(0)),
              QStringLiteral("WIG & mWIG w górę. rgb(255, 243, 176) 3px solid rgb(224, 168, 0)"));
    EXPECT_TRUE(PageFile(0) == PageFileOf(0, Second)) << "the page file changed with the marks";
    EXPECT_TRUE(Form->PageControl1->tabToolTip(0).endsWith(QStringLiteral("; 1 nowy fragment, 1 usunięty")))
        << Form->PageControl1->tabToolTip(0).toStdString();

    // Leaving the tab takes the marks away; a refresh of the same page, seen by then, marks nothing.
    Form->PageControl1->setCurrentIndex(1);
    EXPECT_FALSE(Form->PageControl1->tabToolTip(0).contains(QStringLiteral("fragment")));
    Form->PageControl1->setCurrentIndex(0);
    EXPECT_EQ(Marked(View(0)), QString());
    ASSERT_TRUE(RefreshAndWait("/s0", 3));
    ASSERT_TRUE(Settled());
    EXPECT_TRUE(View(0)->Highlight().isEmpty());

    // The history window, from the tab menu's item on the tab clicked, lists both versions.
    QTabBar* Bar = Form->PageControl1->tabBar();
    Form->PageControl1->setCurrentIndex(2);
    const QPoint At = Bar->tabRect(0).center();
    QContextMenuEvent Click(QContextMenuEvent::Mouse, At, Bar->mapToGlobal(At));
    QApplication::sendEvent(Bar, &Click);
    QMenu* Menu = Form->PageControl1->findChild<QMenu*>();
    ASSERT_TRUE(Menu && Menu->isVisible()) << "no menu on the tab";
    Menu->actions().value(0)->trigger();
    Menu->close();
    THistoryWindow* Window = Form->findChild<THistoryWindow*>();
    ASSERT_NE(Window, nullptr);
    const WId Shown = Window->winId();
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("Historia zmian — Wirek & Borta"));
    ASSERT_TRUE(WaitUntil([&] {
        return Window->Versions->count() == 2 && Window->Selected() == PageFileOf(0, Second).c_str();
    }));
    EXPECT_TRUE(Window->Versions->item(0)->text().endsWith(QStringLiteral("+1 / −1")));
    EXPECT_EQ(Window->VersionView->Highlight(), QStringList{QStringLiteral("WIG & mWIG w górę.")});
    ASSERT_TRUE(PageShown(Window->VersionView));
    EXPECT_EQ(Window->winId(), Shown) << "the history window was made again for its page view";
    // Its keys work once it has the keyboard, as a person sees it take it.
    Window->activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return Window->isActiveWindow(); }))
        << "the history window never became active";
    QTest::keyClick(Window, Qt::Key_Down);
    ASSERT_TRUE(WaitUntil([&] { return Window->Selected() == PageFileOf(0, First).c_str(); }));
    EXPECT_EQ(Window->VersionView->Highlight().size(), 3) << "against nothing, every passage is new";
    QTest::keyClick(Window, Qt::Key_Escape);
    EXPECT_FALSE(Window->isVisible());
    Form->PageControl1->setCurrentIndex(0);
    Form->activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return Form->isActiveWindow(); }));
    QTest::keyClick(Form.get(), Qt::Key_H, Qt::ControlModifier);
    EXPECT_TRUE(Window->isVisible()) << "Ctrl+H opened no history of the tab shown";
}

TEST_F(THistoryRound, ADamagedOrUnwritableHistoryCostsNoPage)
{
    const QByteArray Before = qgetenv("XDG_DATA_HOME");
    std::error_code Ignored;
    OnlyFirstSource();
    WriteConfiguration();
    // A damaged file is moved aside; a file in place of the folder leaves the history unavailable.
    for (const bool Damaged : {false, true}) {
        const std::string What = Damaged ? "a damaged file" : "a file where the folder should be";
        SCOPED_TRACE(What);
        const TTempDir Data;
        if (Damaged) {
            std::filesystem::create_directory(Data.Path() / "tickerwell");
            Data.Write("tickerwell/history.sqlite", std::string(4096, 'x'));
        } else {
            Data.Write("tickerwell", "a file");
        }
        qputenv("XDG_DATA_HOME", Data.Path().c_str());
        // A window of its own, whose history opens the database anew.
        Form = std::make_unique<TForm1>(nullptr, std::make_unique<TRecordingTrayLayer>());
        Form->ProgramDir = ProgramDir.Dir();
        Form->show();
        const std::string Page = PageOf(0, "<p>" + What + "</p>");
        Server.Serve("/s0", {.Body = Page});
        ASSERT_TRUE(RefreshAndWait());
        ASSERT_TRUE(Settled());
        EXPECT_TRUE(PageFile(0) == PageFileOf(0, Page)) << "the page file was not written";
        EXPECT_EQ(View(0)->Address(), PageUrl(0));
        const QString Tip = Form->PageControl1->tabToolTip(0);
        EXPECT_EQ(Tip.contains(QStringLiteral("; historia niedostępna: nie można utworzyć folderu ")),
                  !Damaged)
            << Tip.toStdString();
        const auto Files = std::filesystem::directory_iterator(Data.Path() / "tickerwell", Ignored);
        EXPECT_EQ(std::ranges::count_if(Files,
                                        [](const auto& File) {
                                            return File.path().filename().string().starts_with(
                                                "history.sqlite.corrupt-");
                                        }),
                  Damaged ? 1 : 0);
    }
    qputenv("XDG_DATA_HOME", Before);
}
} // namespace

// A trigger word in a marked passage is bold on a stronger yellow; one inside a longer word is not.
TEST_F(THistoryRound, TriggerWordsStandOutInsideTheMarkedPassages)
{
    WorkDir.Write("zrodla.ini", "[1]\ntrigger = zysk netto\nignore = \\d\\d:\\d\\d\n");
    const QString Passage = QStringLiteral("Bank: ZYSK netto w górę, nadzysk netto bez zmian.");
    ASSERT_TRUE(
        Change(PageOf(0, "<p>Rynek otwarty o 09:00.</p>"),
               PageOf(0, "<p>Rynek otwarty o 09:05.</p><p style=\"font-size:48px\">Bank: ZYSK  netto w "
                         "g\xf3r\xea, nadzysk netto bez zmian.</p>")))
        << "the page was never marked";
    EXPECT_EQ(View(0)->Highlight(), QStringList{Passage}) << "a change in ignored text is not new";
    EXPECT_EQ(
        Evaluate(View(0), QStringLiteral("Array.from(document.querySelectorAll('b.tkw-trigger'), e => "
                                         "e.textContent + ' ' + getComputedStyle(e).fontWeight).join('|')")),
        QStringLiteral("ZYSK  netto 700"));
    const QRgb Strong = qRgb(0xff, 0xd2, 0x4d);
    EXPECT_TRUE(WaitUntil([&] {
        const QImage Shot = View(0)->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (int Y = 0; Y < Shot.height(); ++Y)
            for (int X = 0; X < Shot.width(); ++X)
                if (Shot.pixel(X, Y) == Strong)
                    return true;
        return false;
    })) << "no #ffd24d on the view";

    // The history window marks and counts what the tab marked.
    Form->History->OpenWindow(0);
    THistoryWindow* Window = Form->findChild<THistoryWindow*>();
    ASSERT_NE(Window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return !Window->VersionView->Highlight().isEmpty(); }));
    EXPECT_EQ(Window->VersionView->Highlight(), QStringList{Passage});
    EXPECT_TRUE(Window->Versions->item(0)->text().endsWith(QStringLiteral("+1 / −0")))
        << Window->Versions->item(0)->text().toStdString();
}
