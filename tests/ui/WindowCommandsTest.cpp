// The window's commands: to the tray and back, the tray menu, On top and the link labels.
#include "FormFixture.h"
#include "NtfyIcon.h"
#include "PopupMenu.h"

#include <QDesktopServices>

namespace {
constexpr unsigned LeftDown = 0x201, LeftUp = 0x202, LeftDouble = 0x203;

class TWindowCommands : public TFormFixture
{
protected:
    std::unique_ptr<TTrayLayer> MakeTrayLayer() override
    {
        auto Layer = std::make_unique<TRecordingTrayLayer>();
        Tray = Layer.get();
        return Layer;
    }
    TRecordingTrayLayer* Tray = nullptr;
};

// The desktop's tray, which the virtual X server of the tests does not have.
class TWithoutTray : public TFormFixture
{
protected:
    std::unique_ptr<TTrayLayer> MakeTrayLayer() override { return nullptr; }
};

// Records the addresses handed to the desktop's browser or mail program.
class TOpenedAddresses : public QObject
{
    Q_OBJECT
public:
    TOpenedAddresses()
    {
        for (const char* Scheme : {"http", "https", "mailto"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(Scheme), this, "Open");
    }
    ~TOpenedAddresses() override
    {
        for (const char* Scheme : {"http", "https", "mailto"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(Scheme));
    }
    QStringList Opened;

public slots:
    void Open(const QUrl& Address) { Opened.append(Address.toString()); }
};
} // namespace

TEST_F(TWindowCommands, MinimiseToTheTrayAndBackOnTopAndLinks)
{
    TOpenedAddresses Addresses;
    ASSERT_TRUE(Tray->Present) << "the icon is in the tray from the start";
    EXPECT_EQ(Tray->Shown.szTip, "Tickerwell");
    ASSERT_EQ(Form->PopupMenu1->Count(), 4);
    EXPECT_EQ(Form->Open1->Caption(), "&Open...");
    EXPECT_TRUE(Form->Open1->Default());
    EXPECT_TRUE(Form->N1->IsSeparator());
    EXPECT_EQ(Form->Exit1->Caption(), "Ex&it");
    EXPECT_EQ(Form->NotificationIcon1->PopupMenu(), Form->PopupMenu1);
    EXPECT_FALSE(TApplication::Instance()->ShowMainForm);
    WriteConfiguration();
    ServePages();
    Refresh();
    Form->resize(620, 520);
    const QSize Size = Form->size();

    Form->showMinimized();
    ProcessEventsFor(50);
    EXPECT_FALSE(Form->isVisible()) << "the minimised window leaves for the tray";
    Tray->Send(LeftDown);
    Tray->Send(LeftUp);
    EXPECT_TRUE(Form->isVisible());
    EXPECT_FALSE(Form->isMinimized());
    EXPECT_EQ(Form->size(), Size) << "the window comes back at the size it had";
    EXPECT_TRUE(Form->PageControl1->isVisible()) << "and in the mode it had";

    // A double click runs the click and then the default item, "&Open...".
    Form->hide();
    Tray->Send(LeftDouble);
    Tray->Send(LeftUp);
    EXPECT_TRUE(Form->isVisible());
    EXPECT_TRUE(TApplication::Instance()->ShowMainForm);

    // On top keeps the place and size.
    const QRect Geometry = Form->geometry();
    Form->CheckBox1->click();
    EXPECT_TRUE(Form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(Form->geometry(), Geometry);
    EXPECT_TRUE(Form->isVisible());
    Form->CheckBox1->click();
    EXPECT_FALSE(Form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(Form->geometry(), Geometry);

    Form->Label3Click();
    Form->Label4Click();
    Form->Label6Click();
    Form->Label9Click();
    EXPECT_EQ(
        Addresses.Opened,
        (QStringList{"http://tkw.example.org", "mailto:tkw@example.org?subject=Tickerwell project",
                     QString::fromStdString(Server.Url("/s1")), QString::fromStdString(Server.Url("/s4"))}));
}

TEST_F(TWithoutTray, MinimisingWithoutATrayKeepsAnOrdinaryMinimisedWindow)
{
    ASSERT_FALSE(Form->NotificationIcon1->IconShown());
    Form->showMinimized();
    ProcessEventsFor(50);
    EXPECT_TRUE(Form->isVisible()) << "with no tray to go to, the window must stay reachable";
    EXPECT_TRUE(Form->isMinimized());
}

#include "WindowCommandsTest.moc"
