// Page views at rest: discarded in the tray and back where they were, a refresh in the tray that
// loads nothing, and a hidden tab's page frozen until shown.
#include "FormFixture.h"

#include <QWebEnginePage>
#include <QWebEngineView>
#include <optional>

namespace {
using TLifecycle = QWebEnginePage::LifecycleState;

class TPageViewRestTest : public TFormFixture
{
protected:
    QWebEngineView* Viewer(int Source) const { return View(Source)->findChild<QWebEngineView*>(); }
    TLifecycle State(int Source) const { return Viewer(Source)->page()->lifecycleState(); }

    // Runs Script in the page's own world, as the page's scripts do, and waits for its result.
    QString Evaluate(int Source, const QString& Script)
    {
        std::optional<QString> Result;
        Viewer(Source)->page()->runJavaScript(Script,
                                              [&](const QVariant& Value) { Result = Value.toString(); });
        EXPECT_TRUE(WaitUntil([&] { return Result.has_value(); })) << "the page ran no script";
        return Result.value_or(QString());
    }
    // Waits until Source's document at Url has loaded (the view names an address before its document).
    bool Shows(int Source, const QUrl& Url)
    {
        return WaitUntil([&] {
            return QUrl(Evaluate(Source, "document.readyState == 'complete' ? location.href : ''")) == Url;
        });
    }
    void ToTray()
    {
        Form->showMinimized();
        ASSERT_TRUE(WaitUntil([this] { return !Form->isVisible(); })) << "the window never left for the tray";
    }
};
} // namespace

TEST_F(TPageViewRestTest, ViewsDiscardedInTheTrayComeBackWhereTheyWereOrOnTheirNewPage)
{
    WriteConfiguration();
    ServePages("<p>Rynek.</p><p>Stary.</p>");
    Server.Serve("/s4", {.Body = IndexPageOf("First")});
    Server.Serve("/elsewhere", {.Body = "<p>elsewhere</p>"});
    ASSERT_TRUE(RefreshAndWait());
    ASSERT_TRUE(Settled());
    Form->PageControl1->setCurrentIndex(IndexSource);
    Form->PageControl1->setCurrentIndex(0);
    const QUrl Elsewhere(QString::fromStdString(Server.Url("/elsewhere")));
    ASSERT_TRUE(Shows(0, PageUrl(0)));
    // The user follows a link away from the page file.
    Evaluate(0, "location.href = '" + Elsewhere.toString() + "'");
    ASSERT_TRUE(Shows(0, Elsewhere));

    ToTray();
    ASSERT_TRUE(WaitUntil([&] {
        return State(0) == TLifecycle::Discarded && State(IndexSource) == TLifecycle::Discarded;
    })) << "the views kept their pages in the tray";
    Form->Open1Click();
    EXPECT_TRUE(Shows(0, Elsewhere)) << "the visible tab did not come back on the page the user went to";
    EXPECT_EQ(State(IndexSource), TLifecycle::Discarded) << "a tab not shown woke with the window";

    // A refresh in the tray writes the page files and the history and loads no page.
    ToTray();
    int Loads = 0;
    for (int Source : {0, IndexSource})
        QObject::connect(Viewer(Source), &QWebEngineView::loadStarted, Form.get(), [&] { ++Loads; });
    const std::string Changed = PageOf(0, "<p>Rynek.</p><p>Nowy.</p>");
    Server.Serve("/s0", {.Body = Changed});
    Server.Serve("/s4", {.Body = IndexPageOf("Second")});
    ASSERT_TRUE(RefreshAndWait("/s0", 2));
    ASSERT_TRUE(Settled());
    EXPECT_TRUE(PageFile(0) == PageFileOf(0, Changed)) << "the page file was not written in the tray";
    EXPECT_EQ(View(0)->Highlight(), QStringList{QStringLiteral("Nowy.")})
        << "the history kept no new version";
    ProcessEventsFor(200);
    EXPECT_EQ(Loads, 0) << "a view loaded its page in the tray";
    EXPECT_EQ(State(0), TLifecycle::Discarded);

    // Back, the visible tab shows the new page with its marks; the index tab its new address.
    int Marked = -1;
    QObject::connect(View(0), &TWebBrowser::Highlighted, Form.get(), [&](int Count) { Marked = Count; });
    Form->Open1Click();
    ASSERT_TRUE(WaitUntil([&] { return Marked >= 0; })) << "the visible tab came back without its marks";
    EXPECT_EQ(Marked, 1);
    EXPECT_EQ(Viewer(0)->url(), PageUrl(0));
    Form->PageControl1->setCurrentIndex(IndexSource);
    EXPECT_TRUE(WaitUntil([&] {
        return Viewer(IndexSource)->url() ==
               QUrl(QStringLiteral("https://notowania.doakcji.pl/lib/php/gieldy.php?sesid=Second"));
    })) << "the index tab came back on "
        << Viewer(IndexSource)->url().toString().toStdString();
}

TEST_F(TPageViewRestTest, ATabNotShownIsFrozenUntilItIsShownAgain)
{
    OnlyFirstSource();
    Form->CheckBox4->setChecked(true);
    WriteConfiguration();
    ServePages();
    // The page counts the ticks of a 100 ms timer and notes the count when it is frozen and resumed.
    Server.Serve(
        "/s1",
        {.Body = PageOf(1, "<p id=t>0</p><script>let n = 0;"
                           "setInterval(() => document.getElementById('t').textContent = ++n, 100);"
                           "document.addEventListener('freeze', () => document.body.dataset.frozen = n);"
                           "document.addEventListener('resume', () => document.body.dataset.resumed = n);"
                           "</script>")});
    ASSERT_TRUE(RefreshAndWait());
    Form->PageControl1->setCurrentIndex(1);
    const auto Ticks = [this] { return Evaluate(1, "document.getElementById('t')?.textContent").toInt(); };
    ASSERT_TRUE(WaitUntil([&] { return Viewer(1) && Ticks() >= 2; })) << "the page's timer never ran";

    Form->PageControl1->setCurrentIndex(0);
    EXPECT_EQ(State(1), TLifecycle::Frozen);
    EXPECT_EQ(State(0), TLifecycle::Active);
    // Long enough for several ticks, were the timer running.
    ProcessEventsFor(600);
    Form->PageControl1->setCurrentIndex(1);
    EXPECT_EQ(State(1), TLifecycle::Active);
    ASSERT_TRUE(WaitUntil([&] { return !Evaluate(1, "document.body.dataset.resumed || ''").isEmpty(); }))
        << "the page was never resumed";
    EXPECT_EQ(Evaluate(1, "document.body.dataset.resumed"), Evaluate(1, "document.body.dataset.frozen"))
        << "the timer ticked while its tab was not shown";
    const int Resumed = Evaluate(1, "document.body.dataset.resumed").toInt();
    EXPECT_TRUE(WaitUntil([&] { return Ticks() > Resumed; })) << "the timer did not run again once shown";
}
