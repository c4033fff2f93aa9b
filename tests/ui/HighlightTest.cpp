// The marks of new passages in a page view, kept when pages follow each other quickly.
#include "Passages.h"
#include "TempDir.h"
#include "WaitUntil.h"
#include "WebBrowser.h"

#include <QVariant>
#include <gtest/gtest.h>
#include <optional>

namespace {
// The texts of the marked elements in View's page, joined by '|'; empty when nothing ran.
QString Marked(TWebBrowser& View)
{
    std::optional<QString> Result;
    View.RunScript(
        QStringLiteral("Array.from(document.querySelectorAll('.tkw-new'), e => { "
                       "const c = e.cloneNode(true); c.querySelectorAll('script').forEach(s => s.remove()); "
                       "return c.textContent.replace(/\\s+/g, ' ').trim(); }).join('|')"),
        [&](const QVariant& Value) { Result = Value.toString(); });
    WaitUntil([&] { return Result.has_value(); }, 5);
    return Result.value_or(QString());
}

std::string Section(int Paragraphs, const std::string& New)
{
    std::string Page = "<html><head><meta charset=\"windows-1250\"></head><body>";
    for (int Index = 0; Index < Paragraphs; ++Index)
        Page += "<p>Akapit numer " + std::to_string(Index) + " bez zmian, z&nbsp;tekstem.</p>";
    return Page + New + "</body></html>";
}
} // namespace

TEST(Highlight, MarksPassagesWithReferencesOnThePageLoadedLastAfterQuickNavigations)
{
    // References of every kind, as the comparison decodes them; each a passage of its own.
    const std::string New = "<p>Z&#322;oty &eacute;&plusmn;&#150;&#x96;&hellip; &Fopf;&NotEqualTilde;</p>"
                            "<div>kurs &euro;&nbsp;4,3&ensp;<!-- - --></div><li>&amp &lt3 &#150x&notit;</li>"
                            "<p>tekst<script>var s = '<p>nie</p>';</script> dalej</p>";
    // A large section, rewritten by each refresh.
    TTempDir Folder;
    const QString File = QString::fromStdString((Folder.Path() / "1wirek&borta.htm").string());
    const QStringList Passages = PagePassages(Section(0, New));
    ASSERT_EQ(Passages.size(), 4) << Passages.join('|').toStdString();
    TWebBrowser View;
    View.resize(400, 300);
    View.show();
    Folder.Write("1wirek&borta.htm", Section(0, ""));
    View.Navigate(File);
    ASSERT_TRUE(WaitUntil([&] { return View.Loaded() && Marked(View).isEmpty() && !Marked(View).isNull(); }));

    // Each round is two refreshes back to back; the marks must be on the page shown at the end.
    for (int Round = 0; Round < 3; ++Round) {
        for (const std::string& Page : {Section(25000, ""), Section(25000, New)}) {
            Folder.Write("1wirek&borta.htm", Page);
            View.Navigate(File);
            View.SetHighlight(Passages);
            ProcessEventsFor(Round * 50);
        }
        EXPECT_TRUE(WaitUntil([&] { return Marked(View) == Passages.join('|'); }, 90))
            << "round " << Round << ": " << Marked(View).toStdString();
        View.SetHighlight({});
    }
}
